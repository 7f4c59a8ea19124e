#include "box/OutputCommands.h"

#include <array>
#include <atomic>
#include <mutex>
#include <string>

#include "box/LinkState.h"
#include "box/SampleRing.h"
#include "box/TimedOutputs.h"
#include "platform/MessageBox.h"

namespace {

// Write time-out: 80 ms per byte and 80 ms besides.
constexpr int WriteTimeout(int bytes) {
    return 80 * bytes + 80;
}

constexpr uint8_t kReverseOne = 0x20;
constexpr uint8_t kOnOne = 0x28;
constexpr uint8_t kPowerZeroOne = 0x30;
constexpr uint8_t kOffOne = 0x38;
constexpr uint8_t kDirection1One = 0x40;
constexpr uint8_t kDirection0One = 0x48;
constexpr uint8_t kPulseStop = 0x80;
constexpr uint8_t kPulseStart = 0x81;
constexpr uint8_t kOffMask = 0x90;
constexpr uint8_t kOnMask = 0x91;
constexpr uint8_t kPowerZeroMask = 0x92;
constexpr uint8_t kDirection0Mask = 0x93;
constexpr uint8_t kDirection1Mask = 0x94;
constexpr uint8_t kReverseMask = 0x95;
constexpr uint8_t kPowerLevelMask = 0xB0;  // + level - 1
constexpr uint8_t kInputSetting = 0xD0;    // + v
constexpr uint8_t kPulseB = 0xE0;
constexpr uint8_t kPulseA = 0xE8;
constexpr uint8_t kLinkEnd = 0x70;

constexpr int kFullPower = 8;

constexpr int32_t kUnknown = -1;

// What the host last told each output; single-word stores, no lock.
std::array<std::atomic<int32_t>, kBoxOutputs> gState{};
std::array<std::atomic<int32_t>, kBoxOutputs> gPower{
    kFullPower, kFullPower, kFullPower, kFullPower, kFullPower, kFullPower, kFullPower, kFullPower};

// What the program last set, whether the box heard it or not (a command is
// dropped while the link is down): after every logon the box is brought to
// it. Each is recorded before its command goes, so that a command racing
// with that restore is either restored or sent after it. An output never
// switched on is off; other settings never made are left as the box has
// them (kUnknown).
struct Wanted {
    std::array<std::atomic<bool>, kBoxOutputs> on{};
    std::array<std::atomic<bool>, kBoxOutputs> powerSet{};  // the level is gPower's
    std::array<std::atomic<int32_t>, kBoxOutputs> direction{};
    std::array<std::atomic<int32_t>, kBoxOutputs> pulse{};  // 0 stopped, else a * 256 + b
    std::array<std::atomic<int32_t>, kBoxInputs> inputSetting{};

    Wanted() { Forget(); }
    void Forget() {
        for (int n = 0; n < kBoxOutputs; ++n) {
            on[n] = false;
            powerSet[n] = false;
            direction[n] = kUnknown;
            pulse[n] = kUnknown;
        }
        for (auto& setting : inputSetting) setting = kUnknown;
    }
};
Wanted gWanted;

bool ValidId(int id) {
    return id >= 1 && id <= kBoxOutputs;
}

bool Gate() {
    return Link().loggedOn.load() && Link().portOpen.load();
}

bool Write(const uint8_t* bytes, int n) {
    LinkState& link = Link();
    {
        std::lock_guard<std::recursive_mutex> hold(link.linkLock);
        // The port goes only under this lock: a command racing with the
        // close is lost without a message.
        if (!link.port) return false;
        if (link.port->Write(bytes, n, WriteTimeout(n))) return true;
    }
    // Told outside the lock: a message the user must answer would hold up
    // every other sender.
    platform::ShowMessage(platform::MessageKind::Information,
                          "Can't send output command to the box!");
    return false;
}

void ForgetStates() {
    for (auto& state : gState) state.store(kOutputUnknown);
}

uint8_t Bit(int index) {
    return static_cast<uint8_t>(1u << index);
}

template <class Act>
void ForEachIn(uint8_t mask, Act act) {
    for (int n = 0; n < kBoxOutputs; ++n)
        if (mask & Bit(n)) act(n);
}

void WantOn(uint8_t mask, bool on) {
    ForEachIn(mask, [&](int n) { gWanted.on[n] = on; });
}

// A reverse of a direction never set turns the box's own, which starts
// at 1.
void WantReversed(int n) {
    gWanted.direction[n] = gWanted.direction[n].load() == 0 ? 1 : 0;
}

// The level becomes the output's; the level before it is returned.
int32_t WantPower(int n, int level) {
    gWanted.powerSet[n] = true;
    return gPower[n].exchange(level);
}

// The memory of ControlBox_SetPower for output index n, once the level's
// own command has gone.
void AfterPowerSet(int n, int level, int32_t previous) {
    const int32_t state = gState[n].load();
    if (level == 0) {
        if (state != kOutputOff) gState[n].store(kOutputPowerZero);
    } else if (previous == 0 && state != kOutputOff) {
        // Power 0 stopped the output without switching it off: switch it on.
        gWanted.on[n] = true;
        ControlBox_SendCommand(static_cast<uint8_t>(kOnOne + n));
        gState[n].store(kOutputOn);
    }
}

void SendMaskCommand(uint8_t command, uint8_t mask) {
    if (mask != 0) ControlBox_SendPair(command, mask);
}

}  // namespace

