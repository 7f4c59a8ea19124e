// The one link to the box: the state every part of the box driver shares
// (the serial link, the input stream, the output commands). There is one
// per process; Link() gives it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "box/PulseEvent.h"
#include "platform/SerialPort.h"
#include "platform/ThreadQueue.h"

struct LinkState {
    // LinkLock: held for every write to the port, the whole logon and the
    // close. Re-entrant: the logon holds it while it sends a byte.
    std::recursive_mutex linkLock;

    // The open port, or null. Replaced only under linkLock, and only while
    // no link thread reads it (they are stopped first).
    std::unique_ptr<platform::SerialPort> port;
    // Whether the port is open, for the many tests that take no lock.
    std::atomic<bool> portOpen{false};

    // The port's name: set by the open, emptied by the close, kept when the
    // link is lost so that the reconnect thread can open it again.
    std::mutex nameLock;
    std::string portName;

    std::atomic<bool> loggedOn{false};
    std::atomic<bool> notReady{true};
    std::atomic<bool> errorReported{false};
    // Whether a logon succeeded since the user's open: a box that never
    // answered was not lost, it was never there.
    std::atomic<bool> everLoggedOn{false};

    // Pulsed after each decoded frame, and after each check of the timed
    // outputs (and at close and link loss), respectively. They exist for
    // the whole run; "open" below says whether a link pulses them.
    PulseEvent frameEvent;
    PulseEvent outputWaitEvent;
    std::atomic<bool> eventsOpen{false};

    // The thread that made the first open (the application's main thread):
    // notices for the user go there. 0 until then.
    std::atomic<platform::ThreadId> mainThread{0};
};

LinkState& Link();

// Notice styles (the message box's icon).
inline constexpr uintptr_t kErrorStyle = 0x10;

// Hands an error text to the main thread, which shows and frees it. False
// when it could not be posted (no main thread yet).
bool PostErrorText(const std::string& text);
