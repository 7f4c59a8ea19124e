// Faults of the processor (a bad pointer, an illegal instruction, a
// division by zero) end the process with a report instead of a silent
// crash: one line on standard error and one for the message-box layer.
#pragma once

namespace platform {

inline constexpr int kFatalExitCode = 999;  // the system keeps its low 8 bits: 231

// Installs the handlers for SIGSEGV, SIGBUS, SIGILL and SIGFPE; they run on
// a stack of their own for each thread that called PrepareThreadForFaults.
void InstallFatalSignalHandlers();
// Gives the calling thread an alternate signal stack, so that even a fault
// from an exhausted stack can be reported.
void PrepareThreadForFaults();

// The report for a fault code in the module at the line, as shown.
// Codes: 0xC0000005 access violation, 0x80000003 breakpoint, 0xC000001D
// illegal instruction, 0xC00000FD stack overflow, anything else by number.
const char* FatalReport(unsigned code, const char* module, int line);

}  // namespace platform
