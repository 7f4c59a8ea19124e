#include "app/PipedInput.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "app/TerminalInput.h"

namespace {

void PostLine(platform::ThreadId loop, std::string line) {
    auto* copy = new std::string(std::move(line));
    if (!platform::PostThreadMessage(loop, {kInputLine, 0, reinterpret_cast<intptr_t>(copy)}))
        delete copy;
}

}  // namespace

PipedInput::PipedInput(platform::ThreadId loop) : loop_(loop) {
    if (::pipe2(wake_, O_CLOEXEC) != 0) wake_[0] = wake_[1] = -1;
    thread_ = std::thread(&PipedInput::Run, this);
}

PipedInput::~PipedInput() {
    Stop();
    for (int fd : wake_)
        if (fd >= 0) ::close(fd);
}

void PipedInput::Stop() {
    if (!thread_.joinable()) return;
    const char quit = 'q';
    if (wake_[1] >= 0 && ::write(wake_[1], &quit, 1) < 0) {
    }
    thread_.join();
}

void PipedInput::Run() {
    std::string pending;
    char buffer[4096];
    for (;;) {
        pollfd fds[] = {{STDIN_FILENO, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, wake_[0] >= 0 ? 2 : 1, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents & POLLIN) return;  // stopped: no end of input to tell
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) break;
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            PostLine(loop_, pending.substr(0, end));
            pending.erase(0, end + 1);
        }
    }
    // A last line without a line end is a line all the same.
    if (!pending.empty()) PostLine(loop_, std::move(pending));
    platform::PostThreadMessage(loop_, {kInputEnded, 0, 0});
}
