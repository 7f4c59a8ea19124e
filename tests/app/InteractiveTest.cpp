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
#include <memory>
#include <string>
#include <vector>

#include "box/VirtualBox.h"
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
    // Everything the program writes is kept, its standard error too (a
    // sanitizer's report at exit), for Seen to show.
    int ExitStatus(int seconds = 10) {
        for (int i = 0; i < seconds * 10; ++i) {
            Drain();
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                Drain();
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            ::usleep(100000);
        }
        return -1;
    }
    const std::string& Seen() const { return seen_; }

  private:
    void Drain() {
        pollfd p{fd_, POLLIN, 0};
        char buffer[1024];
        for (ssize_t n; ::poll(&p, 1, 0) > 0 && (n = ::read(fd_, buffer, sizeof buffer)) > 0;)
            seen_.append(buffer, static_cast<std::size_t>(n));
    }

    pid_t pid_ = -1;
    int fd_ = -1;
    bool exited_ = false;
    std::string seen_;
    std::size_t from_ = 0;
};

}  // namespace

// Ctrl+C is the stop key: it stops what runs, as stopall does, box outputs
// included, and the line typed ahead runs next.
TEST(InteractiveCommandCentre, PromptTypeAheadCtrlCAndCtrlD) {
    const fs::path dir = fs::temp_directory_path() / ("kinetra-tty-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "spin.txt") << "to spin\nspin\nend\n";  // runs until it is stopped
    const std::unique_ptr<VirtualBox> box = VirtualBox::Start();
    ASSERT_NE(box, nullptr) << "no pseudo-terminal for the simulated box";
    Terminal terminal({(platform::ProgramDirectory() / "kinetra").string(), "--config",
                       dir.string(), "--procedures", (dir / "spin.txt").string(), "--port",
                       box->DevicePath()});

    ASSERT_TRUE(terminal.WaitFor("? ")) << terminal.Seen();
    // Commands count once the box's first frame is in (ten seconds at most).
    terminal.Type("resett waituntil [or ((sensor 8) > 0) (timer > 100)] print 3\r");
    ASSERT_TRUE(terminal.WaitFor("3\r\n? ", 15)) << terminal.Seen();
    terminal.Type("talkto \"b on talkto \"a onfor 100 spin\r");
    EXPECT_TRUE(terminal.WaitFor("\xE2\x80\xA2 ")) << "the running prompt: " << terminal.Seen();
    terminal.Type("4\r");  // typed ahead while it runs
    // The terminal drops unread input on Ctrl+C: let the line be read first.
    ASSERT_TRUE(terminal.WaitFor("4")) << terminal.Seen();
    for (int i = 0; i < 100 && !(box->OutputOn(1) && box->OutputOn(2)); ++i) ::usleep(20000);
    ASSERT_TRUE(box->OutputOn(1) && box->OutputOn(2)) << terminal.Seen();
    ::usleep(300000);
    terminal.Type("\x03");
    EXPECT_TRUE(terminal.WaitFor("You don't say what to do with 4.")) << terminal.Seen();
    EXPECT_TRUE(terminal.WaitFor("? ")) << terminal.Seen();
    // Long before onfor's ten seconds are over.
    for (int i = 0; i < 100 && (box->OutputOn(1) || box->OutputOn(2)); ++i) ::usleep(20000);
    EXPECT_FALSE(box->OutputOn(1) || box->OutputOn(2)) << "Ctrl+C left the outputs on";
    // The procedures page in the editor: this editor writes a new page.
    terminal.Type("\x18\x10");
    EXPECT_TRUE(terminal.WaitFor("? ")) << terminal.Seen();
    terminal.Type("seven\r");
    EXPECT_TRUE(terminal.WaitFor("You don't say what to do with 7.")) << terminal.Seen();
    terminal.Type("\x04");
    EXPECT_EQ(terminal.ExitStatus(), 0) << terminal.Seen();
    fs::remove_all(dir);
}
