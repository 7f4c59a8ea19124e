// Opening and closing the link: result codes, the names that are never
// opened, frames from the simulated box, the close's promises, the sync
// and monitor threads, and the messages for a failed open.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "LinkTestSupport.h"
#include "box/BoxLink.h"
#include "box/LinkThreads.h"
#include "box/SampleRing.h"
#include "box/TimedOutputs.h"
#include "box/VirtualBox.h"

namespace {

class LinkOpen : public LinkFixture {};

// The first opener becomes the main thread, here another thread.
TEST_F(LinkOpen, APathThatIsNoTerminalIsNotOpenedButKeptAndTheFirstOpenerIsTheMainThread) {
    Link().mainThread = 0;
    int32_t code = kOpenOk;
    std::thread([&code] { code = ControlBox_Open("/dev/null"); }).join();
    EXPECT_EQ(code, kOpenCannotOpen);
    const platform::ThreadId first = Link().mainThread.load();
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, platform::CurrentThreadId());
    EXPECT_EQ(ControlBox_Open("/dev/no-such-port-here"), kOpenCannotOpen);
    EXPECT_EQ(Link().mainThread.load(), first);
    EXPECT_FALSE(Link().portOpen.load());
    EXPECT_TRUE(ControlBox_IsNotReady());
    // For the message, and for a reconnect.
    EXPECT_EQ(ControlBox_PortName(), "/dev/no-such-port-here");
    EXPECT_EQ(ControlBox_Open(std::string("COM1\0x", 6)), kOpenBadName);
}

// "(none)", the text of NoPortEntry, is made to name the simulated box's
// terminal: an open that tried the name would succeed.
TEST_F(LinkOpen, NoPortEntryAndTheEmptyNameAreNeverOpened) {
    ASSERT_NE(Box(), nullptr);
    const auto old = std::filesystem::current_path();
    const auto dir =
        std::filesystem::temp_directory_path() / ("kinetra-noport-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::create_symlink(Box()->DevicePath(), dir / NoPortEntry());
    std::filesystem::current_path(dir);

    EXPECT_EQ(ControlBox_Open(NoPortEntry()), kOpenCannotOpen);
    EXPECT_EQ(ControlBox_Open(""), kOpenCannotOpen);
    EXPECT_FALSE(Link().portOpen.load());
    OpenBoxAndReport(NoPortEntry());
    EXPECT_FALSE(Link().portOpen.load());
    EXPECT_TRUE(Messages().empty());
    // The same terminal under another name opens.
    EXPECT_EQ(ControlBox_Open("./" + NoPortEntry()), kOpenOk);

    std::filesystem::current_path(old);
    std::filesystem::remove_all(dir);
}

TEST_F(LinkOpen, ASyncFollowsTheLogonAndASecondOpenReturns2AndChangesNothing) {
    auto fake = OpenFake();
    fake->Feed(ReplyBytes());
    ASSERT_TRUE(Eventually(LoggedOn));
    // The SYNC byte follows the logon and the outputs' state.
    const std::size_t sync = LogonBytes().size() + 2;
    ASSERT_TRUE(Eventually([&] { return fake->Written().size() > sync; }));
    EXPECT_EQ(fake->Written()[sync], 0x02);

    const auto written = fake->Written();
    EXPECT_EQ(ControlBox_Open("/dev/null"), kOpenAlreadyOpen);
    EXPECT_EQ(ControlBox_PortName(), "fake");
    EXPECT_TRUE(LoggedOn());
    EXPECT_EQ(fake->Written(), written);
}

TEST_F(LinkOpen, AnOpenResetsTheRingAndTheOutputs) {
    auto fake = OpenFake();
    fake->Feed(ReplyBytes());
    fake->Feed(FrameWith(0, {.raw = 900}));
    ASSERT_TRUE(Eventually([] { return InputValue(0) == 900; }));
    ControlBox_SetPower(3, 2);
    ControlBox_Close();

    auto again = OpenFake();
    EXPECT_EQ(ControlBox_GetPower(3), 8);
    EXPECT_FALSE(TheSampleRing().hasFrame.load());
    EXPECT_EQ(TheSampleRing().slots[1].raw[0].load(), 0);
    EXPECT_EQ(TheSampleRing().writeIndex.load(), 1u);
}

class LinkFrames : public LinkFixture {};

TEST_F(LinkFrames, FlowFromTheSimulatedBoxUnderTheNameVirtual) {
    ASSERT_EQ(ControlBox_Open("Virtual"), kOpenOk);
    VirtualBox* box = ControlBox_VirtualBox();
    ASSERT_NE(box, nullptr);
    box->SetReading(2, 321);
    ASSERT_TRUE(Eventually([] { return LoggedOn() && InputValue(1) == 321; }));
    EXPECT_FALSE(ControlBox_IsNotReady());
    // Commands reaching it, the lamp lighting its input, are checked end to
    // end with the program; the logon's bytes with the logon.
    ControlBox_Close();
    EXPECT_EQ(ControlBox_VirtualBox(), nullptr);
    EXPECT_TRUE(TakeNotices().empty());
}

// Right after the open the ring holds no reading: zeros would be a closed
// switch and a full light.
TEST_F(LinkFrames, TheFirstReadingsWaitForTheBoxsFirstFrame) {
    ASSERT_NE(Box(), nullptr);
    Box()->SetReading(6, 700);
    ASSERT_EQ(ControlBox_Open(Box()->DevicePath()), kOpenOk);
    int32_t flag = -1;
    ControlBox_Input(0, 0, nullptr, nullptr, nullptr, &flag);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(InputValue(5), 700);
    EXPECT_EQ(ControlBox_LightPercent(1, 0), 0.0);
}

// A port that opens but where no box ever answers (the default COM1 on
// most PCs) did not lose a box: the user learns which ports there are.
TEST_F(LinkFrames, ABoxThatNeverAnswersIsToldOnceWithThePortsToChooseFrom) {
    ASSERT_NE(Box(), nullptr);
    Box()->SetSilent(true);
    ASSERT_EQ(ControlBox_Open(Box()->DevicePath()), kOpenOk);

    std::vector<Notice> seen;
    ASSERT_TRUE(Eventually([&] {
        for (const Notice& notice : TakeNotices(10)) seen.push_back(notice);
        return !seen.empty() && !Link().portOpen.load();
    }));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].number, kBoxText);
    EXPECT_EQ(seen[0].wParam, 0x10u);
    EXPECT_EQ(seen[0].text, NoBoxAnswerText(Box()->DevicePath(), platform::ListSerialDevices()));
    EXPECT_EQ(ControlBox_PortName(), Box()->DevicePath());

    // Found later, and then lost: that is a lost link.
    Box()->SetSilent(false);
    ASSERT_TRUE(Eventually(LoggedOn, 20000));
    Box()->SetSilent(true);
    ASSERT_TRUE(WaitForLinkLost(1, &seen));
    EXPECT_EQ(seen.size(), 2u);
}

