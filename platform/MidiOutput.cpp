#include "platform/MidiOutput.h"

#include <alsa/asoundlib.h>

#include <cctype>
#include <charconv>
#include <mutex>
#include <vector>

#include "platform/ConfigStore.h"

namespace platform {

namespace {

constexpr std::string_view kPortSetting = kMidiPortSetting;
constexpr std::string_view kThroughClient = "Midi Through";
constexpr int kSystemClient = 0;

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Only plain decimal digits: "+1" or " 1" are names, not numbers.
std::optional<int> DecimalNumber(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front()))) return {};
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) return {};
    return value;
}

bool CanPlayOn(const MidiPortInfo& port, int ownClient) {
    return port.writable && port.client != kSystemClient && port.client != ownClient;
}

bool NamedBy(const MidiPortInfo& port, std::string_view name) {
    const auto colon = name.rfind(':');
    if (colon != std::string_view::npos) {
        const std::optional<int> portNumber = DecimalNumber(Trim(name.substr(colon + 1)));
        const std::string_view client = Trim(name.substr(0, colon));
        if (portNumber && *portNumber == port.port) {
            const std::optional<int> clientNumber = DecimalNumber(client);
            if (clientNumber ? *clientNumber == port.client
                             : SameIgnoringCase(client, port.clientName))
                return true;
        }
    }
    if (const std::optional<int> clientNumber = DecimalNumber(name))
        return *clientNumber == port.client;
    return SameIgnoringCase(name, port.portName) || SameIgnoringCase(name, port.clientName);
}

// Lower is better. A synthesizer is heard at once; a hardware port most
// likely leads to an instrument; the pass-through port only forwards.
int Preference(const MidiPortInfo& port) {
    if (SameIgnoringCase(port.clientName, kThroughClient)) return 3;
    if (port.synthesizer) return 0;
    if (port.hardware) return 1;
    return 2;
}

class SequencerOutput final : public MidiDevice {
  public:
    SequencerOutput(snd_seq_t* seq, int port) : seq_(seq), port_(port) {}
    ~SequencerOutput() override { Close(); }
    SequencerOutput(const SequencerOutput&) = delete;
    SequencerOutput& operator=(const SequencerOutput&) = delete;

    bool ProgramChange(int channel, int program) override {
        snd_seq_event_t event = NewEvent();
        snd_seq_ev_set_pgmchange(&event, channel, program);
        return Send(event);
    }
    bool NoteOn(int channel, int pitch, int velocity) override {
        snd_seq_event_t event = NewEvent();
        snd_seq_ev_set_noteon(&event, channel, pitch, velocity);
        return Send(event);
    }
    bool NoteOff(int channel, int pitch, int velocity) override {
        snd_seq_event_t event = NewEvent();
        snd_seq_ev_set_noteoff(&event, channel, pitch, velocity);
        return Send(event);
    }
    bool Reset() override {
        const bool notesOff = Controller(MIDI_CTL_ALL_NOTES_OFF);
        const bool controllers = Controller(MIDI_CTL_RESET_CONTROLLERS);
        return notesOff && controllers;
    }
    bool Close() override {
        if (!seq_) return false;
        // Closing the client also ends its connection to the port.
        const int result = snd_seq_close(seq_);
        seq_ = nullptr;
        return result >= 0;
    }

  private:
    static snd_seq_event_t NewEvent() {
        snd_seq_event_t event;
        snd_seq_ev_clear(&event);
        return event;
    }
    bool Controller(unsigned int number) {
        snd_seq_event_t event = NewEvent();
        snd_seq_ev_set_controller(&event, 0, number, 0);
        return Send(event);
    }
    // Straight to the connected port, not through a queue: the caller times the note.
    bool Send(snd_seq_event_t& event) {
        if (!seq_) return false;
        snd_seq_ev_set_source(&event, port_);
        snd_seq_ev_set_subs(&event);
        snd_seq_ev_set_direct(&event);
        return snd_seq_event_output_direct(seq_, &event) >= 0;
    }

    snd_seq_t* seq_;
    int port_;
};

void Quiet(const char*, int, const char*, int, const char*, ...) {}

// The library writes its failures to standard error, a line for each failed
// open: a machine without a sequencer would print one for every note, and
// the note's own error already tells the user. No other part of the program
// uses the library, so its messages are silenced for the whole process.
void QuietLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(Quiet); });
}