bool ControlBox_SendByte(uint8_t byte) {
    return Write(&byte, 1);
}

bool ControlBox_SendCommand(uint8_t byte) {
    if (!Gate()) return false;
    return ControlBox_SendByte(byte);
}

bool ControlBox_SendPair(uint8_t command, uint8_t argument) {
    if (!Gate()) return false;
    const uint8_t bytes[2] = {command, argument};
    return Write(bytes, 2);
}

void ControlBox_SendLinkEnd() {
    if (!Gate()) return;
    LinkState& link = Link();
    std::lock_guard<std::recursive_mutex> hold(link.linkLock);
    if (link.port) link.port->Write(&kLinkEnd, 1, WriteTimeout(1));
}

void ControlBox_BadOutputId(int id) {
    platform::ShowMessage(platform::MessageKind::Error,
                          "Bad output ID (" + std::to_string(id) + ")");
    platform::ExitProcess(1);
}

bool ControlBox_SetOutputState(int id, bool on) {
    if (!ValidId(id)) ControlBox_BadOutputId(id);
    const int n = id - 1;
    const int32_t wanted = on ? kOutputOn : kOutputOff;
    gWanted.on[n] = on;
    if (gState[n].load() == wanted) return false;
    ControlBox_SendCommand(static_cast<uint8_t>((on ? kOnOne : kOffOne) + n));
    gState[n].store(wanted);
    return true;
}

void ControlBox_OutputsOnOff(uint8_t mask, bool on) {
    WantOn(mask, on);
    ControlBox_SendPair(on ? kOnMask : kOffMask, mask);
    ForgetStates();
}

void ControlBox_AllOff() {
    ControlBox_OutputsOnOff(0xFF, false);
    // A timed output still running would switch its output off again when
    // it ends, perhaps after the program has switched it on anew.
    EndTimedOutputs();
}

void ControlBox_AllOn() {
    ControlBox_OutputsOnOff(0xFF, true);
}

void ControlBox_SetDirection(int id, int direction) {
    if (!ValidId(id)) return;
    const int n = id - 1;
    gWanted.direction[n] = direction ? 1 : 0;
    ControlBox_SendCommand(static_cast<uint8_t>((direction ? kDirection1One : kDirection0One) + n));
    gState[n].store(kOutputUnknown);
}

void ControlBox_SetDirectionMask(uint8_t mask, int direction) {
    ForEachIn(mask, [&](int n) { gWanted.direction[n] = direction ? 1 : 0; });
    ControlBox_SendPair(direction ? kDirection1Mask : kDirection0Mask, mask);
    ForgetStates();
}

void ControlBox_OutputReverse(int id) {
    if (!ValidId(id)) ControlBox_BadOutputId(id);
    const int n = id - 1;
    WantReversed(n);
    ControlBox_SendCommand(static_cast<uint8_t>(kReverseOne + n));
    gState[n].store(kOutputUnknown);
}

void ControlBox_ReverseMask(uint8_t mask) {
    ForEachIn(mask, WantReversed);
    ControlBox_SendPair(kReverseMask, mask);
    ForgetStates();
}

void ControlBox_SetPower(int id, int level) {
    if (!ValidId(id) || level < 0 || level > kFullPower) return;
    const int n = id - 1;
    const int32_t previous = WantPower(n, level);
    if (level == 0)
        ControlBox_SendCommand(static_cast<uint8_t>(kPowerZeroOne + n));
    else
        ControlBox_SendPair(static_cast<uint8_t>(kPowerLevelMask + level - 1), Bit(n));
    AfterPowerSet(n, level, previous);
}

