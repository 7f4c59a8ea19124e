// Several Logo tasks driving the box at once, each with its own selection,
// beside a thread that decodes frames as the reader does. Run under
// ThreadSanitizer by the KINETRA_TSAN build.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "BoxTestSupport.h"
#include "CoreVocabulary.h"
#include "LogoTestPrimitives.h"
#include "box/BoxPrimitives.h"
#include "box/InputStream.h"

namespace {

constexpr int kRounds = 100;

class ConcurrencyBoxPrimitives : public BoxLinkTest {};

// How often each command (one byte, or a command byte and its argument)
// was sent. A pair torn apart by another task's byte is counted wrongly
// and so shows up in the counts.
std::map<std::pair<int, int>, int> CountCommands(const std::vector<uint8_t>& bytes) {
    auto pair = [](uint8_t b) {
        return b == 0x80 || b == 0x81 || (b >= 0x90 && b <= 0x95) || (b >= 0xB0 && b <= 0xB7) ||
               b >= 0xD0;
    };
    std::map<std::pair<int, int>, int> counts;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (pair(bytes[i]) && i + 1 < bytes.size()) {
            ++counts[{bytes[i], bytes[i + 1]}];
            ++i;
        } else {
            ++counts[{bytes[i], -1}];
        }
    }
    return counts;
}

TEST_F(ConcurrencyBoxPrimitives, TasksSwitchTheirOwnOutputsAndReadInputsBesideTheReader) {
    UseVocabulary({CorePrimitiveFamily(), BoxPrimitiveFamily()});
    Port().SplitWrites(true);
    CaptureHost host;

    const std::string rounds = "repeat " + std::to_string(kRounds);
    std::vector<std::string> lines;
    for (char letter : {'a', 'b', 'c', 'd'})
        lines.push_back("talkto \"" + std::string(1, letter) + " " + rounds +
                        " [on setpower 3 off]");
    lines.push_back("talkto [g h] " + rounds + " [on off]");
    // Readers: the reader only ever writes 100 or 900 to input 1, and turns
    // input 5 within one turn; anything else is printed.
    lines.push_back(rounds +
                    " [make \"r sensor 1 if not (or :r = 0 :r = 100 :r = 900) [print :r]"
                    " make \"s angle 5 if or :s < 0 :s > 337.5 [print :s]]");
    lines.push_back(rounds + " [if (presses 2) < 0 [print \"presses] make \"t switch 1]");

    std::atomic<int> running{static_cast<int>(lines.size())};
    std::vector<std::string> errors(lines.size());
    std::vector<std::thread> tasks;
    for (size_t i = 0; i < lines.size(); ++i)
        tasks.emplace_back([&, i] {
            errors[i] = ErrorOf(lines[i]);  // a line cut short also shows in the counts
            --running;
        });

    int frames = 0;
    while (running > 0 || frames < 50) {
        std::array<InputWord, 8> inputs{};
        inputs[0].raw = frames % 2 ? 900 : 100;
        inputs[1].edges = 1;
        inputs[4] = {.countUp = frames % 3 != 0, .stepCode = 1};
        ASSERT_TRUE(ControlBox_DecodeFrame(MakeFrame(inputs).data()));
        ++frames;
        std::this_thread::yield();
    }
    for (auto& task : tasks) task.join();

    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(errors[i], "") << lines[i];
    EXPECT_EQ(host.Text(), "");

    std::map<std::pair<int, int>, int> counts = CountCommands(Sent());
    for (int n = 0; n < 4; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ((counts[{0x28 + n, -1}]), kRounds);
        EXPECT_EQ((counts[{0x38 + n, -1}]), kRounds);
        EXPECT_EQ((counts[{0xB2, 1 << n}]), kRounds);
    }
    EXPECT_EQ((counts[{0x91, 0xC0}]), kRounds);
    EXPECT_EQ((counts[{0x90, 0xC0}]), kRounds);
    size_t total = 0;
    for (const auto& [command, count] : counts) total += count;
    EXPECT_EQ(total, static_cast<size_t>(4 * 3 * kRounds + 2 * kRounds));
}

}  // namespace
