#include "app/MainThreadChannel.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

#include "LogoCore/HandleData.h"
#include "LogoCore/NameTable.h"

namespace {

std::mutex keyWaitersLock;
std::deque<CallerRecord*> keyWaiters;

struct Handlers {
    std::mutex lock;
    std::unordered_map<uint32_t, RequestHandler> requests{
        {kWaitCharacter, [](CallerRecord* caller, void*) { AddKeyWaiter(caller); }}};
    std::unordered_map<uint32_t, NoticeHandler> notices;
};

Handlers& TheHandlers() {
    static Handlers handlers;
    return handlers;
}

template <typename Handler>
Handler Find(std::unordered_map<uint32_t, Handler>& table, uint32_t number) {
    Handlers& handlers = TheHandlers();
    std::lock_guard<std::mutex> hold(handlers.lock);
    auto found = table.find(number);
    return found == table.end() ? Handler() : found->second;
}

template <typename Handler>
void Set(std::unordered_map<uint32_t, Handler>& table, uint32_t number, Handler handler) {
    Handlers& handlers = TheHandlers();
    std::lock_guard<std::mutex> hold(handlers.lock);
    if (handler)
        table[number] = std::move(handler);
    else
        table.erase(number);
}

// A waiter for a character whose thread has ended or who gave up its wait.
bool WaitsNoMore(const CallerRecord* waiter) {
    return !platform::ThreadAlive(waiter->thread) ||
           (waiter->settlement && waiter->settlement->Abandoned());
}

CallerRecord* RecordOf(const platform::ThreadMessage& message) {
    return reinterpret_cast<CallerRecord*>(message.wParam);
}

}  // namespace

bool ReplyToCaller(CallerRecord* caller, CHandleData* result) {
    const platform::ThreadId thread = caller->thread;
    const bool claimed = !caller->settlement || caller->settlement->ClaimForReply();
    delete caller;
    const platform::ThreadMessage reply{kReply, 0, reinterpret_cast<intptr_t>(result)};
    if (claimed && platform::PostThreadMessage(thread, reply)) return true;
    Release(result);
    return false;
}

bool CallerGone(const CallerRecord* caller) {
    return WaitsNoMore(caller) || platform::QuitPending(MainThread());
}

void DeferReply(CallerRecord* caller, CHandleData* result) {
    const platform::ThreadMessage deferred{kDeferredReply, reinterpret_cast<uintptr_t>(caller),
                                           reinterpret_cast<intptr_t>(result)};
    // With no main thread to carry it, the reply goes straight out.
    if (!platform::PostThreadMessage(MainThread(), deferred)) ReplyToCaller(caller, result);
}

void AddKeyWaiter(CallerRecord* caller) {
    std::lock_guard<std::mutex> hold(keyWaitersLock);
    keyWaiters.push_back(caller);
}

bool DeliverTypedCharacter(std::string_view utf8Char) {
    for (;;) {
        CallerRecord* oldest = nullptr;
        {
            std::lock_guard<std::mutex> hold(keyWaitersLock);
            if (keyWaiters.empty()) return false;
            oldest = keyWaiters.front();
            keyWaiters.pop_front();
        }
        if (WaitsNoMore(oldest)) {
            delete oldest;
            continue;
        }
        // A waiter that gave up just now passes the character on.
        if (ReplyToCaller(oldest, DefineString("", utf8Char, kStateTemp))) return true;
    }
}

void ReleaseKeyWaiters() {
    std::deque<CallerRecord*> waiters;
    {
        std::lock_guard<std::mutex> hold(keyWaitersLock);
        waiters.swap(keyWaiters);
    }
    for (CallerRecord* waiter : waiters) ReplyToCaller(waiter, ErrorHandle(kErrorReplyChannel));
}

std::size_t KeyWaiterCount() {
    std::lock_guard<std::mutex> hold(keyWaitersLock);
    std::erase_if(keyWaiters, [](CallerRecord* waiter) {
        if (!WaitsNoMore(waiter)) return false;
        delete waiter;
        return true;
    });
    return keyWaiters.size();
}

void SetRequestHandler(uint32_t number, RequestHandler handler) {
    Set(TheHandlers().requests, number, std::move(handler));
}

void SetNoticeHandler(uint32_t number, NoticeHandler handler) {
    Set(TheHandlers().notices, number, std::move(handler));
}

bool DispatchMessage(const platform::ThreadMessage& message) {
    if (message.number == kDeferredReply) {
        ReplyToCaller(RecordOf(message), reinterpret_cast<CHandleData*>(message.lParam));
        return true;
    }
    if (IsRequestNumber(message.number)) {
        CallerRecord* caller = RecordOf(message);
        if (CallerGone(caller)) {
            // Nobody waits for the answer; the record is all there is to free.
            delete caller;
            return true;
        }
        RequestHandler handler = Find(TheHandlers().requests, message.number);
        if (!handler) {
            ReplyToCaller(caller, nullptr);
            return false;
        }
        handler(caller, reinterpret_cast<void*>(message.lParam));
        return true;
    }
    NoticeHandler handler = Find(TheHandlers().notices, message.number);
    if (!handler) return false;
    handler(message);
    return true;
}

bool PumpMessages(int timeoutMs) {
    auto message = platform::TakeMessage(timeoutMs);
    while (message) {
        if (message->number == platform::kQuitMessage) return false;
        DispatchMessage(*message);
        message = platform::TakeMessage(0);
    }
    return true;
}

bool PostQuit() {
    return platform::PostThreadMessage(MainThread(), {platform::kQuitMessage, 0, 0});
}
