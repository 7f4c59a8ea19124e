// The simulated box, talked to the way the link talks to a real one: over
// the termios port opened on its pseudo-terminal. Waits are bounded only
// to turn a hang into a failure; apart from the one pacing check, no
// result depends on how fast the machine is.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "box/InputStream.h"
#include "box/SampleRing.h"
#include "box/VirtualBox.h"
#include "platform/SerialPort.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kLogon = "###Hello there, are you ready$$$";
const std::string kAnswer = "###Now take a short breather$$$";

// Input n's (1-8) word in a frame, and its fields.
using Frame = std::vector<uint8_t>;
constexpr int kWordOffset[8] = {14, 10, 6, 2, 16, 12, 8, 4};
const auto Word = [](const Frame& f, int n) {
    return static_cast<unsigned>((f[kWordOffset[n - 1]] << 8) | f[kWordOffset[n - 1] + 1]);
};
const auto Raw = [](const Frame& f, int n) { return static_cast<int>(Word(f, n) >> 6); };
const auto Edges = [](const Frame& f, int n) { return static_cast<int>((Word(f, n) >> 4) & 3); };
const auto DigitalBit = [](const Frame& f, int n) { return (Word(f, n) & 8) != 0; };
const auto CountsUp = [](const Frame& f, int n) { return (Word(f, n) & 4) != 0; };
const auto StepCode = [](const Frame& f, int n) { return static_cast<int>(Word(f, n) & 3); };

bool AddsUp(const Frame& frame) {
    unsigned sum = 0;
    for (uint8_t b : frame) sum += b;
    return (sum & 0xFF) == 0xFF;
}

const auto Text = [](const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
};
// RELEASE, then the logon string.
const auto LogonBytes = [] { return Text(std::string(1, '\0') + kLogon); };

// Logs on over a port of the box's own, as the host does.
void LogOnOver(platform::SerialPort& port) {
    const std::vector<uint8_t> logon = LogonBytes();
    ASSERT_TRUE(port.Write(logon.data(), static_cast<int>(logon.size()), 2000));
    std::vector<uint8_t> answer(31);
    ASSERT_EQ(port.Read(answer.data(), 31, 3000, 5000), 31);
    ASSERT_EQ(answer, Text(kAnswer));
}

class VirtualBoxTest : public ::testing::Test {
  protected:
    void SetUp() override { StartBox({}); }
    void TearDown() override {
        port_.reset();
        box_.reset();
    }

    void StartBox(VirtualBox::Options options) {
        port_.reset();
        box_ = VirtualBox::Start(options);
        ASSERT_NE(box_, nullptr);
        platform::SerialOpenError error{};
        port_ = platform::OpenSerialPort(box_->DevicePath(), &error);
        ASSERT_NE(port_, nullptr);
    }

    void Send(const std::vector<uint8_t>& bytes) {
        ASSERT_TRUE(port_->Write(bytes.data(), static_cast<int>(bytes.size()), 2000));
        sent_ += bytes.size();
    }
    // Sends and waits until the box has taken the bytes (and so obeyed them).
    void Command(const std::vector<uint8_t>& bytes) {
        Send(bytes);
        const auto giveUp = Clock::now() + 5s;
        while (box_->ReceivedBytes().size() < sent_ && Clock::now() < giveUp)
            std::this_thread::sleep_for(1ms);
        ASSERT_EQ(box_->ReceivedBytes().size(), sent_);
    }

    std::vector<uint8_t> Read(int n) {
        std::vector<uint8_t> bytes(n);
        const int got = port_->Read(bytes.data(), n, 3000, 5000);
        bytes.resize(got > 0 ? got : 0);
        return bytes;
    }
    Frame NextFrame() {
        Frame frame = Read(19);
        EXPECT_EQ(frame.size(), 19u);
        frame.resize(19);
        return frame;
    }
    // The first of the next 100 frames that shows what the test waits for,
    // or the last of them.
    template <class Condition>
    Frame FrameWhere(Condition condition) {
        Frame frame;
        for (int i = 0; i < 100; ++i)
            if (condition(frame = NextFrame())) break;
        return frame;
    }
    // Skips to the "#" that starts the answer, as the link does.
    std::vector<uint8_t> ReadAnswer() {
        for (int skipped = 0; skipped < 4096; ++skipped) {
            std::vector<uint8_t> byte = Read(1);
            if (byte.empty()) return {};
            if (byte[0] != '#') continue;
            std::vector<uint8_t> rest = Read(30);
            byte.insert(byte.end(), rest.begin(), rest.end());
            return byte;
        }
        return {};
    }
    // Outputs 1-8 at a glance: on (1/0), power, direction, one digit each.
    std::string Outputs() {
        std::string text;
        for (int out = 1; out <= 8; ++out) text += box_->OutputOn(out) ? '1' : '0';
        text += '/';
        for (int out = 1; out <= 8; ++out) text += static_cast<char>('0' + box_->OutputPower(out));
        text += '/';
        for (int out = 1; out <= 8; ++out)
            text += static_cast<char>('0' + box_->OutputDirection(out));
        return text;
    }
    void LogOn() {
        Send(LogonBytes());
        ASSERT_EQ(ReadAnswer(), Text(kAnswer));
    }

