#include "app/TerminalInput.h"

#include <fcntl.h>
#include <poll.h>
#include <readline/history.h>
#include <readline/readline.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// readline calls back through plain functions: the one interactive input.
InteractiveInput* g_input = nullptr;

constexpr char kWakeQuit = 'q';

void Post(platform::ThreadId loop, uint32_t number, std::string* text = nullptr) {
    if (!platform::PostThreadMessage(loop, {number, 0, reinterpret_cast<intptr_t>(text)}))
        delete text;
}

// Runs the command with the shell, as system() does, but with no signal
// blocked: Kinetra blocks the ones it takes itself, and a child inherits
// the mask.
int RunShellCommand(const std::string& command) {
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    pid_t child = 0;
    int status = -1;
    if (posix_spawn(&child, "/bin/sh", nullptr, &attributes, const_cast<char**>(argv), environ) ==
        0)
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    posix_spawnattr_destroy(&attributes);
    return status;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::string ProceduresPage::Text() const {
    std::lock_guard<std::mutex> guard(lock_);
    return text_;
}

void ProceduresPage::SetText(std::string text) {
    std::lock_guard<std::mutex> guard(lock_);
    text_ = std::move(text);
}

void ProceduresPage::Append(std::string_view text) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!text_.empty() && text_.back() != '\n') text_ += '\n';
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) text_ += text[i];
}

InteractiveInput::InteractiveInput(platform::ThreadId loop, ProceduresPage& page)
    : loop_(loop), page_(page) {}

InteractiveInput::~InteractiveInput() {
    Stop();
}

void InteractiveInput::Start() {
    if (::pipe2(wake_, O_CLOEXEC) != 0) return;
    g_input = this;
    thread_ = std::thread(&InteractiveInput::Run, this);
}

void InteractiveInput::Stop() {
    if (!thread_.joinable()) return;
    const char quit = kWakeQuit;
    if (::write(wake_[1], &quit, 1) < 0) {
    }
    thread_.join();
    g_input = nullptr;
    ::close(wake_[0]);
    ::close(wake_[1]);
}

void InteractiveInput::OnLine(char* line) {
    if (!line) {
        g_input->ended_ = true;
        Post(g_input->loop_, kInputEnded);
        return;
    }
    if (*line) add_history(line);
    Post(g_input->loop_, kInputLine, new std::string(line));
    std::free(line);
}

// Every byte readline reads also goes to the loop, which hands whole
// characters to Logo waiting for one.
int InteractiveInput::ReadByte(FILE* stream) {
    const int c = rl_getc(stream);
    if (c != EOF && g_input)
        platform::PostThreadMessage(g_input->loop_,
                                    {kTypedByte, static_cast<uintptr_t>(c & 0xFF), 0});
    return c;
}

// Ctrl+X Ctrl+P: the procedures page in the user's editor, defined anew
// when the editor closes.
int InteractiveInput::EditProcedures(int, int) {
    char path[] = "/tmp/kinetra-procedures-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0) return 0;
    const std::string text = g_input->page_.Text();
    if (::write(fd, text.data(), text.size()) < 0) {
    }
    ::close(fd);
    const char* editor = std::getenv("EDITOR");
    const std::string command = std::string(editor && *editor ? editor : "vi") + " '" + path + "'";
    rl_deprep_terminal();
    const int status = RunShellCommand(command);
    rl_prep_terminal(0);
    if (status == 0) Post(g_input->loop_, kProceduresEdited, new std::string(ReadWholeFile(path)));
    ::unlink(path);
    rl_forced_update_display();
    return 0;
}

void InteractiveInput::Run() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        rl_readline_name = "kinetra";
        // The signals come to the main loop (ShutdownSignals.h), which
        // restores the terminal through Stop.
        rl_catch_signals = 0;
        rl_getc_function = ReadByte;
        rl_bind_keyseq("\\C-x\\C-p", EditProcedures);
        rl_callback_handler_install(running_ ? kRunningPrompt : kIdlePrompt, OnLine);
        installed_ = true;
    }
    while (!ended_) {
        pollfd fds[] = {{STDIN_FILENO, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents & POLLIN) {
            char wake = 0;
            if (::read(wake_[0], &wake, 1) == 1 && wake == kWakeQuit) break;
        }
        if (fds[0].revents & (POLLIN | POLLHUP)) {
            std::lock_guard<std::mutex> guard(lock_);
            rl_callback_read_char();
        }
    }
    std::lock_guard<std::mutex> guard(lock_);
    rl_callback_handler_remove();
    installed_ = false;
}

void InteractiveInput::Write(std::string_view text, std::FILE* stream) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!installed_) {
        std::fwrite(text.data(), 1, text.size(), stream);
        std::fflush(stream);
        return;
    }
    // Lift the line being edited, write, and put it back below the text.
    char* saved = rl_copy_text(0, rl_end);
    const int point = rl_point;
    rl_save_prompt();
    rl_replace_line("", 0);
    rl_redisplay();
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
    rl_restore_prompt();
    rl_replace_line(saved, 0);
    rl_point = point;
    rl_redisplay();
    std::free(saved);
}

void InteractiveInput::DropLine() {
    std::lock_guard<std::mutex> guard(lock_);
    if (!installed_) return;
    rl_replace_line("", 0);
    rl_crlf();
    rl_on_new_line();
    rl_redisplay();
}

void InteractiveInput::SetRunning(bool running) {
    std::lock_guard<std::mutex> guard(lock_);
    if (running == running_) return;
    running_ = running;
    if (!installed_) return;
    rl_set_prompt(running ? kRunningPrompt : kIdlePrompt);
    rl_redisplay();
}
