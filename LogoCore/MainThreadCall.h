// The Logo thread's side of the main-thread call channel. Windows, pages,
// the command centre and the keyboard belong to the main thread; a
// primitive running on a Logo thread posts a numbered request there and
// waits for the reply on its own thread's queue.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/ThreadQueue.h"

class CHandleData;

// Message numbers. Their hexadecimal digits run like decimal numbers
// (0x7209, 0x7210, ...); the values between (0x720A-0x720F, ...) are unused.
// Notices (no caller, no reply):
inline constexpr uint32_t kProceduresChanged = 0x7202;  // lParam unused
inline constexpr uint32_t kBoxMessage = 0x7203;         // wParam style, lParam string resource id
inline constexpr uint32_t kBoxText = 0x7204;            // wParam style, lParam the text
inline constexpr uint32_t kEndOfLine = 0x7206;          // the command centre's input handling
inline constexpr uint32_t kTaskEnded = 0x7261;          // a task thread has ended
inline constexpr uint32_t kObjectTaskEnded = 0x7262;    // wParam the owning page object
inline constexpr uint32_t kInputEvents = 0x7700;        // input events of inputs 1-4
// The reply, posted to the caller's thread: wParam 0, lParam the result.
inline constexpr uint32_t kReply = 0x7207;
// Requests: wParam the caller record, lParam the request block.
inline constexpr uint32_t kKeyDown = 0x7208;
inline constexpr uint32_t kMouseDown = 0x7209;
inline constexpr uint32_t kShift = 0x7210;
inline constexpr uint32_t kWaitCharacter = 0x7211;
inline constexpr uint32_t kFirstPageObjectRequest = 0x7212;
inline constexpr uint32_t kLastPageObjectRequest = 0x7230;
inline constexpr uint32_t kFirstPageRequest = 0x7231;
inline constexpr uint32_t kLastPageRequest = 0x7238;
inline constexpr uint32_t kFirstProceduresRequest = 0x7239;
inline constexpr uint32_t kLastProceduresRequest = 0x7247;
inline constexpr uint32_t kFirstTargetRequest = 0x7248;
inline constexpr uint32_t kLastTargetRequest = 0x7254;
inline constexpr uint32_t kInsertText = 0x7248;     // block: InsertTextRequest
inline constexpr uint32_t kCommandCentre = 0x7255;  // clear, hide or show
inline constexpr uint32_t kToolBars = 0x7256;       // hide or show
inline constexpr uint32_t kDeferredReply = 0x7257;  // wParam caller record, lParam result
inline constexpr uint32_t kPrint = 0x7258;          // text for the command centre's output
inline constexpr uint32_t kProceduresRequest = 0x7259;
inline constexpr uint32_t kPrintPages = 0x7260;

// The name by which the requests kFirstTargetRequest..kLastTargetRequest
// address the procedures page instead of a page object.
inline constexpr const char* kProceduresTarget = "Procedures";

// Block of kInsertText: the text goes into the text box of that name, or into
// the procedures page when the name is kProceduresTarget. Reply 0, or -70
// when no page object has the name.
struct InsertTextRequest {
    std::string target;
    std::string text;
};

// The message number whose hexadecimal digits read as the decimal number:
// 7230 gives 0x7230.
constexpr uint32_t MessageNumber(uint32_t decimal) {
    uint32_t number = 0;
    for (uint32_t shift = 0; decimal != 0; decimal /= 10, shift += 4)
        number |= (decimal % 10) << shift;
    return number;
}

// True for the numbers that carry a caller record and expect a reply.
constexpr bool IsRequestNumber(uint32_t number) {
    if (number < kKeyDown || number > kPrintPages || number == kDeferredReply) return false;
    return (number & 0xF) <= 9 && ((number >> 4) & 0xF) <= 9;
}

// Error numbers carried in replies.
inline constexpr int32_t kErrorNoProject = -2;
inline constexpr int32_t kErrorCallerGone = -3;
inline constexpr int32_t kErrorReplyChannel = -65;  // another message came first, or a key
                                                    // wait was cancelled
inline constexpr int32_t kErrorNoPageObject = -70;

// Who ends a wait for a character: the main thread by replying, or the
// waiting task by giving up when it is stopped. The first claim wins, so
// that a reply never lands in the queue of a thread that stopped
// listening, where its next request would take it for its own answer.
class CallSettlement {
  public:
    // The main thread, before it replies: false when the caller gave up.
    bool ClaimForReply() { return Claim(kReplying); }
    // The caller, giving up: false when a reply is on its way.
    bool ClaimForCaller() { return Claim(kAbandoned); }
    bool Abandoned() const { return state_.load() == kAbandoned; }

  private:
    static constexpr int kOpen = 0, kReplying = 1, kAbandoned = 2;
    bool Claim(int claim) {
        int open = kOpen;
        return state_.compare_exchange_strong(open, claim);
    }
    std::atomic<int> state_{kOpen};
};

// Made by the caller for each request; freed by the main thread when it
// replies or drops the request. The caller never touches it after posting,
// except through its share of the settlement, which only a caller that
// may give up its wait has.
struct CallerRecord {
    platform::ThreadId thread;
    std::shared_ptr<CallSettlement> settlement;
};

// The thread that serves requests; set once at start-up.
void SetMainThread(platform::ThreadId thread);
platform::ThreadId MainThread();

// How long a request other than the wait for a character waits for its
// reply before it gives "no value". 10 000 ms unless changed.
void SetCallTimeout(int milliseconds);
int CallTimeout();

// Posts the request and waits for the reply: returns the result handle (0
// for "no value", also after the time-out) or raises the negative result as
// an error; -65 when another message arrives in place of the reply. The
// block must stay valid until the call returns.
//
// On the main thread itself, or when no main thread is listening, returns 0
// at once without posting: nobody could serve the request while its only
// server waits for it, so the answer would be the time-out's "no value"
// after ten seconds (or never, for the wait for a character).
CHandleData* CallMainThread(uint32_t message, void* requestBlock);

// The wait for a typed character (0x7211), which has no time limit: the
// character as a word, or -65 raised when Logo is stopped
// (ReleaseKeyWaiters) or, looked at every few milliseconds, when stopped()
// turns true, so that a task stopped alone, or while its request was still
// on its way to the main thread, ends its own wait. A character that
// arrives just as the task gives up is dropped with it.
CHandleData* WaitForCharacter(const std::function<bool()>& stopped = {});
