// The main-thread call channel: the test's own thread plays the main thread
// and serves requests that other threads make. Run under ThreadSanitizer by
// the KINETRA_TSAN build.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/MainThreadCall.h"
#include "LogoCore/NameTable.h"
#include "app/MainThreadChannel.h"
#include "platform/ThreadQueue.h"

namespace {

// What a call made on another thread came to.
struct Outcome {
    std::atomic<platform::ThreadId> thread{0};
    CHandleData* value = nullptr;
    bool raised = false;
    int32_t error = 0;
};

std::thread StartCall(uint32_t message, void* block, Outcome& out) {
    return std::thread([message, block, &out] {
        out.thread.store(platform::CurrentThreadId());
        try {
            out.value = CallMainThread(message, block);
        } catch (const LogoError& e) {
            out.raised = true;
            out.error = ErrorNumberOf(e.handle);
        }
    });
}

// Takes the next message from the test thread's queue and serves it.
bool ServeNext() {
    return DispatchMessage(platform::WaitMessage());
}

class ChannelConcurrencyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMainThread(platform::CurrentThreadId());
        SetCallTimeout(10000);
        while (platform::TakeMessage(0)) {
        }
    }
    void TearDown() override {
        EXPECT_EQ(KeyWaiterCount(), 0u);
        // Whatever is left belongs to callers that have ended: dropped.
        PumpMessages(0);
        SetRequestHandler(kKeyDown, nullptr);
        SetNoticeHandler(kTaskEnded, nullptr);
        SetCallTimeout(10000);
        SetMainThread(0);
    }

    // A key-down handler that notes it ran and replies no value.
    void NoteKeyDown() {
        SetRequestHandler(kKeyDown, [this](CallerRecord* caller, void*) {
            handled_ = true;
            ReplyToCaller(caller, nullptr);
        });
    }
    bool handled_ = false;
};

}  // namespace

TEST_F(ChannelConcurrencyTest, ReplyCarriesTheHandlersValueAndTheBlockArrives) {
    int block = 7;
    void* seen = nullptr;
    SetRequestHandler(kKeyDown, [&](CallerRecord* caller, void* b) {
        seen = b;
        ReplyToCaller(caller, DefineInteger("", 42, kStateTemp));
    });
    Outcome out;
    std::thread caller = StartCall(kKeyDown, &block, out);
    EXPECT_TRUE(ServeNext());
    caller.join();
    EXPECT_EQ(seen, &block);
    ASSERT_FALSE(out.raised);
    ASSERT_TRUE(IsCell(out.value));
    EXPECT_EQ(GetInteger(out.value, true), 42);
}

TEST_F(ChannelConcurrencyTest, NegativeReplyIsRaisedAsThatError) {
    SetRequestHandler(kKeyDown, [](CallerRecord* caller, void*) {
        ReplyToCaller(caller, ErrorHandle(kErrorNoPageObject));
    });
    Outcome out;
    std::thread caller = StartCall(kKeyDown, nullptr, out);
    ServeNext();
    caller.join();
    EXPECT_TRUE(out.raised);
    EXPECT_EQ(out.error, -70);
}

TEST_F(ChannelConcurrencyTest, UnansweredRequestGivesNoValueWithoutError) {
    SetCallTimeout(20);
    Outcome out;
    std::thread caller = StartCall(kKeyDown, nullptr, out);
    caller.join();
    EXPECT_FALSE(out.raised);
    EXPECT_EQ(out.value, nullptr);
}

TEST_F(ChannelConcurrencyTest, RequestOfAnEndedCallerIsDroppedUnhandled) {
    SetCallTimeout(0);
    NoteKeyDown();
    Outcome out;
    std::thread caller = StartCall(kKeyDown, nullptr, out);
    caller.join();
    EXPECT_TRUE(ServeNext());
    EXPECT_FALSE(handled_);
}

TEST_F(ChannelConcurrencyTest, PendingQuitMakesEveryCallerGone) {
    SetCallTimeout(50);
    NoteKeyDown();
    Outcome out;
    std::thread caller = StartCall(kKeyDown, nullptr, out);
    const platform::ThreadMessage request = platform::WaitMessage();
    ASSERT_TRUE(PostQuit());
    EXPECT_TRUE(DispatchMessage(request));
    caller.join();
    EXPECT_FALSE(handled_);
    EXPECT_EQ(out.value, nullptr);
    EXPECT_FALSE(out.raised);
    EXPECT_FALSE(PumpMessages(0));  // the quit ends the loop
}

TEST_F(ChannelConcurrencyTest, RequestWithoutHandlerIsAnsweredWithNoValueAtOnce) {
    Outcome out;
    std::thread caller = StartCall(kShift, nullptr, out);
    EXPECT_FALSE(ServeNext());
    // Had no reply gone out, this would end the call with -65 instead.
    platform::PostThreadMessage(out.thread.load(), {kTaskEnded, 0, 0});
    caller.join();
    EXPECT_FALSE(out.raised);
    EXPECT_EQ(out.value, nullptr);
}

