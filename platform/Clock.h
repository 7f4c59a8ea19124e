// The millisecond clock of Kinetra: timers, waits and the box's sample time
// stamps all read this one clock, so their times can be compared.
#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since Kinetra started. Monotonic: the wall clock may be set
// back or jump ahead (by the user, or by time synchronisation), and neither
// a timer nor a wait may follow it.
int64_t Milliseconds();

}  // namespace platform
