// The logon: the exchange that wakes the box and starts its frame stream.
// The host sends the RELEASE byte and the logon string; the box answers
// with any noise, then the reply, which must match byte for byte.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

inline constexpr uint8_t kReleaseCommand = 0x00;
inline constexpr std::string_view kLogonString = "###Hello there, are you ready$$$";
inline constexpr std::string_view kLogonReply = "###Now take a short breather$$$";

// The bytes of a logon as the host sends them, and how often they appear
// in what a box received: what a simulated box or a check of the link
// counts.
std::vector<uint8_t> LogonBytes();
int CountLogons(const std::vector<uint8_t>& bytes);

// At 9600 baud the reply is due some 70 ms after the RELEASE; an attempt
// that has not seen it within this time has failed, however many bytes
// came meanwhile. A box whose cable was pulled was never logged off, and
// when the cable comes back in the middle of a logon it streams frames.
inline constexpr int kLogonAttemptMilliseconds = 1000;
// A box that was heard but gave no reply is tried again, each time from
// a fresh RELEASE; a silent port is not.
inline constexpr int kLogonAttempts = 3;
// The longest a logon takes (its writes, which have their own time-outs,
// aside).
inline constexpr int kLongestLogonMilliseconds = kLogonAttempts * kLogonAttemptMilliseconds;

// Runs the logon over Link().port, holding LinkLock throughout. True when
// the box answered correctly: the logged-on flag is set and the box has
// been brought to the outputs' remembered state. False when the link must
// be lost; the lock is then already released, and the caller runs the
// link-lost path.
bool ControlBox_Logon();
