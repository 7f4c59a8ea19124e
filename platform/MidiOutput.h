// MIDI notes: the computer's default MIDI output and the choice of it.
//
// The output is a port of the system's MIDI sequencer. Which one:
// 1. The port named by the machine-wide value "MIDI_Port", when it is there
//    and takes notes. The name is "client:port" in numbers ("128:0"), a
//    client number ("128"), a client's name ("Synth"; its first port
//    that takes notes), a port's name, or a client's name with a port
//    number ("Synth:0"), as the system's port listing shows them;
//    names ignore case. A name that matches no such port counts as no name.
// 2. Otherwise the first port that takes notes, synthesizers first, then
//    hardware ports, then the other programs' ports, and the "Midi Through"
//    port last: it plays nothing itself, so it is taken only when nothing
//    else is there. The system client (number 0) and our own are never
//    taken.
// Without a sequencer, or with no port to play on, there is no output.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// An open MIDI output. Each call returns false when it failed; after
// Close every call fails. Channels count from 0.
class MidiDevice {
  public:
    virtual ~MidiDevice() = default;
    virtual bool ProgramChange(int channel, int program) = 0;
    virtual bool NoteOn(int channel, int pitch, int velocity) = 0;
    virtual bool NoteOff(int channel, int pitch, int velocity) = 0;
    // All notes off and every controller back to its default, on channel 0.
    virtual bool Reset() = 0;
    virtual bool Close() = 0;
};

// The default output (see above), opened; null when there is none or it
// cannot be opened. Each call opens a device of its own.
std::unique_ptr<MidiDevice> OpenDefaultMidiOutput();

// Replaces what OpenDefaultMidiOutput does (tests); an empty function
// restores the sequencer.
using MidiOutputFactory = std::function<std::unique_ptr<MidiDevice>()>;
void SetMidiOutputFactory(MidiOutputFactory factory);

// A port of the sequencer as the choice above needs to know it.
struct MidiPortInfo {
    int client = 0;
    int port = 0;
    std::string clientName;
    std::string portName;
    bool writable = false;     // others may connect to it and send it events
    bool synthesizer = false;  // makes sound itself
    bool hardware = false;     // leads to a device outside the computer
};

// The choice described above among the ports in the sequencer's order:
// the index of the port to play on, or nothing.
std::optional<std::size_t> ChooseMidiPort(std::span<const MidiPortInfo> ports, int ownClient,
                                          std::string_view configured);

// The machine-wide value naming the port, as the preferences store it.
inline constexpr std::string_view kMidiPortSetting = "MIDI_Port";

// The sequencer's ports that another program can play on, for the user to
// choose from; empty without a sequencer.
std::vector<MidiPortInfo> ListMidiPorts();

}  // namespace platform
