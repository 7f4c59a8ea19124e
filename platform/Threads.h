// Threads for Logo tasks: a generous stack, and a check of how much of the
// calling thread's stack is left, so that runaway recursion becomes a Logo
// error instead of a crash.
#pragma once

#include <cstddef>
#include <functional>

namespace platform {

inline constexpr std::size_t kTaskStackSize = 64u << 20;

// Starts a detached thread running the function on a stack of the size.
// False when the system could not make the thread.
bool StartDetachedThread(std::function<void()> run, std::size_t stackSize = kTaskStackSize);

// True when less than the reserve is left of the calling thread's stack.
bool StackNearlyExhausted(std::size_t reserve = 256u << 10);

// Sleeps; 0 gives the processor away once.
void SleepMilliseconds(int milliseconds);

// For loops that run without end: gives the processor away once the calling
// thread has run a time slice since it last did so. The kernel preempts busy
// threads anyway; this only keeps a long loop from holding a processor that
// waiting tasks of the same priority want, without a system call per round.
void YieldWhenSliceUsed();

}  // namespace platform
