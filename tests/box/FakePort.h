// A serial port for the box tests: the bytes the box "sends" are scripted,
// the bytes written are recorded, and line errors are tied to places in
// the scripted stream (an error becomes pending once the reader has taken
// the byte it belongs to). Thread-safe.
//
// By default a read returns at once with what is there (a short read stands
// for a time-out). A live port instead waits for the bytes until they are
// fed, the input is ended or the reads are cancelled: no test depends on a
// clock.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/SerialPort.h"

class FakePort : public platform::SerialPort {
  public:
    explicit FakePort(bool live = false) : live_(live) {}

    // Scripted input.
    void Feed(const std::vector<uint8_t>& bytes) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            input_.insert(input_.end(), bytes.begin(), bytes.end());
        }
        changed_.notify_all();
    }
    // A live port's reads return short from now on.
    void EndInput() {
        {
            std::lock_guard<std::mutex> hold(lock_);
            ended_ = true;
        }
        changed_.notify_all();
    }
    // The error becomes pending when the reader takes the byte fed at that
    // position (0 is the first byte ever fed).
    void LineErrorAt(size_t position, uint32_t bits) {
        std::lock_guard<std::mutex> hold(lock_);
        scheduledErrors_[position] |= bits;
    }
    // The error is pending now.
    void LineError(uint32_t bits) {
        std::lock_guard<std::mutex> hold(lock_);
        pendingErrors_ |= bits;
    }
    // Line errors reported whenever asked from now on (a port that only
    // ever sees noise).
    void AlwaysLineErrors(uint32_t bits) {
        std::lock_guard<std::mutex> hold(lock_);
        alwaysErrors_ = bits;
    }
    size_t Unread() const {
        std::lock_guard<std::mutex> hold(lock_);
        return input_.size();
    }
    size_t Consumed() const {
        std::lock_guard<std::mutex> hold(lock_);
        return consumed_;
    }

    // Recorded output.
    std::vector<uint8_t> Written() const {
        std::lock_guard<std::mutex> hold(lock_);
        return written_;
    }
    void ClearWritten() {
        std::lock_guard<std::mutex> hold(lock_);
        written_.clear();
    }
    void FailWrites(bool fail) {
        std::lock_guard<std::mutex> hold(lock_);
        failWrites_ = fail;
    }
    // Records each byte on its own, letting other threads in between, so
    // that writes not kept whole by the caller's lock come out interleaved.
    void SplitWrites(bool split) {
        std::lock_guard<std::mutex> hold(lock_);
        splitWrites_ = split;
    }
    // Runs after each write, outside the port's lock, on the writer's thread.
    void AfterWrite(std::function<void()> hook) {
        std::lock_guard<std::mutex> hold(lock_);
        afterWrite_ = std::move(hook);
    }

    int Read(uint8_t* buffer, int n, int, int) override {
        std::unique_lock<std::mutex> hold(lock_);
        if (live_)
            changed_.wait(hold, [&] {
                return cancelled_ || ended_ || input_.size() >= static_cast<size_t>(n);
            });
        if (cancelled_) return -1;
        const int count = static_cast<int>(std::min(input_.size(), static_cast<size_t>(n)));
        for (int i = 0; i < count; ++i) {
            buffer[i] = input_.front();
            input_.pop_front();
            auto scheduled = scheduledErrors_.find(consumed_);
            if (scheduled != scheduledErrors_.end()) {
                pendingErrors_ |= scheduled->second;
                scheduledErrors_.erase(scheduled);
            }
            ++consumed_;
        }
        return count;
    }

    bool Write(const uint8_t* bytes, int n, int) override {
        std::unique_lock<std::mutex> hold(lock_);
        if (failWrites_) return false;
        if (!splitWrites_) {
            written_.insert(written_.end(), bytes, bytes + n);
        } else {
            for (int i = 0; i < n; ++i) {
                written_.push_back(bytes[i]);
                hold.unlock();
                std::this_thread::yield();
                hold.lock();
            }
        }
        const std::function<void()> hook = afterWrite_;
        hold.unlock();
        if (hook) hook();
        return true;
    }

    bool SendImmediately(uint8_t byte) override {
        std::lock_guard<std::mutex> hold(lock_);
        if (failWrites_) return false;
        written_.push_back(byte);
        return true;
    }

    bool Purge() override { return PurgeInput(); }

    bool PurgeInput() override {
        std::lock_guard<std::mutex> hold(lock_);
        consumed_ += input_.size();
        input_.clear();
        return true;
    }

    uint32_t TakeLineErrors() override {
        std::lock_guard<std::mutex> hold(lock_);
        const uint32_t errors = pendingErrors_ | alwaysErrors_;
        pendingErrors_ = 0;
        return errors;
    }

    void CancelReads() override {
        {
            std::lock_guard<std::mutex> hold(lock_);
            cancelled_ = true;
        }
        changed_.notify_all();
    }

  private:
    const bool live_;
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::deque<uint8_t> input_;
    size_t consumed_ = 0;
    std::map<size_t, uint32_t> scheduledErrors_;
    uint32_t pendingErrors_ = 0;
    uint32_t alwaysErrors_ = 0;
    bool ended_ = false;
    bool cancelled_ = false;
    std::vector<uint8_t> written_;
    bool failWrites_ = false;
    bool splitWrites_ = false;
    std::function<void()> afterWrite_;
};
