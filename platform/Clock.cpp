// The millisecond clock, counted from the start of the process.
#include "platform/Clock.h"

#include <chrono>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point Origin() {
    static const Clock::time_point origin = Clock::now();
    return origin;
}

// Fixes the origin while the program starts, before anyone asks the time.
const Clock::time_point kStartOrigin = Origin();

}  // namespace

int64_t Milliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - Origin()).count();
}

}  // namespace platform
