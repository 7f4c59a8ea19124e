#include "app/ShutdownSignals.h"

#include <pthread.h>

#include <csignal>

namespace {

sigset_t ShutdownSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, signal);
    return set;
}

}  // namespace

void BlockShutdownSignals() {
    const sigset_t set = ShutdownSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

ShutdownSignalWatch::ShutdownSignalWatch(platform::ThreadId loop) {
    // Blocked here too, in case main did not: sigwait takes only blocked signals.
    BlockShutdownSignals();
    thread_ = std::thread([this, loop] {
        const sigset_t set = ShutdownSignals();
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) != 0) continue;
            if (ending_.load()) return;
            platform::PostThreadMessage(loop, {kShutdownSignal, static_cast<uintptr_t>(signal), 0});
        }
    });
}

// Wakes the thread with a signal of its set, sent to it alone.
ShutdownSignalWatch::~ShutdownSignalWatch() {
    ending_ = true;
    pthread_kill(thread_.native_handle(), SIGTERM);
    thread_.join();
}
