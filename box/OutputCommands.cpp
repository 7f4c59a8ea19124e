#include "box/OutputCommands.h"

#include <array>
#include <atomic>
#include <mutex>
#include <string>

#include "box/LinkState.h"
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

constexpr int kFullPower = 8;

// What the host last told each output; single-word stores, no lock.
std::array<std::atomic<int32_t>, kBoxOutputs> gState{};
std::array<std::atomic<int32_t>, kBoxOutputs> gPower{
    kFullPower, kFullPower, kFullPower, kFullPower, kFullPower, kFullPower, kFullPower, kFullPower};

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

// The memory of ControlBox_SetPower for output index n, once the level's
// own command has gone.
void AfterPowerSet(int n, int level) {
    const int32_t state = gState[n].load();
    if (level == 0) {
        if (state != kOutputOff) gState[n].store(kOutputPowerZero);
    } else if (gPower[n].load() == 0 && state != kOutputOff) {
        // Power 0 stopped the output without switching it off: switch it on.
        ControlBox_SendCommand(static_cast<uint8_t>(kOnOne + n));
        gState[n].store(kOutputOn);
    }
    gPower[n].store(level);
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

void ControlBox_BadOutputId(int id) {
    platform::ShowMessage(platform::MessageKind::Error,
                          "Bad output ID (" + std::to_string(id) + ")");
    platform::ExitProcess(1);
}

bool ControlBox_SetOutputState(int id, bool on) {
    if (!ValidId(id)) ControlBox_BadOutputId(id);
    const int n = id - 1;
    const int32_t wanted = on ? kOutputOn : kOutputOff;
    if (gState[n].load() == wanted) return false;
    ControlBox_SendCommand(static_cast<uint8_t>((on ? kOnOne : kOffOne) + n));
    gState[n].store(wanted);
    return true;
}

void ControlBox_OutputsOnOff(uint8_t mask, bool on) {
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
    ControlBox_SendCommand(static_cast<uint8_t>((direction ? kDirection1One : kDirection0One) + n));
    gState[n].store(kOutputUnknown);
}

void ControlBox_SetDirectionMask(uint8_t mask, int direction) {
    ControlBox_SendPair(direction ? kDirection1Mask : kDirection0Mask, mask);
    ForgetStates();
}

void ControlBox_OutputReverse(int id) {
    if (!ValidId(id)) ControlBox_BadOutputId(id);
    const int n = id - 1;
    ControlBox_SendCommand(static_cast<uint8_t>(kReverseOne + n));
    gState[n].store(kOutputUnknown);
}

void ControlBox_ReverseMask(uint8_t mask) {
    ControlBox_SendPair(kReverseMask, mask);
    ForgetStates();
}

void ControlBox_SetPower(int id, int level) {
    if (!ValidId(id) || level < 0 || level > kFullPower) return;
    const int n = id - 1;
    if (level == 0)
        ControlBox_SendCommand(static_cast<uint8_t>(kPowerZeroOne + n));
    else
        ControlBox_SendPair(static_cast<uint8_t>(kPowerLevelMask + level - 1), Bit(n));
    AfterPowerSet(n, level);
}

void ControlBox_SetPowerMask(uint8_t mask, int level) {
    if (level < 0 || level > kFullPower) return;
    ControlBox_SendPair(
        level == 0 ? kPowerZeroMask : static_cast<uint8_t>(kPowerLevelMask + level - 1), mask);
    for (int n = 0; n < kBoxOutputs; ++n)
        if (mask & Bit(n)) AfterPowerSet(n, level);
}

int ControlBox_GetPower(int id) {
    return ValidId(id) ? gPower[id - 1].load() : 0;
}

void ControlBox_SetPulse(int id, int a, int b) {
    if (!ValidId(id)) ControlBox_BadOutputId(id);
    const int n = id - 1;
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
    if (inputIndex < 0 || inputIndex > 7 || v < 0 || v > 15) return;
    ControlBox_SendPair(static_cast<uint8_t>(kInputSetting + v), Bit(inputIndex));
}

int32_t ControlBox_OutputState(int id) {
    return ValidId(id) ? gState[id - 1].load() : kOutputUnknown;
}

void ResetOutputs() {
    ForgetStates();
    for (auto& power : gPower) power.store(kFullPower);
    ResetTimedOutputs();
}
