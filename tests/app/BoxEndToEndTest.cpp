// The program driving a box: kinetra run with Logo piped in and its port
// set to a simulated box that lives in the test process, so that what Logo
// switched is checked where a box would see it, and what the box senses is
// checked in what Logo prints.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ProgramRun.h"

#include "box/VirtualBox.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Command = std::vector<uint8_t>;

constexpr uint8_t kRelease = 0x00;
constexpr uint8_t kSync = 0x02;
constexpr uint8_t kLinkEnd = 0x70;
const std::string kLogon = "###Hello there, are you ready$$$";

bool TwoByteCommand(uint8_t b) {
    return b == 0x80 || b == 0x81 || (b >= 0x90 && b <= 0x95) || (b >= 0xB0 && b <= 0xB7) ||
           (b >= 0xD0 && b <= 0xEF);
}

// The commands the host sent after its last logon, each with its argument,
// without the SYNC bytes that come every two seconds.
std::vector<Command> CommandsAfterLogon(const std::vector<uint8_t>& bytes) {
    const std::string text(bytes.begin(), bytes.end());
    const size_t logon = text.rfind(std::string(1, static_cast<char>(kRelease)) + kLogon);
    if (logon == std::string::npos) return {};
    std::vector<Command> commands;
    for (size_t i = logon + 1 + kLogon.size(); i < bytes.size(); ++i) {
        if (bytes[i] == kSync) continue;
        Command command{bytes[i]};
        if (TwoByteCommand(bytes[i]) && i + 1 < bytes.size()) command.push_back(bytes[++i]);
        commands.push_back(command);
    }
    return commands;
}

bool Sent(const std::vector<Command>& commands, const Command& command) {
    for (const Command& sent : commands)
        if (sent == command) return true;
    return false;
}

// Whether the box leaves the logged-on state within two seconds.
bool LinkEnds(const VirtualBox& box) {
    const auto giveUp = Clock::now() + 2s;
    while (box.CurrentStatus().loggedOn) {
        if (Clock::now() > giveUp) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// The box's first frame proves the logon is through (a reader waits for
// it, but gives up when the logon takes too long). Waits in these
// runs give up after ten seconds (timer counts tenths), so that a fault
// fails the test long before the run is killed.
const std::string kAwaitBox = "resett waituntil [or ((sensor 8) > 0) (timer > 100)]\n";

class BoxEndToEnd : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        box_ = VirtualBox::Start();
        ASSERT_NE(box_, nullptr) << "no pseudo-terminal for the simulated box";
    }
    void TearDown() override {
        box_.reset();
        ProgramTest::TearDown();
    }

    // Runs the Logo once the box is logged on; the program closes the link
    // when its input ends.
    RunResult RunOnBox(const std::string& logo) {
        return Kinetra(kAwaitBox + logo, "--port '" + box_->DevicePath() + "'");
    }

    std::unique_ptr<VirtualBox> box_;
};

// Presses an input of the box once Logo has switched an output on, the
// signal that the program is ready for it. Gives up at the deadline, and
// at once when told that the run is over.
class PressOnSignal {
  public:
    PressOnSignal(VirtualBox& box, int signalOutput, int input)
        : thread_([this, &box, signalOutput, input] {
              const auto deadline = Clock::now() + 70s;
              while (!over_.load() && Clock::now() < deadline) {
                  if (box.OutputOn(signalOutput)) {
                      box.Press(input);
                      pressed_ = true;
                      return;
                  }
                  std::this_thread::sleep_for(2ms);
              }
          }) {}
    ~PressOnSignal() { Finish(); }

    // Whether the press was made; ends the thread.
    bool Finish() {
        over_ = true;
        if (thread_.joinable()) thread_.join();
        return pressed_.load();
    }

  private:
    std::atomic<bool> over_{false};
    std::atomic<bool> pressed_{false};
    std::thread thread_;
};

}  // namespace

TEST_F(BoxEndToEnd, OutputsSwitchedFromLogoReachTheBoxAndAllGoOffWhenTheProgramEnds) {
    const RunResult run = RunOnBox(
        "talkto \"a on setpower 3\n"
        "on\n"  // already on: nothing to send
        "talkto [b c] on\n"
        "talkto \"c off rd\n"
        "talkto \"a print power\n");
    EXPECT_EQ(run.out, "3\n") << Errors();
    EXPECT_EQ(run.status, 0);
    // The program's end ends the link: the box takes the last byte when its
    // thread next reads, perhaps just after the program has gone.
    EXPECT_TRUE(LinkEnds(*box_)) << "no link end came";

    // After the logon the box gets the outputs' state (all off at the
    // start); A and B, still on at the end, go off with the rest before
    // the link ends.
    const std::vector<Command> expected = {{0x90, 0xFF}, {0x28}, {0xB2, 0x01}, {0x91, 0x06},
                                           {0x3A},       {0x22}, {0x90, 0xFF}, {kLinkEnd}};
    EXPECT_EQ(CommandsAfterLogon(box_->ReceivedBytes()), expected);

    const VirtualBox::Status status = box_->CurrentStatus();
    for (int n = 0; n < 8; ++n) EXPECT_FALSE(status.outputs[n].on) << "output " << n;
    EXPECT_EQ(status.outputs[0].power, 3);
    EXPECT_EQ(status.outputs[1].power, 8);
    EXPECT_EQ(status.outputs[2].direction, 0);
    EXPECT_EQ(status.outputs[1].direction, 1);
}