std::vector<MidiPortInfo> ListPorts(snd_seq_t* seq) {
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    std::vector<MidiPortInfo> ports;
    if (snd_seq_client_info_malloc(&client) < 0) return ports;
    if (snd_seq_port_info_malloc(&port) < 0) {
        snd_seq_client_info_free(client);
        return ports;
    }
    constexpr unsigned int kTakesEvents = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
    constexpr unsigned int kMakesSound =
        SND_SEQ_PORT_TYPE_SYNTH | SND_SEQ_PORT_TYPE_SYNTHESIZER | SND_SEQ_PORT_TYPE_DIRECT_SAMPLE |
        SND_SEQ_PORT_TYPE_SAMPLE | SND_SEQ_PORT_TYPE_MIDI_GM | SND_SEQ_PORT_TYPE_MIDI_GS |
        SND_SEQ_PORT_TYPE_MIDI_XG | SND_SEQ_PORT_TYPE_MIDI_MT32 | SND_SEQ_PORT_TYPE_MIDI_GM2;
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq, client) >= 0) {
        const int clientId = snd_seq_client_info_get_client(client);
        snd_seq_port_info_set_client(port, clientId);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq, port) >= 0) {
            const unsigned int caps = snd_seq_port_info_get_capability(port);
            const unsigned int type = snd_seq_port_info_get_type(port);
            MidiPortInfo info;
            info.client = clientId;
            info.port = snd_seq_port_info_get_port(port);
            info.clientName = snd_seq_client_info_get_name(client);
            info.portName = snd_seq_port_info_get_name(port);
            info.writable =
                (caps & kTakesEvents) == kTakesEvents && !(caps & SND_SEQ_PORT_CAP_NO_EXPORT);
            info.synthesizer = (type & kMakesSound) != 0;
            info.hardware = (type & SND_SEQ_PORT_TYPE_HARDWARE) != 0;
            ports.push_back(std::move(info));
        }
    }
    snd_seq_port_info_free(port);
    snd_seq_client_info_free(client);
    return ports;
}

std::unique_ptr<MidiDevice> OpenSequencerOutput() {
    QuietLibrary();
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) return nullptr;
    snd_seq_set_client_name(seq, "Kinetra");
    const int ownPort =
        snd_seq_create_simple_port(seq, "Notes", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                   SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (ownPort >= 0) {
        std::string configured;
        ReadMachineText(kPortSetting, "", &configured);
        const std::vector<MidiPortInfo> ports = ListPorts(seq);
        const std::optional<std::size_t> chosen =
            ChooseMidiPort(ports, snd_seq_client_id(seq), configured);
        if (chosen &&
            snd_seq_connect_to(seq, ownPort, ports[*chosen].client, ports[*chosen].port) >= 0)
            return std::make_unique<SequencerOutput>(seq, ownPort);
    }
    snd_seq_close(seq);
    return nullptr;
}

std::mutex& FactoryLock() {
    static std::mutex lock;
    return lock;
}

MidiOutputFactory& InstalledFactory() {
    static MidiOutputFactory factory;
    return factory;
}

}  // namespace

std::optional<std::size_t> ChooseMidiPort(std::span<const MidiPortInfo> ports, int ownClient,
                                          std::string_view configured) {
    const std::string_view name = Trim(configured);
    if (!name.empty()) {
        for (std::size_t i = 0; i < ports.size(); ++i)
            if (CanPlayOn(ports[i], ownClient) && NamedBy(ports[i], name)) return i;
    }
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        if (!CanPlayOn(ports[i], ownClient)) continue;
        if (!best || Preference(ports[i]) < Preference(ports[*best])) best = i;
    }
    return best;
}

std::vector<MidiPortInfo> ListMidiPorts() {
    QuietLibrary();
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) return {};
    std::vector<MidiPortInfo> ports = ListPorts(seq);
    const int own = snd_seq_client_id(seq);
    snd_seq_close(seq);
    std::erase_if(ports, [own](const MidiPortInfo& port) { return !CanPlayOn(port, own); });
    return ports;
}

std::unique_ptr<MidiDevice> OpenDefaultMidiOutput() {
    MidiOutputFactory factory;
    {
        std::lock_guard<std::mutex> guard(FactoryLock());
        factory = InstalledFactory();
    }
    return factory ? factory() : OpenSequencerOutput();
}

void SetMidiOutputFactory(MidiOutputFactory factory) {
    std::lock_guard<std::mutex> guard(FactoryLock());
    InstalledFactory() = std::move(factory);
}

}  // namespace platform
