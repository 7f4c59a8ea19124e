// How fast Logo reacts to the box: a task waits with
//     waituntil [switch 1] talkto "a on
// and a touch sensor on input 1 of the simulated box is pressed. Each trial
// times, at the box, the span from the moment the first frame reporting
// the press was written to the moment output A's on command arrived: the
// host's own reaction (reading, decoding, the task's wake-up and the
// write). A real box adds the frame's time on the wire, up to one frame
// (19.8 ms), which the press-to-command figures include: the press falls
// anywhere in the frame the box is sending.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "LogoCore/BoxSeam.h"
#include "LogoCore/LogoCoreStartup.h"
#include "LogoCore/LogoTask.h"
#include "box/BoxLink.h"
#include "box/BoxPrimitives.h"
#include "box/OutputCommands.h"
#include "box/SampleRing.h"
#include "box/VirtualBox.h"
#include "platform/ConfigStore.h"
#include "platform/DataFiles.h"
#include "platform/TextCatalog.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr uint8_t kOnA = 0x28;
constexpr auto kFramePeriod = 19800us;
// Far beyond any reaction: a trial that takes this long has lost its press.
constexpr auto kTrialLimit = 3s;
constexpr int kTrials = 200;

// Where the settings the start-up writes go, for this process only.
std::filesystem::path ScratchDirectory() {
    return std::filesystem::temp_directory_path() /
           ("kinetra-reaction-" + std::to_string(::getpid()));
}

// LogoCore.dat less the tokens of families not started here (the project's):
// an unknown token would end the start-up.
std::optional<std::filesystem::path> VocabularyFor(const std::vector<PrimitiveFamily>& families) {
    const auto shipped = platform::FindDataFile(kVocabularyFileName);
    if (!shipped) return std::nullopt;
    const std::filesystem::path file = ScratchDirectory() / kVocabularyFileName;
    std::ifstream in(*shipped);
    std::ofstream out(file);
    const std::vector<PrimitiveRow> table = AssembleNumberedTable(families);
    for (const VocabularyEntry& entry : ReadVocabulary(in))
        if (FindPrimitiveRow(table, entry.token)) out << entry.name << ' ' << entry.token << '\n';
    return file;
}

// The interpreter with the core's and the box's primitives under the
// shipped names, pacing its waits by the box's frames as the program does.
// Once per process; the error, if any.
std::string StartInterpreter() {
    static const std::string error = []() -> std::string {
        std::filesystem::create_directories(ScratchDirectory());
        platform::SetConfigDirectory(ScratchDirectory());
        const auto resources = platform::FindDataFile(platform::kResourceFileName);
        std::string loadError;
        if (!resources || !platform::ResourceLibrary().Load(*resources, &loadError))
            return "resource library not loaded (set KINETRA_DATA_DIR): " + loadError;
        LogoCoreSetup setup;
        setup.families = {CorePrimitiveFamily(), BoxPrimitiveFamily()};
        const auto vocabulary = VocabularyFor(setup.families);
        if (!vocabulary) return "LogoCore.dat not found (set KINETRA_DATA_DIR)";
        setup.vocabularyFile = *vocabulary;
        SetFrameWaiter([](int) { ControlBox_WaitFrame(); });
        if (InitLogoCore(setup) != 1) return "the interpreter did not start";
        return {};
    }();
    return error;
}

// The host's view of input 1: whether it reads as pressed.
bool HostSeesPress() {
    int32_t flag = 0;
    ControlBox_Input(0, 0, nullptr, nullptr, nullptr, &flag);
    return flag != 0;
}

template <typename Condition>
bool WaitFor(Condition condition, Clock::duration limit) {
    const auto giveUp = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > giveUp) return false;
        std::this_thread::sleep_for(200us);
    }
    return true;
}

struct Trial {
    Clock::duration fromFrame{};
    Clock::duration fromPress{};
};

