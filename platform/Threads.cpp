#include "platform/Threads.h"

#include <pthread.h>
#include <sched.h>

#include <chrono>
#include <memory>
#include <thread>

namespace platform {

namespace {

void* RunThread(void* argument) {
    std::unique_ptr<std::function<void()>> run(static_cast<std::function<void()>*>(argument));
    (*run)();
    return nullptr;
}

// The lowest usable address of this thread's stack, found once per thread.
char* StackLimit() {
    thread_local char* limit = [] {
        pthread_attr_t attr;
        void* base = nullptr;
        std::size_t size = 0;
        if (pthread_getattr_np(pthread_self(), &attr) == 0) {
            pthread_attr_getstack(&attr, &base, &size);
            pthread_attr_destroy(&attr);
        }
        return static_cast<char*>(base);
    }();
    return limit;
}

}  // namespace

bool StartDetachedThread(std::function<void()> run, std::size_t stackSize) {
    auto* argument = new std::function<void()>(std::move(run));
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, stackSize);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    const int failed = pthread_create(&thread, &attr, RunThread, argument);
    pthread_attr_destroy(&attr);
    if (failed) delete argument;
    return !failed;
}

bool StackNearlyExhausted(std::size_t reserve) {
    // The frame address, not a local's: a sanitizer may keep locals elsewhere.
    auto* here = static_cast<char*>(__builtin_frame_address(0));
    char* limit = StackLimit();
    if (!limit || here < limit) return false;
    return static_cast<std::size_t>(here - limit) < reserve;
}

void SleepMilliseconds(int milliseconds) {
    if (milliseconds <= 0)
        sched_yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void YieldWhenSliceUsed() {
    // The clock is read only every few rounds: a round can be very short.
    constexpr unsigned kRoundsPerLook = 32;
    constexpr auto kSlice = std::chrono::milliseconds(4);
    thread_local unsigned rounds = 0;
    thread_local auto lastYield = std::chrono::steady_clock::now();
    if (++rounds < kRoundsPerLook) return;
    rounds = 0;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastYield < kSlice) return;
    sched_yield();
    lastYield = std::chrono::steady_clock::now();
}

}  // namespace platform
