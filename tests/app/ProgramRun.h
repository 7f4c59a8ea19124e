// Running the built kinetra program as a user does: Logo piped in, the
// command centre's text on standard output, the exit status.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
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

    // A run of kinetra with the arguments, in the environment given
    // (assignments), its input a pipe that stays open until closed, as a
    // terminal's would; its output goes to Output(), its standard error to
    // Errors().
    class Run {
      public:
        Run(ProgramTest& test, const std::string& arguments,
            const std::string& environment = "LC_ALL=C")
            : test_(test) {
            // A program that has ended fails the write instead of ending the test.
            ::signal(SIGPIPE, SIG_IGN);
            int input[2];
            if (::pipe(input) != 0) return;
            const std::string command = "exec env " + environment + " '" +
                                        (platform::ProgramDirectory() / "kinetra").string() +
                                        "' --config '" + test.config_.string() + "' " + arguments +
                                        " > '" + (test.config_ / "out.txt").string() + "' 2> '" +
                                        (test.config_ / "err.txt").string() + "'";
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
        ~Run() {
            CloseInput();
            if (pid_ > 0 && status_ == kRunning) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
            }
        }
        Run(const Run&) = delete;
        Run& operator=(const Run&) = delete;

        bool Started() const { return pid_ > 0 && input_ >= 0; }
        // False when the program has stopped reading.
        bool Write(const std::string& text) {
            return ::write(input_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        }
        void CloseInput() {
            if (input_ >= 0) ::close(input_);
            input_ = -1;
        }
        void Signal(int signal) { ::kill(pid_, signal); }
        // The exit status, as RunResult's. A run that has not ended after a
        // minute is killed (status 124), so a lost key cannot hang the tests.
        int Wait() {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (status_ == kRunning) {
                int status = 0;
                if (::waitpid(pid_, &status, WNOHANG) == pid_)
                    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                else if (std::chrono::steady_clock::now() < deadline)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                else {
                    Signal(SIGKILL);
                    ::waitpid(pid_, nullptr, 0);
                    status_ = 124;
                }
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

    // Runs kinetra on the whole input.
    RunResult Kinetra(const std::string& input, const std::string& arguments = "",
                      const std::string& environment = "LC_ALL=C") {
        Run run(*this, arguments, environment);
        if (!run.Started()) return {};
        run.Write(input);
        run.CloseInput();
        RunResult result;
        result.status = run.Wait();
        result.out = Output();
        return result;
    }

    std::string Output() const { return FileText("out.txt"); }
    std::string Errors() const { return FileText("err.txt"); }
    std::string FileText(const std::string& name) const {
        std::ifstream in(config_ / name);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path config_;
    std::string errors_;  // of every run of the test
};
