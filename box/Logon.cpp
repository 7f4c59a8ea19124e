#include "box/Logon.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <mutex>

#include "box/LinkState.h"
#include "box/OutputCommands.h"
#include "platform/MessageBox.h"
#include "platform/SerialPort.h"

namespace {

using Clock = std::chrono::steady_clock;

// Time-outs of the reads: 200 ms for the answer's first byte, then 100 ms
// between bytes.
constexpr int kFirstByteMilliseconds = 200;
constexpr int kNextByteMilliseconds = 100;
// Write time-out: 80 ms per byte and 80 ms besides.
constexpr int WriteTimeout(int bytes) {
    return 80 * bytes + 80;
}

constexpr std::size_t kReplyBytes = kLogonReply.size();

enum class Attempt {
    kLoggedOn,
    kUnanswered,  // bytes came, but not the reply: the box is there
    kFailed,      // silence, a failed port or write, a line error
};

int MillisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<Clock::rep>(left.count(), 0));
}

// Reads the answer until its last bytes are the reply, which may come
// after any noise. Bytes damaged on the line (an error noticed after them)
// cannot be part of it.
Attempt AwaitReply(platform::SerialPort& port, Clock::time_point deadline) {
    std::array<uint8_t, kReplyBytes> last{};
    std::size_t heard = 0;
    std::size_t clean = 0;  // bytes read since the last line error
    for (;;) {
        const int left = MillisecondsUntil(deadline);
        if (left == 0) break;
        const int wait = heard == 0 ? kFirstByteMilliseconds : kNextByteMilliseconds;
        uint8_t byte = 0;
        const int got = port.Read(&byte, 1, wait, std::min(wait, left));
        if (got < 0) return Attempt::kFailed;  // the port failed, or the close
        if (got == 0) break;
        std::move(last.begin() + 1, last.end(), last.begin());
        last.back() = byte;
        ++heard;
        clean = port.TakeLineErrors() != 0 ? 0 : clean + 1;
        if (clean >= kReplyBytes && std::equal(last.begin(), last.end(), kLogonReply.begin()))
            return Attempt::kLoggedOn;
    }
    return heard > 0 ? Attempt::kUnanswered : Attempt::kFailed;
}

Attempt LogonOnce(LinkState& link) {
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(kLogonAttemptMilliseconds);
    if (!ControlBox_SendByte(kReleaseCommand)) {
        platform::ShowMessage(platform::MessageKind::Error,
                              "Can't send RELEASE command to the box!");
        return Attempt::kFailed;
    }
    platform::SerialPort* port = link.port.get();
    if (!port || port->TakeLineErrors() != 0) return Attempt::kFailed;

    const auto* logon = reinterpret_cast<const uint8_t*>(kLogonString.data());
    const int logonBytes = static_cast<int>(kLogonString.size());
    if (!port->Write(logon, logonBytes, WriteTimeout(logonBytes))) {
        platform::ShowMessage(platform::MessageKind::Error, "Can't send LOGON STRING to the box!");
        return Attempt::kFailed;
    }
    return AwaitReply(*port, deadline);
}

}  // namespace

bool ControlBox_Logon() {
    LinkState& link = Link();
    link.loggedOn = false;
    std::lock_guard<std::recursive_mutex> hold(link.linkLock);
    for (int attempt = 0; attempt < kLogonAttempts; ++attempt) {
        switch (LogonOnce(link)) {
            case Attempt::kLoggedOn:
                link.loggedOn = true;
                // Still under the lock: a command given meanwhile goes
                // after the restored state, not before it.
                ControlBox_RestoreOutputs();
                return true;
            case Attempt::kUnanswered:
                continue;
            case Attempt::kFailed:
                return false;
        }
    }
    return false;
}

std::vector<uint8_t> LogonBytes() {
    std::vector<uint8_t> bytes{kReleaseCommand};
    bytes.insert(bytes.end(), kLogonString.begin(), kLogonString.end());
    return bytes;
}

int CountLogons(const std::vector<uint8_t>& bytes) {
    const std::vector<uint8_t> logon = LogonBytes();
    int count = 0;
    for (auto at = bytes.begin();
         (at = std::search(at, bytes.end(), logon.begin(), logon.end())) != bytes.end();
         at += static_cast<std::ptrdiff_t>(logon.size()))
        ++count;
    return count;
}