TEST(LinkNoAnswer, TheTextNamesThePortItsDeviceThePortsThereAreAndHowToChoose) {
    const std::string text = NoBoxAnswerText("COM1", {"/dev/serial/by-id/usb-X", "/dev/ttyS0"});
    for (const char* part : {"COM1 (/dev/ttyS0)", "/dev/serial/by-id/usb-X, /dev/ttyS0", "--port",
                             "ControlBox_Port", "machine.ini"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    EXPECT_NE(NoBoxAnswerText("/dev/ttyUSB0", {}).find("/dev/ttyUSB0. "), std::string::npos);
}

class LinkClose : public LinkFixture {};

TEST_F(LinkClose, ReleasesAWaitForATimedOutputAndSendsTheLinkEnd) {
    auto fake = OpenFake();
    fake->Feed(ReplyBytes());
    ASSERT_TRUE(Eventually(LoggedOn));

    // No frame comes, so the output's 100 s never pass on the box's clock.
    std::atomic<bool> returned{false};
    std::thread task([&] {
        ControlBox_OnForOne(1, 1000);
        returned = true;
    });
    ASSERT_TRUE(Eventually([] { return ControlBox_TimedOutputActive(0); }));
    EXPECT_FALSE(returned.load());

    ControlBox_Close();
    task.join();
    EXPECT_FALSE(ControlBox_TimedOutputActive(0));
    EXPECT_EQ(fake->Written().back(), 0x70);
    EXPECT_EQ(ControlBox_PortName(), "");
    EXPECT_TRUE(ControlBox_IsNotReady());
    // A close is no loss: nothing for the user.
    EXPECT_TRUE(TakeNotices().empty());
}

// The fake's reads wait without any clock until they are fed or cancelled:
// each close returns only because it wakes the read.
TEST_F(LinkClose, ReturnsWhileReadThreadWaitsInARead) {
    auto inLogon = OpenFake();
    ASSERT_TRUE(Eventually([&] { return inLogon->Written().size() == LogonBytes().size(); }));
    ControlBox_Close();
    EXPECT_FALSE(Link().loggedOn.load());

    auto inFrames = OpenFake();
    inFrames->Feed(ReplyBytes());
    inFrames->Feed(FrameWith(0, {.raw = 77}));
    ASSERT_TRUE(Eventually([] { return LoggedOn() && InputValue(0) == 77; }));
    ControlBox_Close();
    EXPECT_FALSE(Link().portOpen.load());
    EXPECT_TRUE(TakeNotices().empty());
    ControlBox_Close();  // a second close is harmless
}

// One round of the monitor: the bells it rings.
std::string MonitorBells(int32_t missed, bool resynchronised, int32_t threshold) {
    ControlBox_SetDelayMonitor(threshold);
    TheSampleRing().missedFrames = missed;
    TheSampleRing().resyncMark = resynchronised;
    testing::internal::CaptureStderr();
    MonitorRound();
    const std::string bells = testing::internal::GetCapturedStderr();
    ControlBox_SetDelayMonitor(0);
    return bells;
}

TEST(LinkMonitor, MissedFramesRingOncePerFrameAtMostTwentyAResyncOnceInstead) {
    EXPECT_EQ(MonitorBells(3, false, 3), std::string(3, '\a'));
    EXPECT_EQ(MonitorBells(25, false, 1), std::string(20, '\a'));
    EXPECT_EQ(TheSampleRing().missedFrames.load(), 0);
    EXPECT_EQ(MonitorBells(2, false, 3), "");
    EXPECT_EQ(MonitorBells(5, false, 0), "");
    EXPECT_EQ(MonitorBells(10, true, 1), "\a");
    EXPECT_FALSE(TheSampleRing().resyncMark.load());
    EXPECT_EQ(MonitorBells(0, true, 0), "");
    // A negative threshold keeps the one set.
    EXPECT_EQ(ControlBox_SetDelayMonitor(5), 5);
    EXPECT_EQ(ControlBox_SetDelayMonitor(-1), 5);
    EXPECT_EQ(ControlBox_DelayMonitor(), 5);
    ControlBox_SetDelayMonitor(0);
}

class LinkReport : public LinkFixture {};

TEST_F(LinkReport, EachCodeShowsItsTextWithThePortName) {
    OpenBoxAndReport("/dev/null");
    const std::pair<int32_t, int32_t> cases[] = {{2, 21001},  {3, 21002},  {4, 21003}, {10, 21004},
                                                 {11, 21005}, {12, 21006}, {13, 21007}};
    for (const auto& [code, resource] : cases) ControlBox_ReportOpenError(code);
    ControlBox_ReportOpenError(0);
    ControlBox_ReportOpenError(20);
    // A device the user may not open: the message names its group and the cure.
    ControlBox_ReportOpenError(kOpenNoPermission);

    std::vector<std::string> expected{platform::FormatResource(21000, {"/dev/null"})};
    for (const auto& [code, resource] : cases)
        expected.push_back(platform::FormatResource(resource, {"/dev/null"}));
    const std::string group = platform::DeviceGroup("/dev/null");
    ASSERT_FALSE(group.empty());
    expected.push_back(platform::FormatResource(21008, {"/dev/null", group}));
    EXPECT_NE(expected.back().find("sudo usermod -aG " + group + " $USER"), std::string::npos);
    EXPECT_EQ(Messages(), expected);
    EXPECT_NE(Messages().front().find("/dev/null"), std::string::npos);
}

TEST_F(LinkReport, WithoutAPortNameTheStoredOneIsNamedAndOtherThreadsPostTheMessage) {
    platform::WriteMachineText("ControlBox_Port", "COM7");
    ControlBox_ReportOpenError(1);
    EXPECT_EQ(Messages(), std::vector<std::string>{platform::FormatResource(21000, {"COM7"})});
    // From another thread the message goes to the main thread as a notice.
    ControlBox_Open("/dev/null");
    std::thread([] { ControlBox_ReportOpenError(1); }).join();
    EXPECT_EQ(Messages().size(), 1u);
    const auto notices = TakeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].number, kBoxText);
    EXPECT_EQ(notices[0].wParam, 0x10u);
    EXPECT_EQ(notices[0].text, platform::FormatResource(21000, {"/dev/null"}));
}

TEST_F(LinkReport, ThePortListEndsWithTheSimulatedBoxAndNoPortAndSelectsTheCurrent) {
    const SerialPortChoices none = ListSerialPorts("/dev/no-such-port");
    const std::size_t n = none.entries.size();
    ASSERT_GE(n, 2u);
    EXPECT_EQ(none.entries[n - 2], "virtual");
    EXPECT_EQ(none.entries[n - 1], NoPortEntry());
    EXPECT_EQ(none.selected, 0u);
    EXPECT_EQ(ListSerialPorts(NoPortEntry()).selected, n - 1);
    EXPECT_EQ(ListSerialPorts("VIRTUAL").selected, n - 2);
}

}  // namespace