    std::unique_ptr<VirtualBox> box_;
    std::unique_ptr<platform::SerialPort> port_;
    size_t sent_ = 0;
};

TEST(VirtualBoxName, VirtualInAnyCaseIsTheSimulatedBox) {
    for (const char* name : {"virtual", "VIRTUAL", "Virtual"}) EXPECT_TRUE(IsVirtualPortName(name));
    for (const char* name : {"virtual1", "virtua", "COM1", ""})
        EXPECT_FALSE(IsVirtualPortName(name));
}

TEST_F(VirtualBoxTest, AnswersTheLogonAfterNoiseAndStampsEveryByteWhenItArrives) {
    const auto beforeNoise = Clock::now();
    Send({'x', 0x23, 0xFF, 0x00, '#', '#', 'Q', 0x70, 0x28});
    LogOn();
    EXPECT_TRUE(box_->CurrentStatus().loggedOn);
    // The noise obeyed nothing, not even the on and link-end bytes in it.
    EXPECT_FALSE(box_->OutputOn(1));
    EXPECT_TRUE(AddsUp(NextFrame()));
    const auto beforeCommand = Clock::now();
    Command({0x28});
    const auto afterCommand = Clock::now();

    const std::vector<uint8_t> all = box_->ReceivedBytes();
    ASSERT_EQ(all.size(), 9 + 33 + 1u);
    EXPECT_EQ(std::vector<uint8_t>(all.begin() + 9, all.end() - 1), LogonBytes());
    const std::vector<VirtualBox::TimedByte> log = box_->ReceivedLog();
    ASSERT_EQ(log.size(), all.size());
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].byte, all[i]) << i;
        EXPECT_GE(log[i].at, beforeNoise) << i;
        if (i > 0) {
            EXPECT_GE(log[i].at, log[i - 1].at) << i;
        }
    }
    EXPECT_GE(log.back().at, beforeCommand);
    EXPECT_LE(log.back().at, afterCommand);
    // From a byte number on: the tail only.
    const std::vector<VirtualBox::TimedByte> tail = box_->ReceivedLog(42);
    ASSERT_EQ(tail.size(), 1u);
    EXPECT_EQ(tail[0].byte, 0x28);
    EXPECT_EQ(tail[0].at, log.back().at);
    EXPECT_TRUE(box_->ReceivedLog(43).empty());
    EXPECT_TRUE(box_->ReceivedLog(1000).empty());
}

TEST_F(VirtualBoxTest, LogonStringWithoutReleaseOrCutShortIsNotAnswered) {
    Command(Text(kLogon));
    EXPECT_FALSE(box_->CurrentStatus().loggedOn);
    std::vector<uint8_t> cut = LogonBytes();
    cut.pop_back();
    cut.push_back('x');
    Command(cut);
    EXPECT_FALSE(box_->CurrentStatus().loggedOn);
    // A second RELEASE in front of the string is still a RELEASE.
    Command({0x00});
    LogOn();
}