// A signal ends the program as the end of its input does: every task
// stopped, every output off, then the link's end, and the stores written.
TEST_F(BoxEndToEnd, ASignalEndsTheProgramInOrderWithTheSignalInItsStatus) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(::strsignal(signal));
        std::filesystem::remove(config_ / "profile.ini");
        Run run(*this, "--port '" + box_->DevicePath() + "'");
        ASSERT_TRUE(run.Started());
        // A task that would switch C on again, had it not stopped first.
        ASSERT_TRUE(
            run.Write(kAwaitBox + "talkto [a b] on launch [forever [talkto \"c on wait 1]]\n"));
        const auto giveUp = Clock::now() + 20s;
        while (!(box_->OutputOn(1) && box_->OutputOn(2) && box_->OutputOn(3)) &&
               Clock::now() < giveUp)
            std::this_thread::sleep_for(2ms);
        ASSERT_TRUE(box_->OutputOn(3)) << "the outputs never came on";

        run.Signal(signal);
        EXPECT_EQ(run.Wait(), 128 + signal);
        EXPECT_TRUE(LinkEnds(*box_)) << "no link end came";
        const std::vector<Command> commands = CommandsAfterLogon(box_->ReceivedBytes());
        ASSERT_GE(commands.size(), 2u);
        EXPECT_EQ(commands[commands.size() - 2], (Command{0x90, 0xFF}));
        EXPECT_EQ(commands.back(), Command{kLinkEnd});
        for (int output = 1; output <= 3; ++output) EXPECT_FALSE(box_->OutputOn(output));
        EXPECT_NE(FileText("profile.ini").find("TopMargin=6"), std::string::npos);
    }
}

TEST_F(BoxEndToEnd, ReadingsAndContactsAtTheBoxArePrintedByLogo) {
    box_->SetReading(3, 517);
    box_->SetReading(4, 0);
    box_->Press(2);
    const RunResult run = RunOnBox(
        "print sensor 3\n"
        "print sensor 4\n"
        "print switch 2\n"
        "print switch 1\n");
    EXPECT_EQ(run.out, "517\n0\ntrue\nfalse\n") << Errors();
    EXPECT_EQ(run.status, 0);
}

TEST_F(BoxEndToEnd, TimedOutputEndsWhenTheMotorHasTurnedTheSensorFarEnough) {
    // Output A's timed outputs end by the rotation count of input 5, which
    // the box's motor on output A turns. By the clock, 16 tenths of a second
    // would turn it by some 640 steps.
    const RunResult run = RunOnBox(
        ".setonfor 8 4\n"
        "talkto \"a onfor 16\n"
        "print rotation 5\n");
    EXPECT_EQ(run.status, 0);
    int printed = -1;
    try {
        printed = std::stoi(run.out);
    } catch (const std::exception&) {
        ADD_FAILURE() << "no rotation count printed: " << run.out << Errors();
    }
    const VirtualBox::Status status = box_->CurrentStatus();
    EXPECT_GE(printed, 16);
    EXPECT_LE(printed, status.inputs[4].rotation);
    // Ended by the count, not by the clock; the bound leaves the host a
    // generous 40 frames to notice.
    EXPECT_LT(printed, 320);
    EXPECT_FALSE(status.outputs[0].on);

    const std::vector<Command> commands = CommandsAfterLogon(box_->ReceivedBytes());
    EXPECT_TRUE(Sent(commands, {0x28}) || Sent(commands, {0x91, 0x01})) << "never switched on";
}

TEST_F(BoxEndToEnd, APressedTouchSensorRunsItsPressAction) {
    PressOnSignal press(*box_, 8, 1);
    const RunResult run = RunOnBox(
        ".setboxname 0 \"door\n"
        ".setboxunit 0 \"boolean\n"
        ".setboxaction 0 [print \"pressed make \"done \"true] []\n"
        "make \"done \"false\n"
        "talkto \"h on\n"
        "resett waituntil [or :done (timer > 100)]\n"
        "print door\n");
    EXPECT_TRUE(press.Finish()) << "output h never came on: " << run.out << Errors();
    EXPECT_EQ(run.out, "pressed\ntrue\n") << Errors();
    EXPECT_EQ(run.status, 0);
}

TEST_F(BoxEndToEnd, AnInputNamedOnTheSetupIsReadByItsUnitInAnyCase) {
    box_->SetReading(1, 517);
    box_->Press(2);
    const RunResult run = RunOnBox(
        ".setboxname 0 \"door\n"
        ".setboxunit 0 \"raw\n"
        "print DOOR\n"
        "print Door\n"
        ".setboxname 1 \"bumper\n"
        ".setboxunit 1 \"Boolean\n"
        "print bumper\n");
    EXPECT_EQ(run.out, "517\n517\ntrue\n") << Errors();
    EXPECT_EQ(run.status, 0);
}
