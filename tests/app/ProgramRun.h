// Running the built kinetra program as a user does: Logo piped in, the
// command centre's text on standard output, the exit status.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/DataFiles.h"

struct RunResult {
    std::string out;
    int status = -1;
};

// Each test gets a configuration directory of its own.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        config_ = std::filesystem::temp_directory_path() /
                  ("kinetra-program-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(config_);
        std::filesystem::create_directories(config_);
    }
    void TearDown() override { std::filesystem::remove_all(config_); }

    // Runs kinetra on the input with the arguments, in the environment
    // given (assignments put before the command). Standard error goes to
    // Errors(). A run that has not ended after a minute is killed (status
    // 124), so a lost key cannot hang the tests.
    RunResult Kinetra(const std::string& input, const std::string& arguments = "",
                      const std::string& environment = "LC_ALL=C") {
        const std::filesystem::path in = config_ / "input.txt";
        std::ofstream(in, std::ios::binary) << input;
        const std::string command = environment + " timeout 60 '" +
                                    (platform::ProgramDirectory() / "kinetra").string() +
                                    "' --config '" + config_.string() + "' " + arguments + " < '" +
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

    std::string Errors() const {
        std::ifstream in(config_ / "err.txt");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path config_;
};