// One press and the reaction to it; the error's text when it went wrong.
std::string RunTrial(VirtualBox& box, Clock::duration phase, Trial* trial) {
    if (!WaitFor([] { return !HostSeesPress(); }, kTrialLimit))
        return "the host still reads input 1 as pressed";
    RunForObject("waituntil [switch 1] talkto \"a on", 0);
    // Two frames are ample for the task to reach its wait; the phase then
    // puts the press anywhere within a frame.
    ControlBox_WaitFrame();
    ControlBox_WaitFrame();
    std::this_thread::sleep_for(phase);

    const size_t mark = box.ReceivedBytes().size();
    const auto pressedAt = Clock::now();
    box.Press(1);
    std::optional<Clock::time_point> frameAt;
    std::optional<Clock::time_point> commandAt;
    WaitFor(
        [&] {
            if (!frameAt) frameAt = box.LastPressFrameTime(1);
            if (!commandAt)
                for (const VirtualBox::TimedByte& received : box.ReceivedLog(mark))
                    if (received.byte == kOnA) {
                        commandAt = received.at;
                        break;
                    }
            return frameAt && commandAt;
        },
        kTrialLimit);

    // Back to the start: contact open, task ended, output off (at the box,
    // and in the host's memory, so that the next on is sent).
    box.Release(1);
    const bool ended = WaitForAllTasks(static_cast<int>(kTrialLimit / 1ms));
    ControlBox_SetOutputState(1, false);
    const bool off = WaitFor([&] { return !box.OutputOn(1); }, kTrialLimit);

    if (!frameAt) return "the press never went out in a frame";
    if (!commandAt) return "output A's on command never arrived";
    if (!ended) return "the waiting task did not end";
    if (!off) return "output A did not go off";
    trial->fromFrame = *commandAt - *frameAt;
    trial->fromPress = *commandAt - pressedAt;
    return {};
}

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The median and the worst of the spans, in milliseconds.
std::pair<double, double> MedianAndWorst(std::vector<Clock::duration> spans) {
    if (spans.empty()) return {0, 0};
    std::sort(spans.begin(), spans.end());
    const size_t n = spans.size();
    const Clock::duration median =
        n % 2 ? spans[n / 2] : spans[n / 2 - 1] + (spans[n / 2] - spans[n / 2 - 1]) / 2;
    return {Milliseconds(median), Milliseconds(spans.back())};
}

void BM_PressToOutputCommand(benchmark::State& state) {
    const std::string error = StartInterpreter();
    if (!error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    const std::unique_ptr<VirtualBox> box = VirtualBox::Start();
    if (!box) {
        state.SkipWithError("no pseudo-terminal for the simulated box");
        return;
    }
    if (ControlBox_Open(box->DevicePath()) != kOpenOk) {
        state.SkipWithError("the link did not open");
        return;
    }
    if (!WaitFor([] { return !ControlBox_IsNotReady(); }, 5s)) {
        ControlBox_Close();
        state.SkipWithError("the box did not log on");
        return;
    }

    // A fixed seed: runs press at the same phases.
    std::mt19937 random(19800);
    std::uniform_int_distribution<int64_t> phase(0, kFramePeriod.count() - 1);
    std::vector<Clock::duration> fromFrame;
    std::vector<Clock::duration> fromPress;
    for (auto _ : state) {
        Trial trial;
        const std::string failure =
            RunTrial(*box, std::chrono::microseconds(phase(random)), &trial);
        if (!failure.empty()) {
            state.SkipWithError(failure.c_str());
            break;
        }
        fromFrame.push_back(trial.fromFrame);
        fromPress.push_back(trial.fromPress);
        state.SetIterationTime(std::chrono::duration<double>(trial.fromFrame).count());
    }
    StopAll();
    ControlBox_Close();

    const auto [frameMedian, frameWorst] = MedianAndWorst(fromFrame);
    const auto [pressMedian, pressWorst] = MedianAndWorst(fromPress);
    state.counters["trials"] = static_cast<double>(fromFrame.size());
    state.counters["frame_to_cmd_median_ms"] = frameMedian;
    state.counters["frame_to_cmd_worst_ms"] = frameWorst;
    state.counters["press_to_cmd_median_ms"] = pressMedian;
    state.counters["press_to_cmd_worst_ms"] = pressWorst;
}
BENCHMARK(BM_PressToOutputCommand)
    ->UseManualTime()
    ->Iterations(kTrials)
    ->Unit(benchmark::kMillisecond);

// The scratch directory of the settings goes with the process.
struct RemoveScratch {
    ~RemoveScratch() {
        std::error_code ignored;
        std::filesystem::remove_all(ScratchDirectory(), ignored);
    }
} gRemoveScratch;

}  // namespace
