// The logon exchange over a fake port: the bytes sent, the reply accepted
// after noise, and every way the reply can fail.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "BoxTestSupport.h"
#include "LinkTestSupport.h"
#include "box/Logon.h"

namespace {

class Logon : public BoxLinkTest {};

class LogonLive : public BoxLinkTest {
  protected:
    bool LivePort() const override { return true; }
};

TEST_F(Logon, SendsReleaseThenTheLogonStringAndAcceptsTheReplyAfterNoise) {
    // The reply's bytes in the noise, its start too, and a byte damaged on
    // the line are noise as well.
    std::vector<uint8_t> input = Bytes({0x80, 0x00, 0xFF, '$', 'N', 'o', 0x70, '#', '#', 'N', '#'});
    Port().LineErrorAt(3, platform::kLineFraming);
    const auto reply = ReplyBytes();
    input.insert(input.end(), reply.begin(), reply.end());
    Port().Feed(input);
    EXPECT_TRUE(ControlBox_Logon());
    EXPECT_TRUE(Link().loggedOn.load());

    std::vector<uint8_t> expected{0x00};
    for (char c : std::string("###Hello there, are you ready$$$"))
        expected.push_back(static_cast<uint8_t>(c));
    // Then the outputs as the program left them: none was switched on.
    expected.insert(expected.end(), {0x90, 0xFF});
    EXPECT_EQ(Sent(), expected);
    EXPECT_EQ(Port().Unread(), 0u);
}

// A box that answered something else is asked again from a fresh RELEASE
// (here it is silent the second time); a silent or faulty line is not.
TEST_F(Logon, EveryFaultInTheReplyFails) {
    struct Case {
        const char* what;
        std::vector<uint8_t> input;
        int errorAt;  // -1: none; -2: pending before the logon string
        std::size_t bytesSent;
    };
    const std::size_t once = LogonBytes().size();
    auto changed = [](std::size_t at) {
        auto reply = ReplyBytes();
        reply[at] ^= 0x20;
        return reply;
    };
    auto shortReply = ReplyBytes();
    shortReply.pop_back();
    const Case cases[] = {
        {"the reply without its last byte", shortReply, -1, 2 * once},
        {"a wrong second byte", changed(1), -1, 2 * once},
        {"a wrong middle byte", changed(15), -1, 2 * once},
        {"a wrong last byte", changed(kLogonReply.size() - 1), -1, 2 * once},
        {"no '#' at all", Bytes({'x', 'y', 'z'}), -1, 2 * once},
        {"a line error in the reply", ReplyBytes(), 10, 2 * once},
        {"no answer", {}, -1, once},
        {"a line error before the logon string", ReplyBytes(), -2, 1},
    };
    for (const Case& c : cases) {
        Port().Purge();
        Port().ClearWritten();
        Port().Feed(c.input);
        if (c.errorAt == -2) Port().LineError(platform::kLineFraming);
        if (c.errorAt >= 0)
            Port().LineErrorAt(Port().Consumed() + c.errorAt, platform::kLineOverrun);
        Link().loggedOn = true;  // as a lost link leaves it
        EXPECT_FALSE(ControlBox_Logon()) << c.what;
        EXPECT_FALSE(Link().loggedOn.load()) << c.what;
        // The logon string is not sent after an error on the line.
        EXPECT_EQ(Sent().size(), c.bytesSent) << c.what;
    }
}

TEST_F(Logon, AFailedReleaseIsToldInTwoMessages) {
    Port().Feed(ReplyBytes());
    Port().FailWrites(true);
    EXPECT_FALSE(ControlBox_Logon());
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Can't send output command to the box!",
                                                    "Can't send RELEASE command to the box!"}));
}

// Nothing else reaches the port between the logon's bytes and its reply.
TEST_F(LogonLive, HoldsLinkLockUntilTheReplyIsChecked) {
    std::atomic<bool> result{false};
    std::thread logon([&] { result = ControlBox_Logon(); });
    ASSERT_TRUE(Eventually([&] { return Sent().size() == LogonBytes().size(); }));

    std::atomic<bool> sent{false};
    std::thread sender([&] {
        ControlBox_SendByte(0x55);
        sent = true;
    });
    // A sender that got past the lock would write at once.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(sent.load());
    EXPECT_EQ(Sent().size(), LogonBytes().size());

    Port().Feed(ReplyBytes());
    logon.join();
    sender.join();
    EXPECT_TRUE(result.load());
    // The byte goes after the outputs' restored state too.
    ASSERT_EQ(Sent().size(), LogonBytes().size() + 3);
    EXPECT_EQ(Sent().back(), 0x55);
}

}  // namespace
