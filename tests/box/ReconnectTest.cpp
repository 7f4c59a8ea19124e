// A lost link and its return: one message for the user however long the
// box stays away, the link back within a few seconds of the box speaking
// again, and no reopening of a port the user has given up.
#include <gtest/gtest.h>

#include <thread>

#include "LinkTestSupport.h"
#include "box/BoxLink.h"
#include "box/LinkThreads.h"
#include "box/OutputCommands.h"
#include "box/SampleRing.h"
#include "box/TimedOutputs.h"
#include "box/VirtualBox.h"

namespace {

class Reconnect : public LinkFixture {
  protected:
    // Opens the test's box, waits for its frames, then pulls its cable
    // until the link is lost and closed.
    void OpenAndLose(std::vector<Notice>* seen) {
        ASSERT_NE(Box(), nullptr);
        ASSERT_EQ(ControlBox_Open(Box()->DevicePath()), kOpenOk);
        Lose(seen, 1);
    }
    // Waits for the frames, then pulls the cable until the n-th loss.
    void Lose(std::vector<Notice>* seen, int n) {
        ASSERT_TRUE(Eventually(LoggedOn, 20000));
        Box()->SetSilent(true);
        ASSERT_TRUE(WaitForLinkLost(n, seen));
        ASSERT_TRUE(Eventually([] { return !Link().portOpen.load(); }));
    }

