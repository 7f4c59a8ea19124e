// Font families from a configuration: each family once, nothing when no
// fonts are configured.
#include "platform/FontFamilies.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <set>

namespace fs = std::filesystem;

namespace {

// A configuration that knows only the fonts of one directory, or none, and
// keeps its cache beside them.
fs::path Configuration(const fs::path& dir, bool withFonts) {
    fs::create_directories(dir / "fonts");
    std::ofstream(dir / "fonts.conf")
        << "<?xml version=\"1.0\"?>\n<fontconfig><cachedir>" << (dir / "cache").string()
        << "</cachedir>" << (withFonts ? "<dir>" + (dir / "fonts").string() + "</dir>" : "")
        << "</fontconfig>\n";
    return dir / "fonts.conf";
}

}  // namespace

TEST(FontFamilies, NoFontsConfiguredGivesNoFamilies) {
    const fs::path dir =
        fs::temp_directory_path() / ("kinetra-fonts-" + std::to_string(::getpid()));
    EXPECT_TRUE(platform::FontFamiliesOfConfiguration(Configuration(dir, false)).empty());
    EXPECT_TRUE(platform::FontFamiliesOfConfiguration(Configuration(dir, true)).empty());
    EXPECT_TRUE(platform::FontFamiliesOfConfiguration(dir / "missing.conf").empty());
    fs::remove_all(dir);
}

TEST(FontFamilies, AFamilyOfSeveralFontsComesOnce) {
    // Styles of one family (bold, condensed) are fonts of their own that
    // often carry further family names, so a listing repeats the first.
    const std::vector<std::string> families = platform::FontFamilies();
    EXPECT_EQ(std::set<std::string>(families.begin(), families.end()).size(), families.size());
}
