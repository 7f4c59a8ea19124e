// The interactive command centre driven through a pseudo-terminal, as a
// user at a terminal drives it: prompt, type-ahead, Ctrl+C and Ctrl+D.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/DataFiles.h"

namespace fs = std::filesystem;

namespace {

class Terminal {
  public:
    explicit Terminal(const std::vector<std::string>& arguments) {
        winsize size{24, 100, 0, 0};
        pid_ = forkpty(&fd_, nullptr, nullptr, &size);
        if (pid_ == 0) {
            std::vector<char*> argv;
            for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::setenv("TERM", "dumb", 1);
            ::setenv("EDITOR", "sh -c 'printf \"to seven\\n7\\nend\\n\" > \"$0\"'", 1);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    ~Terminal() {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (fd_ >= 0) ::close(fd_);
    }

    void Type(const std::string& keys) {
        ASSERT_EQ(::write(fd_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

    // Reads until the screen's output since the last call holds the text.
    bool WaitFor(const std::string& text, int seconds = 10) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (seen_.find(text, from_) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char buffer[1024];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) return false;
            seen_.append(buffer, static_cast<std::size_t>(n));
        }
        from_ = seen_.find(text, from_) + text.size();
        return true;
    }
    int ExitStatus(int seconds = 10) {
        for (int i = 0; i < seconds * 10; ++i) {
            int status = 0;
            char buffer[256];
            while (::read(fd_, buffer, sizeof buffer) > 0) {
            }
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            ::usleep(100000);
        }
        return -1;
    }
    const std::string& Seen() const { return seen_; }

  private:
    pid_t pid_ = -1;
    int fd_ = -1;
    bool exited_ = false;
    std::string seen_;
    std::size_t from_ = 0;
};

}  // namespace

TEST(InteractiveCommandCentre, PromptTypeAheadCtrlCAndCtrlD) {
    const fs::path dir = fs::temp_directory_path() / ("kinetra-tty-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "spin.txt") << "to spin\nspin\nend\n";  // runs until it is stopped
    Terminal terminal({(platform::ProgramDirectory() / "kinetra").string(), "--config",
                       dir.string(), "--procedures", (dir / "spin.txt").string()});

    ASSERT_TRUE(terminal.WaitFor("? ")) << terminal.Seen();
    terminal.Type("3\r");
    EXPECT_TRUE(terminal.WaitFor("You don't say what to do with 3.")) << terminal.Seen();
    terminal.Type("spin\r");
    EXPECT_TRUE(terminal.WaitFor("\xE2\x80\xA2 ")) << "the running prompt: " << terminal.Seen();
    terminal.Type("4\r");  // typed ahead while spin runs
    // The terminal drops unread input on Ctrl+C: let the line be read first.
    ASSERT_TRUE(terminal.WaitFor("4")) << terminal.Seen();
    ::usleep(300000);
    terminal.Type("\x03");
    EXPECT_TRUE(terminal.WaitFor("You don't say what to do with 4.")) << terminal.Seen();
    EXPECT_TRUE(terminal.WaitFor("? ")) << terminal.Seen();
    // The procedures page in the editor: this editor writes a new page.
    terminal.Type("\x18\x10");
    EXPECT_TRUE(terminal.WaitFor("? ")) << terminal.Seen();
    terminal.Type("seven\r");
    EXPECT_TRUE(terminal.WaitFor("You don't say what to do with 7.")) << terminal.Seen();
    terminal.Type("\x04");
    EXPECT_EQ(terminal.ExitStatus(), 0);
    fs::remove_all(dir);
}
