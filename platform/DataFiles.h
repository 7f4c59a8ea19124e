// Finding the program's data files (the vocabulary, the text catalog).
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace platform {

// The directories searched, in order: $KINETRA_DATA_DIR when set, the
// program's own directory, the current directory, the installed data
// directory.
std::vector<std::filesystem::path> DataSearchPath();

// The first regular file of that name on the search path.
std::optional<std::filesystem::path> FindDataFile(std::string_view name);

// The directory of the running program (from /proc/self/exe).
std::filesystem::path ProgramDirectory();

}  // namespace platform
