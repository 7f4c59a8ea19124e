#include "box/SampleRing.h"

#include <chrono>
#include <optional>

#include "box/LinkState.h"
#include "box/Logon.h"
#include "box/Thermistor.h"
#include "platform/Clock.h"
#include "platform/Threads.h"

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;
constexpr int kFrameWaitMilliseconds = 19;
// A few frame times: the box's first frame follows its reply to the logon
// by one.
constexpr std::chrono::milliseconds kFirstFrameWait{100};

bool PortOpen() {
    return Link().portOpen.load();
}

// Zeros from a ring no frame has reached yet would read as a closed
// switch and a full light: the reader waits for the first frame instead,
// while the port is open, and no longer than the logon and a few frames
// after it.
void AwaitFirstFrame() {
    using Clock = std::chrono::steady_clock;
    const SampleRing& ring = TheSampleRing();
    if (ring.hasFrame.load(std::memory_order_acquire)) return;
    LinkState& link = Link();
    const Clock::time_point start = Clock::now();
    const Clock::time_point giveUp =
        start + std::chrono::milliseconds(kLongestLogonMilliseconds) + kFirstFrameWait;
    std::optional<Clock::time_point> loggedOnAt;
    while (link.portOpen.load() && !ring.hasFrame.load(std::memory_order_acquire)) {
        const Clock::time_point now = Clock::now();
        if (link.loggedOn.load() && !loggedOnAt) loggedOnAt = now;
        if (now >= (loggedOnAt ? *loggedOnAt + kFirstFrameWait : giveUp)) return;
        link.frameEvent.Wait(kFrameWaitMilliseconds);
    }
}

uint32_t Before(uint32_t slot) {
    return (slot + kSampleSlots - 1) % kSampleSlots;
}

// The raw reading the converting readers start from: 0 when the port is
// closed.
int32_t RawReading(int input, uint32_t time) {
    AwaitFirstFrame();
    if (!PortOpen()) return 0;
    const SampleSlot& slot = TheSampleRing().slots[ControlBox_SampleIndexAt(time)];
    return slot.raw[input].load(kRelaxed);
}

}  // namespace

SampleRing& TheSampleRing() {
    // Never destroyed: a link thread may still read it while the process
    // exits.
    static SampleRing* ring = new SampleRing;
    return *ring;
}

void ResetSampleRing() {
    SampleRing& ring = TheSampleRing();
    for (SampleSlot& slot : ring.slots) {
        for (int i = 0; i < kBoxInputs; ++i) {
            slot.raw[i].store(0, kRelaxed);
            slot.counter[i].store(0, kRelaxed);
            slot.digital[i].store(0, kRelaxed);
        }
        for (auto& rotation : slot.rotation) rotation.store(0, kRelaxed);
    }
    ring.filled.store(0, std::memory_order_release);
    ring.writeIndex.store(1, std::memory_order_release);
    ring.hasFrame.store(false, std::memory_order_release);
}

uint32_t BoxMilliseconds() {
    return static_cast<uint32_t>(platform::Milliseconds());
}

uint32_t ControlBox_SampleIndexAt(uint32_t time) {
    const SampleRing& ring = TheSampleRing();
    // Counted before the newest is taken, so that every slot walked holds a
    // frame: an empty slot would read as zeros (a pressed switch, full
    // light) for a time before the first frame, such as a graph's first due
    // time.
    const uint32_t filled = ring.filled.load(std::memory_order_acquire);
    const uint32_t newest = ring.Newest();
    if (time == 0) return newest;
    uint32_t slot = newest;
    for (uint32_t walked = 1; walked < filled && walked < kSampleSlots; ++walked) {
        slot = Before(slot);
        if (ring.slots[slot].stamp.load(kRelaxed) <= time) return slot;
    }
    return newest;
}

