// An event that is only ever pulsed: a pulse wakes everyone waiting at that
// moment and leaves nothing signalled. A waiter that takes Generation()
// before it tests its condition and then waits for a later generation can
// never miss the pulse that made the condition true.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class PulseEvent {
  public:
    uint64_t Generation() const {
        std::lock_guard<std::mutex> guard(lock_);
        return generation_;
    }

    void Pulse() {
        {
            std::lock_guard<std::mutex> guard(lock_);
            ++generation_;
        }
        changed_.notify_all();
    }

    // Waits for a pulse after the generation seen, at most the time; true
    // when one came.
    bool WaitAfter(uint64_t seen, int milliseconds) {
        std::unique_lock<std::mutex> lock(lock_);
        return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                 [&] { return generation_ != seen; });
    }

    bool Wait(int milliseconds) { return WaitAfter(Generation(), milliseconds); }

  private:
    mutable std::mutex lock_;
    std::condition_variable changed_;
    uint64_t generation_ = 0;
};
