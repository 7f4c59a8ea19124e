// The real program in its window, on a display of its own: piped lines are
// typed into the window's command centre and its output is checked.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "ProgramRun.h"

namespace {

class WindowProgram : public ProgramTest {
  protected:
    // The environment of a run on a display: the system's D-Bus library,
    // which Qt uses there, keeps a buffer to the end; in a sanitizer build
    // that is not ours to report.
    std::string DisplayEnvironment() {
        const std::filesystem::path suppressions = config_ / "lsan.supp";
        std::ofstream(suppressions) << "leak:libdbus-1.so\n";
        return "LC_ALL=C LSAN_OPTIONS=suppressions='" + suppressions.string() + "'";
    }
};

bool XvfbThere() {
    return std::system("command -v xvfb-run > /dev/null 2>&1") == 0;
}

// Polls until the condition holds, for at most 30 seconds.
template <typename Condition>
bool Eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

TEST_F(WindowProgram, PipedLinesRunInTheWindowAndItsOutputReachesStandardOutput) {
    if (!XvfbThere()) GTEST_SKIP() << "xvfb-run is not installed";
    const std::filesystem::path shot = config_ / "window.png";
    const RunResult run = Kinetra("print 3 + 4\nlaunch [forever [wait 1]]\nprint \"done\n",
                                  "--window --port virtual --screenshot '" + shot.string() + "'",
                                  DisplayEnvironment() + " xvfb-run -a");
    EXPECT_EQ(run.out, "7\ndone\n");
    EXPECT_EQ(run.status, 0);
    // Only the window takes a picture of itself.
    EXPECT_GT(std::filesystem::exists(shot) ? std::filesystem::file_size(shot) : 0u, 1000u);
}

// A user's click, through the X server: piped Logo makes a button larger
// than the window on a page shown alone, so that the middle of the page
// area is on it, wherever the window's frames put the page.
TEST_F(WindowProgram, AButtonClickedWithTheMouseRunsItsList) {
    if (!XvfbThere() || std::system("command -v xdotool > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "xvfb-run or xdotool is not installed";
    std::ofstream(config_ / "profile.ini") << "[General]\nSingle Page=1\n";
    const std::filesystem::path display = config_ / "display";
    Run run(*this, "--window --port '(none)'",
            DisplayEnvironment() +
                " xvfb-run -a -s '-screen 0 1024x768x24' sh -c 'echo DISPLAY=$DISPLAY "
                "XAUTHORITY=$XAUTHORITY > \"" +
                display.string() + "\"; exec \"$0\" \"$@\"'");
    ASSERT_TRUE(run.Started());
    run.Write(
        "newobject \"button \"go [0 0] [3000 3000]\n"
        "setbuttonfunction [print \"clicked]\n"
        "print \"ready\n");
    ASSERT_TRUE(Eventually([&] { return Output() == "ready\n"; })) << Output();
    // The display's name and key, as xvfb-run gave them to the program.
    const std::string click =
        "env $(cat '" + display.string() +
        "') sh -c 'w=$(timeout 20 xdotool search --sync --onlyvisible --name Kinetra | head "
        "-n 1) && xdotool mousemove --window $w 500 300 click 1'";
    ASSERT_EQ(std::system(click.c_str()), 0);
    EXPECT_TRUE(Eventually([&] { return Output() == "ready\nclicked\n"; })) << Output();
    run.CloseInput();
    EXPECT_EQ(run.Wait(), 0);
}

}  // namespace