int32_t ControlBox_Input(int input, uint32_t time, int32_t* value, int32_t* counter,
                         int32_t* rotation, int32_t* flag) {
    if (input < 0 || input >= kBoxInputs) return kInputNoSuchInput;
    const bool hasRotation = input >= kFirstRotationInput;
    AwaitFirstFrame();
    if (!PortOpen()) {
        if (value) *value = 0;
        if (counter) *counter = 0;
        if (flag) *flag = 1;
        if (!rotation) return kInputOk;
        if (!hasRotation) return kInputNoRotation;
        *rotation = 0;
        return kInputOk;
    }
    const SampleSlot& slot = TheSampleRing().slots[ControlBox_SampleIndexAt(time)];
    if (value) *value = slot.raw[input].load(kRelaxed);
    if (counter) *counter = slot.counter[input].load(kRelaxed);
    if (flag) *flag = slot.digital[input].load(kRelaxed) == 0 ? 1 : 0;
    if (!rotation) return kInputOk;
    if (!hasRotation) return kInputNoRotation;
    *rotation = slot.rotation[input - kFirstRotationInput].load(kRelaxed);
    return kInputOk;
}

int32_t ControlBox_Rotation(int input, uint32_t time) {
    if (input < kFirstRotationInput || input >= kBoxInputs) return 0;
    AwaitFirstFrame();
    if (!PortOpen()) return 0;
    const SampleSlot& slot = TheSampleRing().slots[ControlBox_SampleIndexAt(time)];
    return slot.rotation[input - kFirstRotationInput].load(kRelaxed);
}

double ControlBox_LightPercent(int input, uint32_t time) {
    if (input < 0 || input >= kBoxInputs) return 0.0;
    const int32_t raw = RawReading(input, time);
    // Below 387 the sensor is saturated: full light.
    if (raw < 387) return 100.0;
    if (raw >= 1023) return 0.0;
    return ((10000 * (1023 - raw)) / 636) / 100.0;
}

double ControlBox_TemperatureC(int input, uint32_t time) {
    if (input < 0 || input >= kBoxInputs) return 0.0;
    return ThermistorCelsius(RawReading(input, time));
}

void ControlBox_ResetCounter(int input) {
    if (input < 0 || input >= kBoxInputs || !PortOpen()) return;
    // Both the newest slot (which the next frame adds to) and the one being
    // written, in case the writer has already read the newest.
    SampleRing& ring = TheSampleRing();
    const uint32_t writing = ring.writeIndex.load(std::memory_order_acquire) % kSampleSlots;
    ring.slots[Before(writing)].counter[input].store(0, kRelaxed);
    ring.slots[writing].counter[input].store(0, kRelaxed);
}

void ControlBox_ResetRotation(int input) {
    if (input < kFirstRotationInput || input >= kBoxInputs || !PortOpen()) return;
    SampleRing& ring = TheSampleRing();
    const uint32_t writing = ring.writeIndex.load(std::memory_order_acquire) % kSampleSlots;
    const int index = input - kFirstRotationInput;
    ring.slots[Before(writing)].rotation[index].store(0, kRelaxed);
    ring.slots[writing].rotation[index].store(0, kRelaxed);
}

int32_t ControlBox_TakeMissedFrames() {
    return TheSampleRing().missedFrames.exchange(0);
}

bool ControlBox_TakeResyncMark() {
    return TheSampleRing().resyncMark.exchange(false);
}

int32_t ControlBox_TakeResyncCount() {
    return TheSampleRing().resyncCount.exchange(0);
}

int32_t ControlBox_SetDelayMonitor(int32_t threshold) {
    std::atomic<int32_t>& stored = TheSampleRing().delayMonitorThreshold;
    if (threshold >= 0) stored.store(threshold);
    return stored.load();
}

int32_t ControlBox_DelayMonitor() {
    return TheSampleRing().delayMonitorThreshold.load();
}

void ControlBox_WaitFrame() {
    if (PortOpen())
        Link().frameEvent.Wait(kFrameWaitMilliseconds);
    else
        platform::SleepMilliseconds(kFrameWaitMilliseconds);
}

bool ControlBox_IsNotReady() {
    return !PortOpen() || Link().notReady.load();
}