    // Back between two reopens: a box that never heard the last RELEASE
    // goes on sending frames, and a logon that is skipping to the reply's
    // first byte would read them for as long as they come.
    void Speak() {
        ASSERT_TRUE(Eventually([] { return !Link().portOpen.load(); }));
        Box()->SetSilent(false);
    }
};

TEST_F(Reconnect, ASilentBoxIsToldOnceComesBackQuietlyAndALaterLossIsToldAgain) {
    std::vector<Notice> seen;
    OpenAndLose(&seen);
    EXPECT_TRUE(ControlBox_IsNotReady());
    EXPECT_EQ(ControlBox_PortName(), Box()->DevicePath());

    // Two reopens that find no box: no further message.
    const int logons = CountLogons(Box()->ReceivedBytes());
    ASSERT_TRUE(
        Eventually([&] { return CountLogons(Box()->ReceivedBytes()) >= logons + 2; }, 20000));

    Speak();
    Box()->SetReading(3, 456);
    ASSERT_TRUE(Eventually([] { return LoggedOn() && InputValue(2) == 456; }, 20000));
    EXPECT_FALSE(Link().errorReported.load());
    for (const Notice& n : TakeNotices()) seen.push_back(n);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(CountNotices(seen, kBoxMessage, 1502), 1);
    EXPECT_TRUE(Messages().empty());

    Lose(&seen, 2);
    EXPECT_EQ(CountNotices(seen, kBoxMessage, 1502), 2);
    // The host ended each lost link with the link-end byte, twice: with the
    // message and with the close.
    EXPECT_TRUE(Eventually([&] {
        const auto received = Box()->ReceivedBytes();
        return std::count(received.begin(), received.end(), 0x70) == 4;
    }));
}

// An unplugged adapter fails every write: the link-end byte's failure is
// no second message.
TEST_F(Reconnect, APortThatIsGoneIsToldInOneMessage) {
    auto fake = OpenFake();
    fake->Feed(ReplyBytes());
    ASSERT_TRUE(Eventually(LoggedOn));
    fake->FailWrites(true);
    fake->EndInput();
    std::vector<Notice> seen;
    ASSERT_TRUE(WaitForLinkLost(1, &seen));
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_TRUE(Messages().empty());
}

// The cable comes back in the middle of a reconnect's logon, after the box
// missed its RELEASE: the box, never logged off, streams frames, and the
// logon must not skip them for ever.
TEST_F(Reconnect, ABoxBackDuringALogonItMissedIsLoggedOnAfresh) {
    std::vector<Notice> seen;
    OpenAndLose(&seen);
    Box()->ReplugAfter(1);
    Box()->SetReading(3, 456);
    ASSERT_TRUE(Eventually([] { return LoggedOn() && InputValue(2) == 456; }, 20000));
    for (const Notice& n : TakeNotices()) seen.push_back(n);
    EXPECT_EQ(seen.size(), 1u);
}

// What the program set while the cable was out, and a timed output that
// the loss ended, reach the box once it is back.
TEST_F(Reconnect, TheBoxIsBroughtToTheOutputsTheProgramLastSet) {
    ASSERT_NE(Box(), nullptr);
    ASSERT_EQ(ControlBox_Open(Box()->DevicePath()), kOpenOk);
    ASSERT_TRUE(Eventually(LoggedOn, 20000));
    ControlBox_SetOutputState(1, true);
    std::thread timed([] { ControlBox_OnForOne(2, 1000); });
    ASSERT_TRUE(Eventually([&] { return Box()->OutputOn(1) && Box()->OutputOn(2); }));

    std::vector<Notice> seen;
    Lose(&seen, 1);
    timed.join();
    ControlBox_SetOutputState(1, false);
    ControlBox_SetOutputState(3, true);
    ControlBox_SetPower(3, 4);
    ControlBox_SetDirection(3, 0);
    EXPECT_TRUE(Box()->OutputOn(1));
    EXPECT_FALSE(Box()->OutputOn(3));

    Speak();
    ASSERT_TRUE(Eventually(
        [&] {
            return LoggedOn() && Box()->OutputOn(3) && Box()->OutputPower(3) == 4 &&
                   Box()->OutputDirection(3) == 0;
        },
        20000));
    EXPECT_FALSE(Box()->OutputOn(1));
    EXPECT_FALSE(Box()->OutputOn(2));
    EXPECT_EQ(ControlBox_GetPower(3), 4);
    for (const Notice& n : TakeNotices()) seen.push_back(n);
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(Reconnect, NamesThatMeanNoBoxAndALostPortAfterACloseAreNotReopened) {
    std::vector<Notice> seen;
    OpenAndLose(&seen);
    // The user picks such a name while the reconnecting goes on (a reopen
    // of the silent box may hold the port for a moment).
    for (const std::string& name : {std::string(), NoPortEntry()}) {
        int32_t code = kOpenOk;
        ASSERT_TRUE(Eventually([&] {
            code = ControlBox_Open(name);
            return code != kOpenAlreadyOpen;
        }));
        EXPECT_EQ(code, kOpenCannotOpen);
        EXPECT_EQ(ControlBox_PortName(), name);
        EXPECT_TRUE(ReconnectThreadRunning());
        EXPECT_FALSE(ReopenLostLink().has_value());
    }
    EXPECT_FALSE(Link().portOpen.load());
    // The preferences confirmed with "no box": close, then nothing to open.
    ControlBox_Close();
    Box()->SetSilent(false);
    OpenBoxAndReport(NoPortEntry());
    EXPECT_EQ(ControlBox_PortName(), "");
    EXPECT_FALSE(ReconnectThreadRunning());
    EXPECT_FALSE(ReopenLostLink().has_value());
    EXPECT_FALSE(Link().portOpen.load());
}

TEST_F(Reconnect, OnlyASuccessfulOpenStartsTheReconnecting) {
    ASSERT_NE(Box(), nullptr);
    EXPECT_EQ(ControlBox_Open("/dev/null"), kOpenCannotOpen);
    EXPECT_FALSE(ReconnectThreadRunning());
    // Its step tries the kept name.
    EXPECT_EQ(ReopenLostLink(), kOpenCannotOpen);
    ControlBox_Close();

    ASSERT_EQ(ControlBox_Open(Box()->DevicePath()), kOpenOk);
    EXPECT_TRUE(ReconnectThreadRunning());
    EXPECT_FALSE(ReopenLostLink().has_value());  // open: nothing to do
}

}  // namespace
