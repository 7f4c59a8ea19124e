#include "LogoCore/MainThreadCall.h"

#include <atomic>
#include <chrono>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"

namespace {

std::atomic<platform::ThreadId> mainThread{0};
std::atomic<int> callTimeout{10000};

// How often a waiting caller looks at its queue; a message arriving wakes
// it sooner.
constexpr int kPollMs = 10;

}  // namespace

void SetMainThread(platform::ThreadId thread) {
    mainThread.store(thread);
}

platform::ThreadId MainThread() {
    return mainThread.load();
}

void SetCallTimeout(int milliseconds) {
    callTimeout.store(milliseconds < 0 ? 0 : milliseconds);
}

int CallTimeout() {
    return callTimeout.load();
}

CHandleData* CallMainThread(uint32_t message, void* requestBlock) {
    const platform::ThreadId self = platform::CurrentThreadId();
    const platform::ThreadId server = MainThread();
    if (server == 0 || server == self) return nullptr;

    auto* caller = new CallerRecord{self};
    const platform::ThreadMessage request{message, reinterpret_cast<uintptr_t>(caller),
                                          reinterpret_cast<intptr_t>(requestBlock)};
    if (!platform::PostThreadMessage(server, request)) {
        delete caller;
        return nullptr;
    }
    // From here the record belongs to the main thread.

    platform::ThreadMessage reply{kReply, 0, 0};
    if (message == kWaitCharacter) {
        // No time limit: the wait ends with a typed character or when Logo
        // is stopped (ReleaseKeyWaiters).
        reply = platform::WaitMessage();
    } else {
        const auto posted = std::chrono::steady_clock::now();
        const auto limit = std::chrono::milliseconds(CallTimeout());
        for (;;) {
            if (auto taken = platform::TakeMessage(0)) {
                reply = *taken;
                break;
            }
            if (std::chrono::steady_clock::now() - posted >= limit) break;
            if (auto taken = platform::TakeMessage(kPollMs)) {
                reply = *taken;
                break;
            }
        }
    }

    if (reply.number != kReply) RaiseError(kErrorReplyChannel);
    auto* result = reinterpret_cast<CHandleData*>(reply.lParam);
    if (IsErrorNumber(result)) RaiseError(ErrorNumberOf(result));
    return result;
}
