// Project files on disk: their names, reading one whole, and saving one so
// that a failure at any moment leaves the file that was there intact.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The name for saving under: ".KXP" is appended unless the name's last
// four characters are exactly ".KXP" (so "robot.kxp" becomes "robot.kxp.KXP").
std::string WithProjectExtension(const std::string& name);
// The name for opening and erasing: ".KXP" is appended only when the file
// name (after the last '/') has no extension at all.
std::string WithDefaultExtension(const std::string& name);

// The whole file. Raises -42 naming the file and the reason when it cannot
// be read, and -45 when it is larger than any project could be.
std::vector<uint8_t> ReadProjectFile(const std::string& path);

// Writes the bytes to a new file in the same folder, flushes it to the
// disk, and only then puts it in the place of the old one. On failure the
// new file is removed, the old one is as it was, and -50 is raised naming
// the file and the reason.
void SaveFileSafely(const std::string& path, std::span<const uint8_t> bytes);

// The absolute form of a path (against the current directory), and its folder.
std::string AbsolutePath(const std::string& path);
std::string FolderOf(const std::string& path);