TEST_F(VirtualBoxTest, FramesAreValidAndComeEvery19Point8MillisecondsOnAverage) {
    LogOn();
    Frame first = NextFrame();
    const auto start = Clock::now();
    for (int i = 0; i < 50; ++i) {
        const Frame frame = NextFrame();
        ASSERT_TRUE(AddsUp(frame)) << i;
        ASSERT_EQ(frame[0], 0x80) << i;
        ASSERT_EQ(frame[1], 0x00) << i;
        ASSERT_TRUE(ControlBox_ValidFrame(frame.data())) << i;
        for (int input = 1; input <= 8; ++input) {
            EXPECT_EQ(Raw(frame, input), 1023);
            EXPECT_TRUE(DigitalBit(frame, input));  // untouched: open
            EXPECT_EQ(Edges(frame, input), 0);
            EXPECT_EQ(StepCode(frame, input), 0);
        }
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    // 990 ms expected; the bounds only tell pacing from bursts or stalls.
    EXPECT_GT(elapsed.count(), 700);
    EXPECT_LT(elapsed.count(), 1600);
}

TEST_F(VirtualBoxTest, SingleByteAndMaskCommandsSetTheOutputs) {
    LogOn();
    EXPECT_EQ(Outputs(), "00000000/88888888/11111111");
    const std::pair<std::vector<uint8_t>, const char*> steps[] = {
        {{0x2A}, "00100000/88888888/11111111"},                    // 3 on
        {{0x32}, "00100000/88088888/11111111"},                    // 3 power 0
        {{0x4A}, "00100000/88088888/11011111"},                    // 3 direction 0
        {{0x22}, "00100000/88088888/11111111"},                    // 3 reverse
        {{0x22, 0x4A, 0x42}, "00100000/88088888/11111111"},        // reverse, 0, 1
        {{0x02}, "00100000/88088888/11111111"},                    // SYNC
        {{0x3A}, "00000000/88088888/11111111"},                    // 3 off
        {{0x2F, 0x37}, "00000001/88088880/11111111"},              // 8 on, power 0
        {{0x91, 0x0F}, "11110001/88088880/11111111"},              // 1-4 on
        {{0x90, 0x05}, "01010001/88088880/11111111"},              // 1 and 3 off
        {{0xB4, 0x06}, "01010001/85588880/11111111"},              // power 5 for 2, 3
        {{0xB0, 0x80}, "01010001/85588881/11111111"},              // power 1 for 8
        {{0xB7, 0x80, 0x92, 0x81}, "01010001/05588880/11111111"},  // power 8, 0 for 1, 8
        {{0x93, 0x30}, "01010001/05588880/11110011"},              // direction 0 for 5, 6
        {{0x95, 0x60}, "01010001/05588880/11110101"},              // reverse 6, 7
        {{0x94, 0x10}, "01010001/05588880/11111101"},              // direction 1 for 5
        {{0x91, 0xFF}, "11111111/05588880/11111101"},
        {{0x90, 0x00}, "11111111/05588880/11111101"},  // a zero mask is an argument, not a RELEASE
    };
    for (const auto& [command, outputs] : steps) {
        Command(command);
        EXPECT_EQ(Outputs(), outputs) << int(command[0]);
    }
    EXPECT_TRUE(box_->CurrentStatus().loggedOn);
    EXPECT_TRUE(AddsUp(NextFrame()));
}

TEST_F(VirtualBoxTest, TwoByteCommandsSplitAcrossWritesAndPulseSettingsAreKept) {
    LogOn();
    Command({0xB2});
    EXPECT_EQ(box_->OutputPower(2), 8);
    Command({0x02});  // the mask, not a SYNC
    EXPECT_EQ(box_->OutputPower(2), 3);
    Command({0x91});
    EXPECT_FALSE(box_->OutputOn(1));
    Command({0x28});  // the mask 0x28: outputs 4 and 6, not "output 1 on"
    EXPECT_FALSE(box_->OutputOn(1));
    EXPECT_TRUE(box_->OutputOn(4));
    EXPECT_TRUE(box_->OutputOn(6));

    Command({0xEA, 10, 0xE2, 20, 0x81, 0x04});
    VirtualBox::Status status = box_->CurrentStatus();
    EXPECT_TRUE(status.outputs[2].pulse);
    EXPECT_EQ(status.outputs[2].pulseA, 10);
    EXPECT_EQ(status.outputs[2].pulseB, 20);
    EXPECT_FALSE(status.outputs[1].pulse);
    Command({0x80, 0x04, 0xD7, 0x04});
    status = box_->CurrentStatus();
    EXPECT_FALSE(status.outputs[2].pulse);
    EXPECT_EQ(status.inputs[2].setting, 7);
    EXPECT_EQ(status.inputs[1].setting, 0);
}

TEST_F(VirtualBoxTest, PressGivesOneEdgeAndMoreThanThreeEdgesAreSpreadOverFrames) {
    LogOn();
    box_->Press(2);
    box_->Press(2);  // already closed: no second edge
    Frame frame = FrameWhere([](const Frame& f) { return Edges(f, 2) != 0; });
    EXPECT_EQ(Edges(frame, 2), 1);
    EXPECT_FALSE(DigitalBit(frame, 2));
    EXPECT_TRUE(DigitalBit(frame, 1));
    frame = NextFrame();
    EXPECT_EQ(Edges(frame, 2), 0);
    EXPECT_FALSE(DigitalBit(frame, 2));
    EXPECT_TRUE(box_->CurrentStatus().inputs[1].pressed);

    box_->Release(2);
    frame = FrameWhere([](const Frame& f) { return Edges(f, 2) != 0; });
    EXPECT_EQ(Edges(frame, 2), 1);
    EXPECT_TRUE(DigitalBit(frame, 2));

    // Held silent, the box gathers four edges for one frame.
    box_->SetSilent(true);
    for (int i = 0; i < 2; ++i) {
        box_->Press(1);
        box_->Release(1);
    }
    box_->SetSilent(false);
    std::vector<int> counts;
    int total = 0;
    for (int i = 0; i < 200 && total < 4; ++i) {
        frame = NextFrame();
        if (Edges(frame, 1) == 0) continue;
        counts.push_back(Edges(frame, 1));
        total += counts.back();
        EXPECT_TRUE(DigitalBit(frame, 1));
    }
    EXPECT_EQ(counts, (std::vector<int>{3, 1}));
}

TEST_F(VirtualBoxTest, LastPressFrameTimeIsWhenTheFrameWithThePressWentOut) {
    // A press before the logon is no news to the host: it has no frame.
    box_->Press(1);
    LogOn();
    for (int i = 0; i < 3; ++i) NextFrame();
    EXPECT_FALSE(box_->LastPressFrameTime(1));

    // A release is no press.
    box_->Release(1);
    Frame frame = FrameWhere([](const Frame& f) { return Edges(f, 1) != 0; });
    ASSERT_EQ(Edges(frame, 1), 1);
    EXPECT_FALSE(box_->LastPressFrameTime(1));

    // Held silent, the press waits for the first frame after the silence.
    box_->SetSilent(true);
    box_->Press(1);
    EXPECT_FALSE(box_->LastPressFrameTime(1));
    const auto beforeFrames = Clock::now();
    box_->SetSilent(false);
    frame = FrameWhere([](const Frame& f) { return Edges(f, 1) != 0; });
    const auto afterRead = Clock::now();
    ASSERT_EQ(Edges(frame, 1), 1);
    const auto sent = box_->LastPressFrameTime(1);
    ASSERT_TRUE(sent);
    EXPECT_GE(*sent, beforeFrames);
    EXPECT_LE(*sent, afterRead);

    // The next press forgets the time until its own frame goes out; other
    // inputs and numbers outside 1-8 have none.
    box_->Release(1);
    box_->SetSilent(true);
    box_->Press(1);
    EXPECT_FALSE(box_->LastPressFrameTime(1));
    EXPECT_FALSE(box_->LastPressFrameTime(2));
    EXPECT_FALSE(box_->LastPressFrameTime(0));
    EXPECT_FALSE(box_->LastPressFrameTime(9));
    box_->SetSilent(false);
    int edges = 0;
    for (int i = 0; i < 100 && edges < 2; ++i) edges += Edges(NextFrame(), 1);
    EXPECT_EQ(edges, 2);
    const auto second = box_->LastPressFrameTime(1);
    ASSERT_TRUE(second);
    EXPECT_GT(*second, *sent);
}

TEST_F(VirtualBoxTest, SetReadingIsSentAndClamped) {
    LogOn();
    box_->SetReading(3, 600);
    box_->SetReading(4, 5000);
    box_->SetReading(1, -3);
    const Frame frame = FrameWhere([](const Frame& f) { return Raw(f, 3) == 600; });
    EXPECT_EQ(Raw(frame, 3), 600);
    EXPECT_EQ(Raw(frame, 4), 1023);
    EXPECT_EQ(Raw(frame, 1), 0);
    EXPECT_EQ(Raw(frame, 2), 1023);
}

class VirtualBoxRotation : public VirtualBoxTest {
  protected:
    void SetUp() override {
        StartBox({.couple = false});
        ResetSampleRing();
    }
    static int32_t RingRotation(int input) {
        const SampleRing& ring = TheSampleRing();
        return ring.slots[ring.Newest()].rotation[input - 5].load();
    }
    static int32_t RingRaw(int input) {
        const SampleRing& ring = TheSampleRing();
        return ring.slots[ring.Newest()].raw[input - 1].load();
    }
};

TEST_F(VirtualBoxRotation, TurnsDecodeBackIntoTheRotationCounts) {
    LogOn();
    box_->SetReading(6, 0x2A5);
    // Held silent, every turn starts in the same frame.
    box_->SetSilent(true);
    box_->Turn(5, 1);
    box_->Turn(6, -7);
    box_->Turn(7, 40);
    box_->Turn(8, -2);
    box_->Turn(3, 9);  // no rotation on inputs 1-4
    box_->SetSilent(false);

    std::vector<Frame> moving;
    for (int i = 0; i < 200 && moving.size() < 3; ++i) {
        const Frame frame = NextFrame();
        ASSERT_TRUE(ControlBox_DecodeFrameAt(frame.data(), static_cast<uint32_t>(20 * i)));
        if (StepCode(frame, 7) != 0) moving.push_back(frame);
    }
    ASSERT_EQ(moving.size(), 3u);
    const Frame& firstMove = moving[0];
    EXPECT_EQ(StepCode(firstMove, 5), 1);
    EXPECT_TRUE(CountsUp(firstMove, 5));
    EXPECT_EQ(StepCode(firstMove, 6), 2);
    EXPECT_FALSE(CountsUp(firstMove, 6));
    EXPECT_EQ(Raw(firstMove, 6), 0x2A5);  // 0x2A0 with 7 - 2 in the low bits
    EXPECT_EQ(StepCode(firstMove, 8), 2);
    EXPECT_EQ(Raw(firstMove, 8) & 0xF, 0);  // two steps
    EXPECT_EQ(StepCode(firstMove, 3), 0);
    // 40 steps: 17, 17 and 6.
    EXPECT_EQ(
        (std::array{Raw(moving[0], 7) & 0xF, Raw(moving[1], 7) & 0xF, Raw(moving[2], 7) & 0xF}),
        (std::array{15, 15, 4}));
    EXPECT_EQ(StepCode(moving[1], 5), 0);

    EXPECT_EQ((std::array{RingRotation(5), RingRotation(6), RingRotation(7), RingRotation(8)}),
              (std::array{1, -7, 40, -2}));
    // The reading comes back whole once the sensor stops.
    const Frame still = NextFrame();
    ASSERT_TRUE(ControlBox_DecodeFrameAt(still.data(), 5000));
    EXPECT_EQ(RingRaw(6), 0x2A5);
    EXPECT_EQ(RingRotation(7), 40);
}

TEST_F(VirtualBoxRotation, TurnsBeforeTheLogonAndUncoupledOutputsMoveNoSensor) {
    box_->Turn(5, 12);
    box_->Press(1);
    LogOn();
    // Without coupling, motor A and lamp B move neither input 5 nor 6.
    Command({0x91, 0x03});
    for (int i = 0; i < 5; ++i) {
        const Frame frame = NextFrame();
        EXPECT_EQ(StepCode(frame, 5), 0);
        EXPECT_EQ(Raw(frame, 6), 1023);
        EXPECT_EQ(Edges(frame, 1), 0);
        EXPECT_FALSE(DigitalBit(frame, 1));  // but the contact is closed
    }
}

TEST_F(VirtualBoxTest, MotorOnATurnsInput5AndLampOnBLightsInput6ByTheirPower) {
    LogOn();
    Command({0xB2, 0x01, 0x28});  // A: power 3, on
    Frame frame = FrameWhere([](const Frame& f) { return StepCode(f, 5) != 0; });
    EXPECT_EQ(StepCode(frame, 5), 2);
    EXPECT_EQ(Raw(frame, 5) & 0xF, 1);  // 3 steps
    EXPECT_TRUE(CountsUp(frame, 5));
    EXPECT_EQ(StepCode(NextFrame(), 5), 2);  // and on, frame after frame

    Command({0x48, 0xB0, 0x01});  // direction 0, power 1
    frame = FrameWhere([](const Frame& f) { return StepCode(f, 5) == 1; });
    EXPECT_EQ(StepCode(frame, 5), 1);
    EXPECT_FALSE(CountsUp(frame, 5));

    Command({0x38});  // off: the sensor stops
    const int at = box_->CurrentStatus().inputs[4].rotation;
    FrameWhere([](const Frame& f) { return StepCode(f, 5) == 0; });
    for (int i = 0; i < 3; ++i) EXPECT_EQ(StepCode(NextFrame(), 5), 0);
    EXPECT_EQ(box_->CurrentStatus().inputs[4].rotation, at);

    Command({0x29});  // B on at power 8: bright
    frame = FrameWhere([](const Frame& f) { return Raw(f, 6) != 1023; });
    EXPECT_EQ(Raw(frame, 6), 1023 - 8 * 80);
    Command({0xB1, 0x02});  // power 2: dimmer
    frame = FrameWhere([](const Frame& f) { return Raw(f, 6) == 1023 - 2 * 80; });
    EXPECT_EQ(Raw(frame, 6), 1023 - 2 * 80);
    EXPECT_EQ(Raw(frame, 5), 1023);
    Command({0x39});
    EXPECT_EQ(Raw(FrameWhere([](const Frame& f) { return Raw(f, 6) == 1023; }), 6), 1023);
}

TEST_F(VirtualBoxTest, ALinkEndANewLogonOrASilenceStartOver) {
    LogOn();
    NextFrame();
    // The link after a lost line: no link end, straight to a new logon.
    LogOn();
    EXPECT_TRUE(AddsUp(NextFrame()));
    Command({0x70});
    EXPECT_FALSE(box_->CurrentStatus().loggedOn);
    Command({0x28});  // not obeyed while logged off
    EXPECT_FALSE(box_->OutputOn(1));
    port_->Purge();
    LogOn();

    box_->SetSilent(true);
    const uint64_t frames = box_->CurrentStatus().framesSent;
    // A logon into the pulled cable is heard by no one...
    Command(LogonBytes());
    Command({0x28});
    EXPECT_EQ(box_->CurrentStatus().framesSent, frames);
    EXPECT_FALSE(box_->OutputOn(1));
    EXPECT_TRUE(box_->CurrentStatus().silent);
    port_->Purge();
    // ...and answered once it is back.
    box_->SetSilent(false);
    LogOn();
    EXPECT_TRUE(AddsUp(NextFrame()));
    // The log holds every byte the host sent, the unheard ones too.
    EXPECT_EQ(box_->ReceivedBytes().size(), 5 * 33u + 3u);
}

TEST_F(VirtualBoxTest, DestroyingTheBoxWhileThePortIsOpenDoesNotHang) {
    LogOn();
    NextFrame();
    auto destroyed = std::async(std::launch::async, [this] { box_.reset(); });
    ASSERT_EQ(destroyed.wait_for(10s), std::future_status::ready);
    // The port sees the line go away instead of waiting.
    auto read = std::async(std::launch::async, [this] {
        uint8_t bytes[64];
        int got = 0;
        while ((got = port_->Read(bytes, sizeof bytes, 100, 1000)) > 0) {
        }
        return got;
    });
    ASSERT_EQ(read.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(read.get(), -1);
}

// Many threads move the sensors and ask for the state while the host reads
// the frames and sends commands: no edge or step may be lost or torn.
TEST(ConcurrencyVirtualBox, SensorsMovedFromManyThreadsReachTheHostWhole) {
    std::unique_ptr<VirtualBox> box = VirtualBox::Start({.couple = false});
    ASSERT_NE(box, nullptr);
    std::unique_ptr<platform::SerialPort> port =
        platform::OpenSerialPort(box->DevicePath(), nullptr);
    ASSERT_NE(port, nullptr);
    ASSERT_NO_FATAL_FAILURE(LogOnOver(*port));

    constexpr int kRounds = 200;
    constexpr int kEdges = 2 * kRounds;
    constexpr int kSteps = (kRounds / 2) * 5 - (kRounds / 2) * 2;
    constexpr int kCommands = 50;
    std::atomic<bool> reading{true};
    std::atomic<bool> badFrame{false};
    int edges = 0;
    int steps = 0;
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
        for (int i = 0; i < kRounds; ++i) {
            box->Press(1);
            box->Release(1);
        }
    });
    threads.emplace_back([&] {
        for (int i = 0; i < kRounds; ++i) box->Turn(7, i % 2 ? 5 : -2);
    });
    threads.emplace_back([&] {
        for (int i = 0; i < kRounds; ++i) box->SetReading(2, i % 1024);
    });
    threads.emplace_back([&] {
        while (reading.load()) {
            (void)box->CurrentStatus();
            (void)box->ReceivedBytes();
            (void)box->OutputOn(3);
        }
    });
    threads.emplace_back([&] {
        for (int i = 0; i < kCommands; ++i) {
            const uint8_t command[2] = {static_cast<uint8_t>(i % 2 ? 0x91 : 0x90), 0x04};
            port->Write(command, 2, 2000);
        }
    });
    // The host's reader, as ReadThread beside the senders.
    threads.emplace_back([&] {
        const auto giveUp = Clock::now() + 20s;
        while ((edges < kEdges || steps < kSteps) && Clock::now() < giveUp) {
            Frame frame(19);
            if (port->Read(frame.data(), 19, 3000, 5000) != 19 ||
                !ControlBox_ValidFrame(frame.data())) {
                badFrame.store(true);
                break;
            }
            edges += Edges(frame, 1);
            const int sign = CountsUp(frame, 7) ? 1 : -1;
            if (StepCode(frame, 7) == 1) steps += sign;
            if (StepCode(frame, 7) == 2) steps += sign * ((Raw(frame, 7) & 0xF) + 2);
        }
        reading.store(false);
    });
    for (std::thread& thread : threads) thread.join();

    EXPECT_FALSE(badFrame.load());
    EXPECT_EQ(edges, kEdges);
    EXPECT_EQ(steps, kSteps);
    EXPECT_EQ(box->CurrentStatus().inputs[6].rotation, kSteps);
    const auto giveUp = Clock::now() + 5s;
    while (box->ReceivedBytes().size() < LogonBytes().size() + 2 * kCommands &&
           Clock::now() < giveUp)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(box->ReceivedBytes().size(), LogonBytes().size() + 2 * kCommands);
    EXPECT_TRUE(box->OutputOn(3));  // the last command was 0x91 0x04
}

