#include "LogoCore/BoxSeam.h"

#include <mutex>
#include <utility>

#include "platform/Threads.h"

namespace {

std::mutex gLock;
std::function<void(int)> gWaiter;

}  // namespace

void SetFrameWaiter(std::function<void(int milliseconds)> waiter) {
    std::lock_guard<std::mutex> guard(gLock);
    gWaiter = std::move(waiter);
}

void ControlBox_WaitFrame(int milliseconds) {
    std::function<void(int)> waiter;
    {
        std::lock_guard<std::mutex> guard(gLock);
        waiter = gWaiter;
    }
    if (waiter)
        waiter(milliseconds);
    else
        platform::SleepMilliseconds(milliseconds);
}
