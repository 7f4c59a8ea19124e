// The signals that end Kinetra from outside: SIGTERM (a logout, kill, a
// service manager), SIGHUP (the terminal closed) and SIGINT (Ctrl+C, which
// an interactive terminal takes as its stop key instead). None of them may
// kill the process on the spot with the motors running: every thread keeps
// them blocked, and a thread of their own takes each with sigwait and
// posts it to the main loop, which shuts down in order.
#pragma once

#include <atomic>
#include <thread>

#include "platform/ThreadQueue.h"

// To the main loop: wParam the signal number.
inline constexpr uint32_t kShutdownSignal = 0x7306;

// Blocks the signals in the calling thread and so in every thread it starts
// from then on. The first thing main does, before any thread starts.
void BlockShutdownSignals();

// Takes the signals for as long as it lives.
class ShutdownSignalWatch {
  public:
    explicit ShutdownSignalWatch(platform::ThreadId loop);
    ~ShutdownSignalWatch();
    ShutdownSignalWatch(const ShutdownSignalWatch&) = delete;
    ShutdownSignalWatch& operator=(const ShutdownSignalWatch&) = delete;

  private:
    std::atomic<bool> ending_{false};
    std::thread thread_;
};
