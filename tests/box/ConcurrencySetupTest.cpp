// The setup under load from several threads at once: Logo tasks read a
// named input and a graph reads ports by name while the main thread renames
// ports and changes tool types, the reader thread fills the ring, and the
// link's open hands the wait sources to the driver.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "LogoCore/LogoTask.h"
#include "LogoTestPrimitives.h"
#include "SetupTestSupport.h"
#include "box/TimedOutputs.h"
#include "platform/Archive.h"

namespace {

constexpr int kRounds = 300;

TEST_F(SetupTest, ConcurrencyReadersByWordAndByNameWhileTheSetupChanges) {
    CaptureHost host;
    ASSERT_TRUE(TheSetup().SetToolType(2, kToolRaw));
    ASSERT_TRUE(TheSetup().SetPortName(2, "knob"));
    ASSERT_TRUE(TheSetup().SetPortName(5, "beta"));
    std::atomic<int> errors{0};
    const auto counting = [&](auto body) {
        try {
            body();
        } catch (const LogoError& e) {
            ++errors;
            Release(e.handle);
        }
    };

    std::vector<std::thread> threads;
    threads.emplace_back([] {  // the reader thread: the ring's only writer
        for (int i = 0; i < 4 * kRounds; ++i) {
            std::array<InputWord, 8> inputs{};
            inputs[2].raw = i % 1024;
            inputs[5] = {.raw = 1023 - i % 1024, .stepCode = 1};
            ControlBox_DecodeFrame(MakeFrame(inputs).data());
        }
    });
    // Tasks reading the named input by its word, whatever its tool type.
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            const std::string line =
                "repeat " + std::to_string(kRounds) + " [make \"v" + std::to_string(t) + " knob]";
            CLogoTask* task = CLogoTask::Create(DefaultSelection(), true);
            counting([&] { Release(task->RunText(line)); });
            CLogoTask::Destroy(task);
        });
    }
    // A graph and the setup page: readings by name, the live text, saving,
    // and the open's hand-over of the wait sources.
    threads.emplace_back([&] {
        for (int i = 0; i < 2 * kRounds; ++i) {
            TheSetup().ReadingByName("knob", 0);
            TheSetup().ReadingByName(i % 2 ? ".alpha" : "BETA", 0);
            TheSetup().ReadingText(5);
            if (i % 20 == 0) {
                platform::ArchiveWriter out;
                TheSetup().Serialize(out);
                TheSetup().ApplyWaitSources();
            }
        }
    });
    // The main thread's edits.
    for (int i = 0; i < kRounds; ++i) {
        counting([&] {
            TheSetup().SetPortName(5, i % 2 ? "alpha" : "beta");
            TheSetup().SetToolType(2, 1 + i % 8);
            TheSetup().SetToolType(5, 1 + (i + 3) % 8);
            TheSetup().SetOffset(2, i * 0.1);
            TheSetup().SetDirectionName1(9, i % 2 ? "up" : "upward");
            TheSetup().SetWaitSource(10, i % 2 ? 6 : kWaitByTime);
        });
    }
    for (std::thread& thread : threads) thread.join();

    EXPECT_EQ(errors.load(), 0);
    EXPECT_EQ(host.Text(), "");
    // The last round's names hold, the others are gone.
    EXPECT_TRUE(IsDefined("alpha") && IsDefined("up"));
    EXPECT_FALSE(IsDefined("beta") || IsDefined("upward"));
    EXPECT_EQ(names_.All(), (NameMap{{"alpha", 6}, {"knob", 3}}));
    EXPECT_EQ(ControlBox_GetWaitSource(2), 6);
}

TEST_F(SetupTest, ConcurrencyTheActiveSetupChangesWhileWordsAreRead) {
    CaptureHost host;
    ASSERT_TRUE(TheSetup().SetToolType(2, kToolRaw));
    ASSERT_TRUE(TheSetup().SetPortName(2, "knob"));
    std::atomic<int> noProject{0};
    std::atomic<int> otherErrors{0};

    std::thread reader([&] {
        CLogoTask* task = CLogoTask::Create(DefaultSelection(), true);
        for (int i = 0; i < kRounds; ++i) {
            try {
                Release(task->RunText("make \"v knob"));
            } catch (const LogoError& e) {
                (ErrorText(e.handle) == Message(-61, {"knob"}) ? noProject : otherErrors)++;
                Release(e.handle);
            }
        }
        CLogoTask::Destroy(task);
    });
    // Projects closed and opened: each time a new setup names the same
    // input, so the word is taken over while the old setup may still live.
    for (int i = 0; i < kRounds; ++i) {
        auto next = std::make_shared<CSetupData>(nullptr);
        next->SetToolType(2, kToolRaw);
        next->SetPortName(2, "knob");
        SetActiveSetup(nullptr);
        SetActiveSetup(next);
        setup_ = next;
    }
    reader.join();

    EXPECT_EQ(otherErrors.load(), 0);
    EXPECT_TRUE(IsDefined("knob"));
    EXPECT_EQ(host.Text(), "");
}

}  // namespace
