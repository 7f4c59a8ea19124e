#include "platform/FatalSignals.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/MessageBox.h"

namespace platform {

namespace {

constexpr unsigned kAccessViolation = 0xC0000005u;
constexpr unsigned kBreakpoint = 0x80000003u;
constexpr unsigned kIllegalInstruction = 0xC000001Du;
constexpr unsigned kStackOverflow = 0xC00000FDu;
constexpr unsigned kIntegerDivideByZero = 0xC0000094u;

// Written just before the process ends; process-wide so that the handler
// needs no allocation to word it.
char g_report[512];

unsigned CodeOf(int signal) {
    switch (signal) {
        case SIGSEGV:
        case SIGBUS:
            return kAccessViolation;
        case SIGILL:
            return kIllegalInstruction;
        case SIGTRAP:
            return kBreakpoint;
        case SIGFPE:
            return kIntegerDivideByZero;
        default:
            return 0;
    }
}

bool NearStack(const void* address) {
    // A fault just below the current stack pointer is the stack's guard page.
    char here;
    const auto* a = static_cast<const char*>(address);
    return a < &here && &here - a < (1 << 16);
}

void OnFault(int signal, siginfo_t* info, void*) {
    unsigned code = CodeOf(signal);
    if (code == kAccessViolation && info && NearStack(info->si_addr)) code = kStackOverflow;
    const char* report = FatalReport(code, "LogoCore", 0);
    const std::size_t length = std::strlen(report);
    // write() is safe here; the message box is a last best effort.
    if (::write(STDERR_FILENO, report, length) < 0 || ::write(STDERR_FILENO, "\n", 1) < 0) {
    }
    ShowMessage(MessageKind::Error, report);
    ::_exit(kFatalExitCode);
}

}  // namespace

const char* FatalReport(unsigned code, const char* module, int line) {
    const char* format = nullptr;
    switch (code) {
        case kAccessViolation:
            format = "Access violation in logo core.(%s:%d)";
            break;
        case kBreakpoint:
            format = "Breakpoint in logo core!!! (%s:%d)";
            break;
        case kIllegalInstruction:
            format = "Illegal Instruction in logo core.(%s:%d)";
            break;
        case kStackOverflow:
            format = "Stack overflow in logo core.(%s:%d)";
            break;
    }
    if (format)
        std::snprintf(g_report, sizeof g_report, format, module, line);
    else
        std::snprintf(g_report, sizeof g_report, "Fatal Error (0x%08x) in logo core.(%s:%d)", code,
                      module, line);
    return g_report;
}

void InstallFatalSignalHandlers() {
    struct sigaction action {};
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE}) sigaction(signal, &action, nullptr);
    PrepareThreadForFaults();
}

// The sanitizers keep alternate stacks of their own and free them when a
// thread ends, so a build with one leaves the stacks to it.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KINETRA_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KINETRA_SANITIZED 1
#endif
#endif
#ifdef KINETRA_SANITIZED
void PrepareThreadForFaults() {}
#else
namespace {

class AlternateStack {
  public:
    AlternateStack() : memory_(kSize, '\0') {
        stack_t alternate{};
        alternate.ss_sp = memory_.data();
        alternate.ss_size = memory_.size();
        sigaltstack(&alternate, nullptr);
    }
    ~AlternateStack() {
        stack_t off{};
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
    }
    AlternateStack(const AlternateStack&) = delete;
    AlternateStack& operator=(const AlternateStack&) = delete;

  private:
    static constexpr std::size_t kSize = 64 * 1024;
    std::string memory_;
};

}  // namespace

void PrepareThreadForFaults() {
    thread_local AlternateStack stack;
}
#endif

}  // namespace platform