// The stand-alone program, driven through its standard input.
TEST(VirtualBoxProgram, PrintsItsPathObeysCommandsAndQuits) {
    const std::filesystem::path program =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "kinetra-boxsim";
    ASSERT_TRUE(std::filesystem::exists(program)) << "build kinetra-boxsim beside the tests";
    const std::filesystem::path output =
        std::filesystem::temp_directory_path() /
        ("kinetra-boxsim-test-" + std::to_string(getpid()) + ".txt");
    const std::string command = program.string() + " >" + output.string() + " 2>&1";
    FILE* in = popen(command.c_str(), "w");
    ASSERT_NE(in, nullptr);

    std::string first;
    const auto giveUp = Clock::now() + 10s;
    while (first.empty() && Clock::now() < giveUp) {
        std::ifstream file(output);
        std::getline(file, first);
        if (file.eof()) first.clear();  // the line is not finished yet
        std::this_thread::sleep_for(5ms);
    }
    const std::string prefix = "Virtual box on ";
    ASSERT_EQ(first.rfind(prefix, 0), 0u) << first;
    const std::string path = first.substr(prefix.size());

    auto port = platform::OpenSerialPort(path, nullptr);
    ASSERT_NE(port, nullptr) << path;
    ASSERT_NO_FATAL_FAILURE(LogOnOver(*port));

    std::fputs("press 3\n", in);
    std::fflush(in);
    bool pressed = false;
    for (int i = 0; i < 200 && !pressed; ++i) {
        Frame frame(19);
        if (port->Read(frame.data(), 19, 3000, 5000) != 19) break;
        pressed = !DigitalBit(frame, 3) && Edges(frame, 3) == 1;
    }
    EXPECT_TRUE(pressed);
    std::fputs("turn 2 5\nbogus\nquit\n", in);
    EXPECT_EQ(pclose(in), 0);

    std::ifstream file(output);
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("turn: '2' is not an input number 5-8"), std::string::npos) << text;
    EXPECT_NE(text.find("unknown command 'bogus'"), std::string::npos) << text;
    std::filesystem::remove(output);
}

}  // namespace
