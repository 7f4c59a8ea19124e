// The logon: the exchange that wakes the box and starts its frame stream.
// The host sends the RELEASE byte and the logon string; the box answers
// with any noise, then the reply, which must match byte for byte.
#pragma once

#include <cstdint>
#include <string_view>

inline constexpr uint8_t kReleaseCommand = 0x00;
inline constexpr std::string_view kLogonString = "###Hello there, are you ready$$$";
inline constexpr std::string_view kLogonReply = "###Now take a short breather$$$";

// Runs the logon over Link().port, holding LinkLock throughout. True, with
// the logged-on flag set, when the box answered correctly. False when the
// link must be lost; the lock is then already released, and the caller runs
// the link-lost path.
bool ControlBox_Logon();
