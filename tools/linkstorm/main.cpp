// kinetra-linkstorm: pulls the simulated box's cable and plugs it back in,
// again and again, with the return timed at every byte of the host's
// logon, a few milliseconds after it, and between two logons. After each
// outage it checks that the user was told exactly once, and that the link
// works again, with the outputs as the program last set them (some set
// while the cable was out), within one reconnect period of the box's return.
// Prints one line per outage and a summary; exits 1 when any check failed.
#include <getopt.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "LogoCore/MainThreadCall.h"
#include "box/BoxLink.h"
#include "box/LinkState.h"
#include "box/Logon.h"
#include "box/OutputCommands.h"
#include "box/SampleRing.h"
#include "box/VirtualBox.h"
#include "platform/ConfigStore.h"
#include "platform/DataFiles.h"
#include "platform/MessageBox.h"
#include "platform/TextCatalog.h"
#include "platform/ThreadQueue.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kReconnectMilliseconds = 3000;
// The logon of the attempt that finds the box, and its first frames.
constexpr int kSlackMilliseconds = 500;
constexpr int kLogonBytes = 1 + static_cast<int>(kLogonString.size());
// Output C is the one the program moves around.
constexpr int kOutput = 3;

long long Since(Clock::time_point start, Clock::time_point end = Clock::now()) {
    return std::chrono::duration_cast<milliseconds>(end - start).count();
}

template <class Condition>
bool Eventually(Condition condition, int ms) {
    const auto giveUp = Clock::now() + milliseconds(ms);
    while (!condition()) {
        if (Clock::now() > giveUp) return false;
        std::this_thread::sleep_for(milliseconds(2));
    }
    return true;
}

// The notices posted to this (the link's main) thread: link-lost messages
// and any other.
struct Notices {
    int lost = 0;
    int other = 0;
    void Take() {
        while (auto message = platform::TakeMessage(0)) {
            if (message->number == kBoxText) delete reinterpret_cast<std::string*>(message->lParam);
            if (message->number == kBoxMessage && message->lParam == 1502)
                ++lost;
            else
                ++other;
        }
    }
};

struct Wanted {
    bool on = false;
    int power = 8;
    int direction = 1;
    void Set() const {
        ControlBox_SetPower(kOutput, power);
        ControlBox_SetDirection(kOutput, direction);
        ControlBox_SetOutputState(kOutput, on);
    }
    bool At(const VirtualBox& box) const {
        return box.OutputOn(kOutput) == on && box.OutputPower(kOutput) == power &&
               box.OutputDirection(kOutput) == direction;
    }
};

int32_t Reading(int input) {
    int32_t value = -1;
    ControlBox_Input(input - 1, 0, &value, nullptr, nullptr, nullptr);
    return value;
}

void Usage(std::FILE* to) {
    std::fputs(
        "Usage: kinetra-linkstorm [--outages N] [--seed S]\n"
        "Pulls and replugs the simulated box's cable N times (default 102).\n",
        to);
}

}  // namespace