void ControlBox_SetPowerMask(uint8_t mask, int level) {
    if (level < 0 || level > kFullPower) return;
    std::array<int32_t, kBoxOutputs> previous{};
    ForEachIn(mask, [&](int n) { previous[n] = WantPower(n, level); });
    ControlBox_SendPair(
        level == 0 ? kPowerZeroMask : static_cast<uint8_t>(kPowerLevelMask + level - 1), mask);
    ForEachIn(mask, [&](int n) { AfterPowerSet(n, level, previous[n]); });
}

int ControlBox_GetPower(int id) {
    return ValidId(id) ? gPower[id - 1].load() : 0;
}

void ControlBox_SetPulse(int id, int a, int b) {
    if (!ValidId(id)) ControlBox_BadOutputId(id);
    const int n = id - 1;
    gWanted.pulse[n] = a == 0 || b == 0 ? 0 : a * 256 + b;
    if (a == 0 || b == 0) {
        ControlBox_SendPair(kPulseStop, Bit(n));
        ControlBox_SetOutputState(id, false);
        return;
    }
    ControlBox_SendPair(static_cast<uint8_t>(kPulseB + n), static_cast<uint8_t>(b));
    ControlBox_SendPair(static_cast<uint8_t>(kPulseA + n), static_cast<uint8_t>(a));
    ControlBox_SendPair(kPulseStart, Bit(n));
    ControlBox_SetOutputState(id, true);
}

void ControlBox_SetPulseMask(uint8_t mask, int a, int b) {
    for (int n = 0; n < kBoxOutputs; ++n)
        if (mask & Bit(n)) ControlBox_SetPulse(n + 1, a, b);
}

void ControlBox_SetInputSetting(int inputIndex, int v) {
    if (inputIndex < 0 || inputIndex >= kBoxInputs || v < 0 || v > 15) return;
    gWanted.inputSetting[inputIndex] = v;
    ControlBox_SendPair(static_cast<uint8_t>(kInputSetting + v), Bit(inputIndex));
}

int32_t ControlBox_OutputState(int id) {
    return ValidId(id) ? gState[id - 1].load() : kOutputUnknown;
}

void ResetOutputs() {
    ForgetStates();
    for (auto& power : gPower) power.store(kFullPower);
    gWanted.Forget();
    ResetTimedOutputs();
}

void ControlBox_RememberOff(uint8_t mask) {
    WantOn(mask, false);
}

void ControlBox_RestoreOutputs() {
    uint8_t on = 0;
    ForEachIn(0xFF, [&](int n) {
        if (gWanted.on[n].load()) on |= Bit(n);
    });
    // What must stop stops first; what runs runs last, at its power and in
    // its direction.
    SendMaskCommand(kOffMask, static_cast<uint8_t>(~on));
    for (int level = 0; level <= kFullPower; ++level) {
        uint8_t mask = 0;
        ForEachIn(0xFF, [&](int n) {
            if (gWanted.powerSet[n].load() && gPower[n].load() == level) mask |= Bit(n);
        });
        SendMaskCommand(
            level == 0 ? kPowerZeroMask : static_cast<uint8_t>(kPowerLevelMask + level - 1), mask);
    }
    for (int direction : {0, 1}) {
        uint8_t mask = 0;
        ForEachIn(0xFF, [&](int n) {
            if (gWanted.direction[n].load() == direction) mask |= Bit(n);
        });
        SendMaskCommand(direction ? kDirection1Mask : kDirection0Mask, mask);
    }
    uint8_t pulseStopped = 0;
    uint8_t pulsing = 0;
    ForEachIn(0xFF, [&](int n) {
        const int32_t pulse = gWanted.pulse[n].load();
        if (pulse == 0) pulseStopped |= Bit(n);
        if (pulse <= 0) return;
        pulsing |= Bit(n);
        ControlBox_SendPair(static_cast<uint8_t>(kPulseB + n), static_cast<uint8_t>(pulse & 0xFF));
        ControlBox_SendPair(static_cast<uint8_t>(kPulseA + n), static_cast<uint8_t>(pulse >> 8));
    });
    SendMaskCommand(kPulseStop, pulseStopped);
    SendMaskCommand(kPulseStart, pulsing);
    for (int i = 0; i < kBoxInputs; ++i) {
        const int32_t setting = gWanted.inputSetting[i].load();
        if (setting != kUnknown)
            ControlBox_SendPair(static_cast<uint8_t>(kInputSetting + setting), Bit(i));
    }
    SendMaskCommand(kOnMask, on);
    ForEachIn(0xFF, [&](int n) {
        const bool powerless = gWanted.powerSet[n].load() && gPower[n].load() == 0;
        gState[n] = !(on & Bit(n)) ? kOutputOff : powerless ? kOutputPowerZero : kOutputOn;
    });
}
