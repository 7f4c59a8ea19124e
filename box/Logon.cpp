#include "box/Logon.h"

#include <cstring>
#include <mutex>

#include "box/LinkState.h"
#include "box/OutputCommands.h"
#include "platform/MessageBox.h"
#include "platform/SerialPort.h"

namespace {

// Time-outs of the logon's reads: 100 ms between bytes, and 100 ms per
// byte asked for plus 100 ms in all.
constexpr int kIntervalMilliseconds = 100;
constexpr int TotalTimeout(int bytes) {
    return 100 * bytes + 100;
}
// Write time-out: 80 ms per byte and 80 ms besides.
constexpr int WriteTimeout(int bytes) {
    return 80 * bytes + 80;
}

// Waits for the reply's first byte, skipping whatever comes before it, with
// no limit: only silence (or a close, which cancels the read) ends the wait.
bool SkipToReply(platform::SerialPort& port) {
    for (;;) {
        uint8_t byte = 0;
        if (port.Read(&byte, 1, kIntervalMilliseconds, TotalTimeout(1)) != 1) return false;
        if (byte == static_cast<uint8_t>(kLogonReply[0])) return true;
    }
}

// The part of the logon that runs under LinkLock.
bool LogonHeld(LinkState& link) {
    if (!ControlBox_SendByte(kReleaseCommand)) {
        platform::ShowMessage(platform::MessageKind::Error,
                              "Can't send RELEASE command to the box!");
        return false;
    }
    platform::SerialPort* port = link.port.get();
    if (!port || port->TakeLineErrors() != 0) return false;

    const auto* logon = reinterpret_cast<const uint8_t*>(kLogonString.data());
    const int logonBytes = static_cast<int>(kLogonString.size());
    if (!port->Write(logon, logonBytes, WriteTimeout(logonBytes))) {
        platform::ShowMessage(platform::MessageKind::Error, "Can't send LOGON STRING to the box!");
        return false;
    }

    if (!SkipToReply(*port)) return false;
    if (port->TakeLineErrors() != 0) return false;
    constexpr int kRest = static_cast<int>(kLogonReply.size()) - 1;
    uint8_t reply[kRest];
    if (port->Read(reply, kRest, kIntervalMilliseconds, TotalTimeout(kRest)) != kRest) return false;
    if (port->TakeLineErrors() != 0) return false;
    return std::memcmp(reply, kLogonReply.data() + 1, kRest) == 0;
}

}  // namespace

bool ControlBox_Logon() {
    LinkState& link = Link();
    link.loggedOn = false;
    std::lock_guard<std::recursive_mutex> hold(link.linkLock);
    if (!LogonHeld(link)) return false;
    link.loggedOn = true;
    return true;
}
