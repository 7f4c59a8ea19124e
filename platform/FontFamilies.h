// The font families installed on this machine, as the font configuration
// knows them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// The family names in the configuration's enumeration order, each once
// (a family's first name only: the others are localised or style names).
// Empty when no fonts are configured.
std::vector<std::string> FontFamilies();

// The same for the fonts that the configuration file given (fontconfig's
// own format) names, instead of the system's. Empty when it cannot be read.
std::vector<std::string> FontFamiliesOfConfiguration(const std::filesystem::path& file);

}  // namespace platform
