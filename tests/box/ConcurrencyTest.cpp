// The frame loop filling the ring while other threads read it, send
// commands and wait for timed outputs. Run under ThreadSanitizer by the
// KINETRA_TSAN build.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "BoxTestSupport.h"
#include "box/InputStream.h"
#include "box/TimedOutputs.h"

namespace {

class ConcurrencyBoxStream : public BoxLinkTest {
  protected:
    bool LivePort() const override { return true; }
};

// Whether the bytes are whole commands one after another: a command and
// its argument torn apart by another thread's write would not parse.
bool WholeCommands(const std::vector<uint8_t>& bytes, size_t* where) {
    auto single = [](uint8_t b) { return b == 0x00 || b == 0x02 || (b >= 0x20 && b <= 0x4F); };
    auto pair = [](uint8_t b) {
        return b == 0x80 || b == 0x81 || (b >= 0x90 && b <= 0x95) || (b >= 0xB0 && b <= 0xB7) ||
               b >= 0xD0;
    };
    for (size_t i = 0; i < bytes.size(); ++i) {
        *where = i;
        if (single(bytes[i])) continue;
        if (!pair(bytes[i]) || i + 1 == bytes.size()) return false;
        ++i;
        // The arguments used below are never commands themselves.
        if (single(bytes[i]) || pair(bytes[i])) return false;
    }
    return true;
}

TEST_F(ConcurrencyBoxStream, ReadersSendersAndTimedOutputsBesideTheFrameLoop) {
    constexpr int kMinimumFrames = 2500;  // more than twice round the ring
    constexpr int kTimedRuns = 20;
    Port().SplitWrites(true);
    ControlBox_SetWaitSource(2, 4);  // output 3 ends by input 5's rotation

    std::atomic<bool> done{false};
    std::atomic<int> fed{0};
    std::atomic<int> faults{0};

    std::thread loop([] { RunFrameLoop(); });
    std::thread feeder([&] {
        // Every frame: a touch edge on input 1, input 5 one step up, and
        // readings that follow the frame number.
        while (!done || fed < kMinimumFrames) {
            const int k = fed;
            std::array<InputWord, 8> inputs{};
            for (int i = 0; i < 4; ++i) inputs[i].raw = k % 1024;
            inputs[0].edges = 1;
            inputs[4] = {.raw = 300, .countUp = true, .stepCode = 1};
            // Counted before it can be decoded: no reader sees more frames.
            fed = k + 1;
            Port().Feed(MakeFrame(inputs, (k & 64) ? 0x90 : 0x80));
            // Keep only a few frames ahead of the loop.
            while (Port().Unread() > 64 * kFrameBytes) std::this_thread::yield();
        }
        Port().EndInput();
    });

    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r)
        readers.emplace_back([&, r] {
            int32_t lastRotation = 0;
            while (!done) {
                int32_t value = -1, counter = -1, rotation = -1, flag = -1;
                if (ControlBox_Input(4, 0, &value, &counter, &rotation, &flag) != kInputOk ||
                    rotation < lastRotation || rotation > fed)
                    ++faults;
                // Once a frame has come (each turns input 5 by a step).
                if (rotation > 0 && (value != 300 || flag != 0)) ++faults;
                lastRotation = rotation;
                ControlBox_Input(r, BoxMilliseconds() - 50, &value, nullptr, nullptr, &flag);
                if (value < 0 || value > 1023 || flag < 0 || flag > 1) ++faults;
                const double light = ControlBox_LightPercent(r, 0);
                const double celsius = ControlBox_TemperatureC(r, BoxMilliseconds() - 10);
                if (light < 0.0 || light > 100.0 || celsius < -77.0 || celsius > 150.0) ++faults;
                ControlBox_ResetCounter(1);
                ControlBox_IsNotReady();
                if (r == 0) ControlBox_WaitFrame();
            }
        });

    std::vector<std::thread> senders;
    for (int s = 0; s < 2; ++s)
        senders.emplace_back([&, s] {
            // Outputs 1, 4 and 5 only: their mask bits (0x01, 0x08, 0x10)
            // and the pulse parameters below are not command bytes.
            const int id = s == 0 ? 1 : 4;
            const int powered = s == 0 ? 4 : 5;
            const int pulseA[] = {0, 1, 3};
            for (int k = 0; !done; ++k) {
                ControlBox_SetOutputState(id, k % 2 == 0);
                ControlBox_SetPower(powered, k % 9);
                ControlBox_SendPair(0x90, s == 0 ? 0x01 : 0x05);
                ControlBox_SetPulse(id, pulseA[k % 3], 17);
            }
        });

    std::thread timed([&] {
        for (int run = 0; run < kTimedRuns; ++run) {
            ControlBox_OnForOne(3, 5);
            if (ControlBox_TimedOutputActive(2)) ++faults;
        }
        ControlBox_OnFor(0x04, 3);
        done = true;
    });

    timed.join();
    for (auto& reader : readers) reader.join();
    for (auto& sender : senders) sender.join();
    feeder.join();
    loop.join();

    EXPECT_EQ(faults.load(), 0);
    // Every frame was decoded: one step and one edge each.
    EXPECT_EQ(ControlBox_Rotation(4, 0), fed.load());
    int32_t counter = -1;
    ControlBox_Input(0, 0, nullptr, &counter, nullptr, nullptr);
    EXPECT_EQ(counter, fed.load());
    size_t where = 0;
    const auto sent = Sent();
    EXPECT_TRUE(WholeCommands(sent, &where)) << "torn at byte " << where << " of " << sent.size();
}

}  // namespace
