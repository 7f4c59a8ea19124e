// What the terminal answers Logo threads: no key is ever seen held down,
// and typed characters, whole, go to the oldest waiter.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/MainThreadCall.h"
#include "app/CommandCentre.h"
#include "app/MainThreadChannel.h"
#include "app/TerminalFrontEnd.h"
#include "app/TerminalInput.h"
#include "platform/ThreadQueue.h"

namespace {

// Runs the call on a thread of its own while this thread serves requests.
std::string CallFromLogoThread(uint32_t number, void* block, const std::function<void()>& serve) {
    std::string result = "<none>";
    std::atomic<bool> done{false};
    std::thread caller([&] {
        try {
            CHandleData* value = CallMainThread(number, block);
            result = value ? value->Type() == kTypeBoolean
                                 ? (value->BooleanValue() ? "TRUE" : "FALSE")
                                 : value->Text()
                           : "<nothing>";
            Release(value);
        } catch (const LogoError& e) {
            result = "error";
            Release(e.handle);
        }
        done = true;
    });
    for (int i = 0; i < 200 && !done; ++i) {
        serve();
        PumpMessages(10);
    }
    caller.join();
    return result;
}

}  // namespace

TEST(TerminalRequestsConcurrency, KeyTestsAnswerFalseAndCharactersGoToTheOldestWaiterWhole) {
    SetMainThread(platform::CurrentThreadId());
    CommandCentre centre([](std::string_view) { return std::string(); }, nullptr);
    RegisterTerminalRequests(centre, false);
    EXPECT_EQ(CallFromLogoThread(kKeyDown, nullptr, [] {}), "FALSE");
    EXPECT_EQ(CallFromLogoThread(kShift, nullptr, [] {}), "FALSE");

    // The two bytes of one character make one word for the waiter.
    std::string pending;
    const std::string typed = "\xC3\xA6";  // ae ligature
    std::size_t next = 0;
    const std::string got = CallFromLogoThread(kWaitCharacter, nullptr, [&] {
        if (KeyWaiterCount() > 0 && next < typed.size()) DeliverByte(pending, typed[next++]);
    });
    EXPECT_EQ(got, typed);
    EXPECT_TRUE(pending.empty());
}

TEST(TerminalRequests, WrittenTextGoesToTheProceduresPageOnALineOfItsOwn) {
    SetMainThread(platform::CurrentThreadId());
    ProceduresPage page;
    page.SetText("to square\nend");
    RegisterProceduresPageRequests([&page](std::string_view text) { page.Append(text); });
    InsertTextRequest request{kProceduresTarget, "make \"x 5\r\n"};
    EXPECT_EQ(CallFromLogoThread(kInsertText, &request, [] {}), "<nothing>");
    EXPECT_EQ(page.Text(), "to square\nend\nmake \"x 5\n");

    // Without a project no text box has the name.
    InsertTextRequest elsewhere{"notes", "make \"y 6\r\n"};
    EXPECT_EQ(CallFromLogoThread(kInsertText, &elsewhere, [] {}), "error");
    EXPECT_EQ(page.Text(), "to square\nend\nmake \"x 5\n");
}
