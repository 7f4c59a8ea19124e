#include "LogoCore/MainThreadCall.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <utility>

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

namespace {

// The reply's result, or its error raised.
CHandleData* ResultOf(const platform::ThreadMessage& reply) {
    if (reply.number != kReply) RaiseError(kErrorReplyChannel);
    auto* result = reinterpret_cast<CHandleData*>(reply.lParam);
    if (IsErrorNumber(result)) RaiseError(ErrorNumberOf(result));
    return result;
}

// Posts the request with a new caller record; false when nobody could take it.
bool Post(uint32_t message, void* requestBlock, std::shared_ptr<CallSettlement> settlement) {
    auto* caller = new CallerRecord{platform::CurrentThreadId(), std::move(settlement)};
    const platform::ThreadMessage request{message, reinterpret_cast<uintptr_t>(caller),
                                          reinterpret_cast<intptr_t>(requestBlock)};
    if (platform::PostThreadMessage(MainThread(), request)) return true;
    delete caller;
    return false;
}

bool NoServer() {
    const platform::ThreadId server = MainThread();
    return server == 0 || server == platform::CurrentThreadId();
}

}  // namespace

CHandleData* CallMainThread(uint32_t message, void* requestBlock) {
    if (message == kWaitCharacter) return WaitForCharacter();
    if (NoServer() || !Post(message, requestBlock, nullptr)) return nullptr;
    // From here the record belongs to the main thread.
    platform::ThreadMessage reply{kReply, 0, 0};
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
    return ResultOf(reply);
}

CHandleData* WaitForCharacter(const std::function<bool()>& stopped) {
    if (NoServer()) return nullptr;
    auto settlement = std::make_shared<CallSettlement>();
    if (!Post(kWaitCharacter, nullptr, settlement)) return nullptr;
    for (;;) {
        if (auto taken = platform::TakeMessage(kPollMs)) {
            if (taken->number == kReply || settlement->ClaimForCaller()) return ResultOf(*taken);
            // A reply is on its way behind the other message: it is taken
            // here, so that it cannot answer a later request.
            Release(ResultOf(platform::WaitMessage()));
            RaiseError(kErrorReplyChannel);
        }
        if (stopped && stopped()) {
            if (!settlement->ClaimForCaller()) Release(ResultOf(platform::WaitMessage()));
            RaiseError(kErrorStopRequest);
        }
    }
}
