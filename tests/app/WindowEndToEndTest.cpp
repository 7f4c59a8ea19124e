// The real program in its window, on a display of its own: piped lines are
// typed into the window's command centre and its output is checked.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "ProgramRun.h"

namespace {

class WindowProgram : public ProgramTest {};

bool XvfbThere() {
    return std::system("command -v xvfb-run > /dev/null 2>&1") == 0;
}

TEST_F(WindowProgram, PipedLinesRunInTheWindowAndItsOutputReachesStandardOutput) {
    if (!XvfbThere()) GTEST_SKIP() << "xvfb-run is not installed";
    const std::filesystem::path shot = config_ / "window.png";
    // The system's D-Bus library, which Qt uses on a display, keeps a buffer
    // to the end; in a sanitizer build that is not ours to report.
    const std::filesystem::path suppressions = config_ / "lsan.supp";
    std::ofstream(suppressions) << "leak:libdbus-1.so\n";
    const RunResult run =
        Kinetra("print 3 + 4\nlaunch [forever [wait 1]]\nprint \"done\n",
                "--window --port virtual --screenshot '" + shot.string() + "'",
                "LC_ALL=C LSAN_OPTIONS=suppressions='" + suppressions.string() + "' xvfb-run -a");
    EXPECT_EQ(run.out, "7\ndone\n");
    EXPECT_EQ(run.status, 0);
    // Only the window takes a picture of itself.
    EXPECT_GT(std::filesystem::exists(shot) ? std::filesystem::file_size(shot) : 0u, 1000u);
}

}  // namespace
