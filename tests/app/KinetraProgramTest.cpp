// The built program, run as a user runs it: Logo piped in, the command
// centre's text on standard output, the exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/Startup.h"
#include "platform/DataFiles.h"

namespace fs = std::filesystem;

namespace {

struct RunResult {
    std::string out;
    int status = -1;
};

class KinetraProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        config_ = fs::temp_directory_path() /
                  ("kinetra-program-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(config_);
        fs::create_directories(config_);
    }
    void TearDown() override { fs::remove_all(config_); }

    // Runs kinetra with the input and the arguments; standard error is kept
    // apart from standard output.
    RunResult Kinetra(const std::string& input, const std::string& arguments = "") {
        const fs::path in = config_ / "input.txt";
        std::ofstream(in, std::ios::binary) << input;
        const std::string command = (platform::ProgramDirectory() / "kinetra").string() +
                                    " --config '" + config_.string() + "' " + arguments + " < '" +
                                    in.string() + "' 2> '" + (config_ / "err.txt").string() + "'";
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
    std::string Errors() {
        std::ifstream in(config_ / "err.txt");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path config_;
};

}  // namespace

TEST_F(KinetraProgram, AnUnusedValueIsReportedAndTheProgramEndsWithItsInput) {
    const RunResult run = Kinetra("3\n");
    EXPECT_EQ(run.out, "You don't say what to do with 3.\n");
    EXPECT_EQ(run.status, 0);
    // The stores fill themselves with what was asked for; the margins are
    // written back at the end.
    std::ifstream machine(config_ / "machine.ini"), profile(config_ / "profile.ini");
    const std::string stored(std::istreambuf_iterator<char>(machine), {});
    const std::string margins(std::istreambuf_iterator<char>(profile), {});
    EXPECT_NE(stored.find("ControlBox_Port=\"COM1\""), std::string::npos) << stored;
    EXPECT_NE(margins.find("TopMargin=6"), std::string::npos) << margins;
}

TEST(LocaleDecimalSeparator, FollowsTheLanguageEvenWithoutInstalledLocales) {
    EXPECT_EQ(DecimalSeparatorOfLocale("da_DK.UTF-8"), ',');
    EXPECT_EQ(DecimalSeparatorOfLocale("de_DE"), ',');
    EXPECT_EQ(DecimalSeparatorOfLocale("de_CH.UTF-8"), '.');
    EXPECT_EQ(DecimalSeparatorOfLocale("en_GB.UTF-8"), '.');
    EXPECT_EQ(DecimalSeparatorOfLocale("C"), '.');
    EXPECT_EQ(DecimalSeparatorOfLocale(""), '.');
}

TEST_F(KinetraProgram, LinesRunInTurnAndProceduresComeFromTheFileGiven) {
    std::ofstream(config_ / "procs.txt") << "to five\n5\nend\nto six\n6\nend\n";
    const RunResult run =
        Kinetra("five\nsix\n(\n", "--procedures '" + (config_ / "procs.txt").string() + "'");
    const std::string values =
        "You don't say what to do with 5.\nYou don't say what to do with 6.\n";
    EXPECT_EQ(run.out.substr(0, values.size()), values);
    EXPECT_GT(run.out.size(), values.size()) << "the syntax error of the last line is shown";
    EXPECT_EQ(run.status, 0);
}

TEST_F(KinetraProgram, ASecondCopyWithTheSameConfigurationRefusesToRun) {
    SingleInstance first;
    ASSERT_TRUE(first.Acquire(config_));
    const RunResult run = Kinetra("3\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(Errors().find("already running"), std::string::npos) << Errors();
}

TEST_F(KinetraProgram, AProjectThatCannotBeReadIsReportedAndANewOneStarts) {
    const RunResult run = Kinetra("3\n", "no-such-project.KXP");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Errors().rfind("error: ", 0), 0u) << Errors();
    EXPECT_NE(Errors().find("no-such-project.KXP"), std::string::npos);
}