TEST_F(ChannelConcurrencyTest, AnotherMessageInPlaceOfTheReplyEndsTheCallWithMinus65) {
    CallerRecord* pending = nullptr;
    SetRequestHandler(kKeyDown, [&](CallerRecord* caller, void*) { pending = caller; });
    Outcome out;
    std::thread caller = StartCall(kKeyDown, nullptr, out);
    ServeNext();
    ASSERT_NE(pending, nullptr);
    platform::PostThreadMessage(pending->thread, {kTaskEnded, 0, 0});
    caller.join();
    EXPECT_TRUE(out.raised);
    EXPECT_EQ(out.error, kErrorReplyChannel);
    // The late reply finds nobody; the value is released, the record freed.
    CHandleData* value = DefineInteger("", 1, kStateTemp);
    Reference(value);
    ReplyToCaller(pending, value);
    EXPECT_EQ(value->Count(), 1);
    Release(value);
}

TEST_F(ChannelConcurrencyTest, AnotherMessageEndsTheWaitForACharacterWithMinus65) {
    Outcome out;
    std::thread caller = StartCall(kWaitCharacter, nullptr, out);
    ServeNext();
    platform::PostThreadMessage(out.thread.load(), {kTaskEnded, 0, 0});
    caller.join();
    EXPECT_TRUE(out.raised);
    EXPECT_EQ(out.error, kErrorReplyChannel);
    // The ended waiter does not take the next character.
    EXPECT_FALSE(DeliverTypedCharacter("x"));
}

TEST_F(ChannelConcurrencyTest, KeyWaitersGetOneCharacterEachOldestFirst) {
    Outcome first;
    Outcome second;
    std::thread a = StartCall(kWaitCharacter, nullptr, first);
    ServeNext();
    std::thread b = StartCall(kWaitCharacter, nullptr, second);
    ServeNext();
    EXPECT_EQ(KeyWaiterCount(), 2u);
    EXPECT_TRUE(DeliverTypedCharacter("a"));
    EXPECT_TRUE(DeliverTypedCharacter("\xC3\xA9"));
    EXPECT_FALSE(DeliverTypedCharacter("c"));
    a.join();
    b.join();
    ASSERT_FALSE(first.raised);
    ASSERT_FALSE(second.raised);
    EXPECT_EQ(GetString(first.value, true), "a");
    EXPECT_EQ(GetString(second.value, true), "\xC3\xA9");
}

TEST_F(ChannelConcurrencyTest, ReleasingKeyWaitersEndsEveryWaitWithMinus65) {
    Outcome first;
    Outcome second;
    std::thread a = StartCall(kWaitCharacter, nullptr, first);
    std::thread b = StartCall(kWaitCharacter, nullptr, second);
    ServeNext();
    ServeNext();
    ReleaseKeyWaiters();
    a.join();
    b.join();
    EXPECT_EQ(KeyWaiterCount(), 0u);
    EXPECT_TRUE(first.raised);
    EXPECT_EQ(first.error, kErrorReplyChannel);
    EXPECT_TRUE(second.raised);
    EXPECT_EQ(second.error, kErrorReplyChannel);
}

TEST_F(ChannelConcurrencyTest, DeferredReplyReachesTheCallerThroughTheMainQueue) {
    SetRequestHandler(kKeyDown, [](CallerRecord* caller, void*) {
        DeferReply(caller, DefineString("", "done", kStateTemp));
    });
    Outcome out;
    std::thread caller = StartCall(kKeyDown, nullptr, out);
    ServeNext();
    const platform::ThreadMessage deferred = platform::WaitMessage();
    EXPECT_EQ(deferred.number, kDeferredReply);
    EXPECT_TRUE(DispatchMessage(deferred));
    caller.join();
    ASSERT_FALSE(out.raised);
    EXPECT_EQ(GetString(out.value, true), "done");
}

TEST_F(ChannelConcurrencyTest, NoticesReachTheirHandlerWithTheirParameters) {
    platform::ThreadMessage seen{0, 0, 0};
    SetNoticeHandler(kTaskEnded, [&](const platform::ThreadMessage& m) { seen = m; });
    std::thread([] { platform::PostThreadMessage(MainThread(), {kTaskEnded, 3, -4}); }).join();
    EXPECT_TRUE(ServeNext());
    EXPECT_EQ(seen.number, kTaskEnded);
    EXPECT_EQ(seen.wParam, 3u);
    EXPECT_EQ(seen.lParam, -4);
    EXPECT_FALSE(DispatchMessage({kBoxText, 0, 0}));
}

TEST(ChannelTest, CallOnTheMainThreadItselfGivesNoValueWithoutPosting) {
    SetMainThread(platform::CurrentThreadId());
    while (platform::TakeMessage(0)) {
    }
    EXPECT_EQ(CallMainThread(kKeyDown, nullptr), nullptr);
    EXPECT_EQ(CallMainThread(kWaitCharacter, nullptr), nullptr);
    EXPECT_FALSE(platform::TakeMessage(0));
    SetMainThread(0);
}

TEST(ChannelTest, MessageNumbersRunLikeDecimalNumbers) {
    EXPECT_EQ(MessageNumber(7230), 0x7230u);
    EXPECT_EQ(MessageNumber(7209), kMouseDown);
    EXPECT_TRUE(IsRequestNumber(kKeyDown));
    EXPECT_TRUE(IsRequestNumber(kPrintPages));
    EXPECT_TRUE(IsRequestNumber(kProceduresRequest));
    EXPECT_FALSE(IsRequestNumber(0x720A));
    EXPECT_FALSE(IsRequestNumber(kDeferredReply));
    EXPECT_FALSE(IsRequestNumber(kTaskEnded));
    EXPECT_FALSE(IsRequestNumber(kReply));
    EXPECT_FALSE(IsRequestNumber(kInputEvents));
}
