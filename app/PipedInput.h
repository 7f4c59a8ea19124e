// Standard input that is not a terminal, read line by line on a thread of
// its own that posts each line to the main loop (kInputLine, then
// kInputEnded). Stop ends the reading at once, also while nothing comes.
#pragma once

#include <thread>

#include "platform/ThreadQueue.h"

class PipedInput {
  public:
    explicit PipedInput(platform::ThreadId loop);
    ~PipedInput();
    PipedInput(const PipedInput&) = delete;
    PipedInput& operator=(const PipedInput&) = delete;

    void Stop();

  private:
    void Run();

    platform::ThreadId loop_;
    int wake_[2] = {-1, -1};
    std::thread thread_;
};
