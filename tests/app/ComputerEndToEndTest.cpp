// The program run with piped input: the input's characters are the keys a
// task waits for, the window commands run quietly, and the decimal
// separator chosen in Logo holds at the next start.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/DataFiles.h"

namespace fs = std::filesystem;

namespace {

struct RunResult {
    std::string out;
    int status = -1;
};

class ComputerEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        config_ = fs::temp_directory_path() /
                  ("kinetra-computer-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(config_);
        fs::create_directories(config_);
    }
    void TearDown() override { fs::remove_all(config_); }

    // Runs kinetra on the input in the locale given; a run that has not
    // ended after a minute is killed (status 124), so a lost key cannot
    // hang the tests.
    RunResult Kinetra(const std::string& input, const std::string& locale = "C") {
        const fs::path in = config_ / "input.txt";
        std::ofstream(in, std::ios::binary) << input;
        const std::string command = "LC_ALL=" + locale + " timeout 60 '" +
                                    (platform::ProgramDirectory() / "kinetra").string() +
                                    "' --config '" + config_.string() + "' < '" + in.string() +
                                    "' 2> /dev/null";
        RunResult run;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return run;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            run.out.append(buffer, n);
        const int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }

    fs::path config_;
};

}  // namespace

TEST_F(ComputerEndToEnd, ReadcharTakesTheNextCharacterOfTheInputAndEndsWithIt) {
    const RunResult run = Kinetra("print readchar\nx\nprint \"next\n");
    EXPECT_EQ(run.out, "x\nnext\n") << "the x is a key, not a command";
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Kinetra("print readchar\n").status, 0) << "no key can come any more";
}

TEST_F(ComputerEndToEnd, TheWindowCommandsRunWithoutAWord) {
    EXPECT_EQ(Kinetra("print 1\ncc\nhidecc showcc hidetools showtools\nprint 2\n").out, "1\n2\n");
}

TEST_F(ComputerEndToEnd, TheChosenSeparatorHoldsAtTheNextStartWhateverTheLocale) {
    // Nothing chosen yet: the locale's comma. A line is read with the
    // separator of the moment, so 2,5 is one number here.
    EXPECT_EQ(Kinetra("print 2,5\n", "da_DK.UTF-8").out, "2,5\n");
    EXPECT_EQ(Kinetra("decimalpoint\n", "da_DK.UTF-8").out, "");
    EXPECT_EQ(Kinetra("print 2.5\n", "da_DK.UTF-8").out, "2.5\n");
    EXPECT_EQ(Kinetra("decimalcomma\n").out, "");
    EXPECT_EQ(Kinetra("print 2,5\n").out, "2,5\n");
}
