// The default MIDI output: which port is chosen, and opening it where the
// machine has no sequencer.
#include "platform/MidiOutput.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "platform/ConfigStore.h"

namespace {

using platform::MidiPortInfo;

constexpr int kOwnClient = 130;
enum Kind { kOther, kSynth, kHardware, kSendsOnly };

MidiPortInfo Port(int client, int port, std::string clientName, std::string portName,
                  Kind kind = kOther) {
    return {client,
            port,
            std::move(clientName),
            std::move(portName),
            kind != kSendsOnly,
            kind == kSynth,
            kind == kHardware};
}

// A machine's ports: the system client, the pass-through port, a USB
// keyboard (its port 0 only sends), a synthesizer program and ourselves.
const std::vector<MidiPortInfo> kDesktop = {
    Port(0, 0, "System", "Timer"),
    Port(14, 0, "Midi Through", "Midi Through Port-0"),
    Port(20, 0, "USB Keyboard", "USB Keyboard MIDI 1", kSendsOnly),
    Port(20, 1, "USB Keyboard", "USB Keyboard MIDI 2", kHardware),
    Port(128, 0, "Soft Synth", "Synth input", kSynth),
    Port(kOwnClient, 0, "Kinetra", "Notes", kSynth)};

// The chosen port as "client:port", or "none".
std::string Chosen(const std::vector<MidiPortInfo>& ports, std::string_view configured = "") {
    const auto index = platform::ChooseMidiPort(ports, kOwnClient, configured);
    if (!index) return "none";
    return std::to_string(ports[*index].client) + ":" + std::to_string(ports[*index].port);
}

}  // namespace

TEST(MidiOutputTest, SynthesizersFirstThenHardwareProgramsThePassThroughNeverTheSystemOrUs) {
    EXPECT_EQ(Chosen(kDesktop), "128:0");
    EXPECT_EQ(Chosen({kDesktop.begin(), kDesktop.begin() + 4}), "20:1");
    EXPECT_EQ(Chosen({kDesktop[1], Port(129, 0, "Recorder", "in")}), "129:0");
    EXPECT_EQ(Chosen({kDesktop[0], kDesktop[1], kDesktop[5]}), "14:0");
    // The system, our own client and ports that only send are never chosen.
    EXPECT_EQ(Chosen({}), "none");
    EXPECT_EQ(Chosen({kDesktop[0], kDesktop[2], kDesktop[5]}), "none");
    EXPECT_EQ(Chosen({kDesktop[0]}, "0:0"), "none");
    EXPECT_EQ(Chosen(kDesktop, "130:0"), "128:0");
    EXPECT_EQ(Chosen(kDesktop, "20:0"), "128:0");
}

TEST(MidiOutputTest, AConfiguredPortIsFoundByNumbersOrWholeNamesElsePreferenceDecides) {
    EXPECT_EQ(Chosen(kDesktop, " 14 : 0 "), "14:0");
    EXPECT_EQ(Chosen(kDesktop, "20"), "20:1") << "the client's first port that takes notes";
    EXPECT_EQ(Chosen(kDesktop, "usb keyboard"), "20:1");
    EXPECT_EQ(Chosen(kDesktop, "Midi Through Port-0"), "14:0");
    EXPECT_EQ(Chosen(kDesktop, "USB Keyboard:1"), "20:1");
    for (const char* unknown : {"Other Synth", "14:3", "99", "USB", "  "})
        EXPECT_EQ(Chosen(kDesktop, unknown), "128:0") << unknown;
}

TEST(MidiOutputTest, WithoutASequencerThereIsNoOutput) {
    if (std::filesystem::exists("/dev/snd/seq")) GTEST_SKIP() << "this machine has a sequencer";
    const auto dir = std::filesystem::temp_directory_path() /
                     ("kinetra-midi-test-" + std::to_string(::getpid()));
    platform::SetConfigDirectory(dir);
    EXPECT_EQ(platform::OpenDefaultMidiOutput(), nullptr);
    EXPECT_EQ(platform::OpenDefaultMidiOutput(), nullptr) << "and again";
    platform::SetConfigDirectory({});
    std::filesystem::remove_all(dir);
}
