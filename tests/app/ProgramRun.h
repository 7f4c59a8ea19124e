// Running the built kinetra program as a user does: Logo piped in, the
// command centre's text on standard output, the exit status.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>

#include "platform/DataFiles.h"

struct RunResult {
    std::string out;
    int status = -1;  // the exit status; -1 when killed by a signal
};

// Each test gets a configuration directory of its own. A test that fails
// shows what the program wrote to standard error in it (a sanitizer's
// report, a message), which is otherwise kept out of the comparisons.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        config_ = std::filesystem::temp_directory_path() /
                  ("kinetra-program-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(config_);
        std::filesystem::create_directories(config_);
    }
    void TearDown() override {
        if (HasFailure() && !errors_.empty())
            std::cerr << "-- kinetra's standard error in this test:\n" << errors_ << "--\n";
        std::filesystem::remove_all(config_);
    }

    // The shell's words that run kinetra with the arguments, and that name
    // a file of the test's directory.
    std::string Program(const std::string& arguments) const {
        return "'" + (platform::ProgramDirectory() / "kinetra").string() + "' --config '" +
               config_.string() + "' " + arguments;
    }
    std::string Path(const std::string& name) const {
        return "'" + (config_ / name).string() + "'";
    }

    // Runs kinetra on the input. Standard error goes to Errors(). A run
    // that has not ended after a minute is killed (status 124), so a lost
    // key cannot hang the tests.
    RunResult Kinetra(const std::string& input, const std::string& arguments = "",
                      const std::string& environment = "LC_ALL=C") {
        std::ofstream(config_ / "input.txt", std::ios::binary) << input;
        RunResult run;
        const std::string command = environment + " timeout 60 " + Program(arguments) + " < " +
                                    Path("input.txt") + " 2> " + Path("err.txt");
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return run;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            run.out.append(buffer, n);
        const int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        errors_ += Errors();
        return run;
    }

    // Starts kinetra with its input a pipe that stays open, as a terminal's
    // would, so that it waits for more; Write feeds it, Signal and Wait end
    // it. Output goes to the file out.txt.
    class OpenRun {
      public:
        OpenRun(ProgramTest& test, const std::string& arguments) : test_(test) {
            int input[2];
            if (::pipe(input) != 0) return;
            const std::string command = "exec env LC_ALL=C " + test.Program(arguments) + " > " +
                                        test.Path("out.txt") + " 2> " + test.Path("err.txt");
            pid_ = ::fork();
            if (pid_ == 0) {
                ::dup2(input[0], STDIN_FILENO);
                ::close(input[0]);
                ::close(input[1]);
                ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
                ::_exit(127);
            }
            ::close(input[0]);
            input_ = input[1];
        }
        ~OpenRun() {
            if (input_ >= 0) ::close(input_);
            if (pid_ > 0 && status_ == kRunning) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
            }
        }
        OpenRun(const OpenRun&) = delete;
        OpenRun& operator=(const OpenRun&) = delete;

        bool Started() const { return pid_ > 0 && input_ >= 0; }
        void Write(const std::string& text) {
            ASSERT_EQ(::write(input_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        }
        void Signal(int signal) { ::kill(pid_, signal); }
        // The exit status, as RunResult's; 124 after a minute without an end.
        int Wait() {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (status_ == kRunning) {
                int status = 0;
                if (::waitpid(pid_, &status, WNOHANG) == pid_)
                    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                else if (std::chrono::steady_clock::now() > deadline)
                    return 124;
                else
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            test_.errors_ += test_.Errors();
            return status_;
        }

      private:
        static constexpr int kRunning = -2;
        ProgramTest& test_;
        pid_t pid_ = -1;
        int input_ = -1;
        int status_ = kRunning;
    };

    std::string Errors() const { return FileText("err.txt"); }
    std::string FileText(const std::string& name) const {
        std::ifstream in(config_ / name);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path config_;
    std::string errors_;  // of every run of the test
};