int main(int argc, char** argv) {
    int outages = 102;
    unsigned seed = std::random_device{}();
    static const option kOptions[] = {{"outages", required_argument, nullptr, 'n'},
                                      {"seed", required_argument, nullptr, 's'},
                                      {"help", no_argument, nullptr, 'h'},
                                      {nullptr, 0, nullptr, 0}};
    for (int c; (c = getopt_long(argc, argv, "n:s:h", kOptions, nullptr)) != -1;) {
        if (c == 'n')
            outages = std::atoi(optarg);
        else if (c == 's')
            seed = static_cast<unsigned>(std::strtoul(optarg, nullptr, 10));
        else {
            Usage(c == 'h' ? stdout : stderr);
            return c == 'h' ? 0 : 64;
        }
    }

    std::string error;
    const auto catalog = platform::FindDataFile(platform::kResourceFileName);
    if (!catalog || !platform::ResourceLibrary().Load(*catalog, &error)) {
        std::fprintf(stderr, "kinetra-linkstorm: no resource library %s\n", error.c_str());
        return 2;
    }
    // The link's settings are read (and written back) from a store of its own.
    const auto config =
        std::filesystem::temp_directory_path() / ("kinetra-linkstorm-" + std::to_string(getpid()));
    platform::SetConfigDirectory(config);
    std::mutex messagesLock;
    std::vector<std::string> messages;
    platform::SetMessageSink([&](platform::MessageKind, std::string_view text) {
        std::lock_guard<std::mutex> hold(messagesLock);
        messages.emplace_back(text);
    });

    std::mt19937 random(seed);
    auto between = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    std::printf("seed %u, %d outages\n", seed, outages);

    std::unique_ptr<VirtualBox> box = VirtualBox::Start();
    if (!box || ControlBox_Open(box->DevicePath()) != kOpenOk) {
        std::fprintf(stderr, "kinetra-linkstorm: the simulated box does not open\n");
        return 2;
    }
    Notices notices;
    Wanted wanted;
    int failures = 0;
    long long slowest = 0;
    std::vector<long long> delays;
    if (!Eventually([&] { return Link().loggedOn.load() && Link().portOpen.load(); }, 10000)) {
        std::fprintf(stderr, "kinetra-linkstorm: no first logon\n");
        return 1;
    }

    for (int outage = 0; outage < outages; ++outage) {
        notices.Take();
        const int lostBefore = notices.lost;
        const int otherBefore = notices.other;
        wanted = {between(0, 1) == 1, between(1, 8), between(0, 1)};
        wanted.Set();
        std::this_thread::sleep_for(milliseconds(between(0, 700)));

        box->SetSilent(true);
        // The host notices by the stream's time-out and closes the port.
        const bool noticed = Eventually(
            [&] {
                notices.Take();
                return notices.lost > lostBefore && !Link().portOpen.load();
            },
            15000);
        // The program goes on while the cable is out.
        wanted = {between(0, 1) == 1, between(1, 8), between(0, 1)};
        wanted.Set();

        // The return: at a byte of the next logon, a moment after a logon
        // was sent, or between two logons.
        std::string how;
        Clock::time_point back;
        const int mode = outage % 3;
        const std::size_t seen = box->ReceivedBytes().size();
        bool returned = true;
        if (mode == 0) {
            const int byte = 1 + (outage / 3) % kLogonBytes;
            how = "at byte " + std::to_string(byte) + " of a logon";
            box->ReplugAfter(static_cast<std::size_t>(byte));
            returned = Eventually([&] { return !box->CurrentStatus().silent; }, 10000);
            const auto log = box->ReceivedLog(seen);
            back = log.size() >= static_cast<std::size_t>(byte) ? log[byte - 1].at : Clock::now();
        } else if (mode == 1) {
            const int wait = between(0, 100);
            how = std::to_string(wait) + " ms after a logon";
            const int logons = CountLogons(box->ReceivedBytes());
            returned =
                Eventually([&] { return CountLogons(box->ReceivedBytes()) > logons; }, 10000);
            std::this_thread::sleep_for(milliseconds(wait));
            box->SetSilent(false);
            back = Clock::now();
        } else {
            const int wait = between(0, kReconnectMilliseconds);
            how = std::to_string(wait) + " ms after the loss";
            std::this_thread::sleep_for(milliseconds(wait));
            box->SetSilent(false);
            back = Clock::now();
        }

        // Working: logged on, a reading that changed at the return reaches
        // the ring, and the box has the outputs the program set.
        const int reading = between(100, 900);
        box->SetReading(2, reading);
        const bool working = Eventually(
            [&] {
                return Link().loggedOn.load() && Link().portOpen.load() && Reading(2) == reading &&
                       wanted.At(*box);
            },
            20000);
        const long long delay = Since(back);
        notices.Take();
        const int lost = notices.lost - lostBefore;
        const int other = notices.other - otherBefore;
        std::vector<std::string> shown;
        {
            std::lock_guard<std::mutex> hold(messagesLock);
            shown.swap(messages);
        }
        const bool ok = noticed && returned && working && lost == 1 && other == 0 &&
                        shown.empty() && delay <= kReconnectMilliseconds + kSlackMilliseconds;
        if (!ok) ++failures;
        if (working) {
            delays.push_back(delay);
            slowest = std::max(slowest, delay);
        }
        std::printf("%3d %-26s back to working in %5lld ms, messages %d%s%s\n", outage + 1,
                    how.c_str(), delay, lost + other, ok ? "" : "  FAILED",
                    shown.empty() ? "" : ("  shown: " + shown.front()).c_str());
        std::fflush(stdout);
    }

    std::sort(delays.begin(), delays.end());
    const long long median = delays.empty() ? 0 : delays[delays.size() / 2];
    std::printf("%d outages, %d failed; back to working: median %lld ms, slowest %lld ms\n",
                outages, failures, median, slowest);
    ControlBox_Close();
    box.reset();
    platform::SetMessageSink({});
    std::error_code ignored;
    std::filesystem::remove_all(config, ignored);
    return failures == 0 ? 0 : 1;
}
