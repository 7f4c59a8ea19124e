// Opens, closes, lost links and reopens racing each other and the Logo
// tasks that use the link. Run under ThreadSanitizer by the KINETRA_TSAN
// build; here the checks are that every wait ends and the link ends closed.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "LinkTestSupport.h"
#include "box/BoxLink.h"
#include "box/LinkThreads.h"
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
