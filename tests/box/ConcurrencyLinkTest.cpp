// Opens, closes, lost links and reopens racing each other and the Logo
// tasks that use the link. Run under ThreadSanitizer by the KINETRA_TSAN
// build; here the checks are that every wait ends and the link ends closed.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

#include "LinkTestSupport.h"
#include "box/BoxLink.h"
#include "box/LinkThreads.h"
#include "box/OutputCommands.h"
#include "box/SampleRing.h"
#include "box/TimedOutputs.h"

namespace {

class ConcurrencyLink : public LinkFixture {};

// Feeds frames to the fake until stopped, a few milliseconds apart so that
// the box's clock moves on between them.
class Feeder {
  public:
    explicit Feeder(std::shared_ptr<FakePort> port, int frames = -1)
        : thread_([this, port, frames] {
              for (int k = 0; !stop_ && k != frames; ++k) {
                  port->Feed(FrameWith(0, {.raw = k % 1024}));
                  std::this_thread::sleep_for(std::chrono::milliseconds(2));
              }
          }) {}
    ~Feeder() {
        stop_ = true;
        thread_.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Logo tasks: switching outputs, timed outputs and their waits, readings.
class Tasks {
  public:
    Tasks() {
        for (int t = 0; t < 3; ++t)
            threads_.emplace_back([this, t] {
                while (!stop_) {
                    switch (t) {
                        case 0:
                            ControlBox_SetOutputState(1, true);
                            ControlBox_SetOutputState(1, false);
                            ControlBox_SetPower(1, 5);
                            break;
                        case 1:
                            ControlBox_OnForOne(2, 1);
                            break;
                        case 2: {
                            int32_t value = 0;
                            ControlBox_Input(0, 0, &value, nullptr, nullptr, nullptr);
                            ControlBox_IsNotReady();
                            ControlBox_WaitFrame();
                            break;
                        }
                    }
                    ++rounds_;
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
            });
    }
    ~Tasks() {
        stop_ = true;
        for (auto& t : threads_) t.join();
    }
    int Rounds() const { return rounds_; }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<int> rounds_{0};
    std::vector<std::thread> threads_;
};

TEST_F(ConcurrencyLink, CloseRacesALostLinkWhileTasksUseIt) {
    constexpr int kRounds = 20;
    Tasks tasks;
    int notices = 0;
    for (int round = 0; round < kRounds; ++round) {
        auto fake = OpenFake();
        fake->Feed(ReplyBytes());
        ASSERT_TRUE(Eventually(LoggedOn));
        {
            // The stream ends after a few frames (the link is lost) while
            // the close comes, sooner or later.
            Feeder feeder(fake, round % 5 * 3);
            std::thread ender([fake, round] {
                std::this_thread::sleep_for(std::chrono::milliseconds(round % 4 * 5));
                fake->EndInput();
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(round % 7 * 3));
            ControlBox_Close();
            ender.join();
        }
        EXPECT_FALSE(Link().portOpen.load());
        EXPECT_EQ(ControlBox_PortName(), "");
        const int lost = CountNotices(TakeNotices(), kBoxMessage, 1502);
        EXPECT_LE(lost, 1);
        notices += lost;
        Link().errorReported = false;
    }
    EXPECT_GT(tasks.Rounds(), 0);
    RecordProperty("lost links told", notices);
}

// Whether each output is on after the bytes the host sent past its logon
// (switch commands and the masks of the logon's restore).
std::array<bool, 4> OutputsAfterLogon(const std::vector<uint8_t>& bytes) {
    std::array<bool, 4> on{};
    for (std::size_t i = LogonBytes().size(); i < bytes.size(); ++i) {
        const uint8_t b = bytes[i];
        if (b >= 0x28 && b < 0x2C) on[b - 0x28] = true;
        if (b >= 0x38 && b < 0x3C) on[b - 0x38] = false;
        if ((b == 0x90 || b == 0x91) && ++i < bytes.size())
            for (int n = 0; n < 4; ++n)
                if (bytes[i] & (1u << n)) on[n] = b == 0x91;
    }
    return on;
}

// Tasks switch their outputs while the logon brings the box to the state
// they set: in whatever order the bytes go, the box ends as each task
// last set its output.
TEST_F(ConcurrencyLink, OutputsSwitchedDuringTheLogonEndAsTheTasksLastSetThem) {
    constexpr int kRounds = 20;
    for (int round = 0; round < kRounds; ++round) {
        auto fake = OpenFake();
        std::array<std::atomic<bool>, 4> last{};
        std::atomic<bool> stop{false};
        std::vector<std::thread> tasks;
        for (int id = 1; id <= 4; ++id)
            tasks.emplace_back([&, id] {
                for (int k = id; !stop; ++k) {
                    last[id - 1] = k % 3 != 0;
                    ControlBox_SetOutputState(id, last[id - 1]);
                }
            });
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 4));
        // The tasks stop about when the box answers: their last switch may
        // be dropped (not logged on yet), wait for the restore, or follow it.
        fake->Feed(ReplyBytes());
        std::this_thread::sleep_for(std::chrono::microseconds(round % 5 * 50));
        stop = true;
        for (auto& task : tasks) task.join();
        ASSERT_TRUE(Eventually(LoggedOn));
        const std::array<bool, 4> box = OutputsAfterLogon(fake->Written());
        for (int n = 0; n < 4; ++n) EXPECT_EQ(box[n], last[n].load()) << "output " << n + 1;
        ControlBox_Close();
    }
}

TEST_F(ConcurrencyLink, ReconnectRacesOpenAndClose) {
    constexpr int kRounds = 15;
    std::atomic<bool> stop{false};
    std::thread reconnect([&] {
        while (!stop) {
            ReopenLostLink();
            std::this_thread::yield();
        }
    });
    for (int round = 0; round < kRounds; ++round) {
        // A failed open keeps its name: the reopen tries it again.
        ControlBox_Open("/dev/null");
        std::shared_ptr<FakePort> fake;
        ASSERT_TRUE(Eventually([&] {
            auto candidate = std::make_shared<FakePort>(true);
            if (ControlBox_OpenPort("fake", std::make_unique<SharedPort>(candidate)) != kOpenOk)
                return false;
            fake = candidate;
            return true;
        }));
        fake->Feed(ReplyBytes());
        Feeder feeder(fake, 10);
        ASSERT_TRUE(Eventually(LoggedOn));
        ControlBox_Close();
    }
    stop = true;
    reconnect.join();
    EXPECT_FALSE(Link().portOpen.load());
}

}  // namespace
