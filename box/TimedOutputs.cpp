#include "box/TimedOutputs.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <limits>

#include "box/LinkState.h"
#include "box/OutputCommands.h"
#include "box/SampleRing.h"

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;
constexpr int kFirstRotationSource = 4;
constexpr int kLastRotationSource = 7;
// How long a waiter sleeps before it looks at the port again. Wake-ups are
// never lost (the event's generation is taken before the flags are
// tested); this only bounds how late a closed port is noticed when no
// pulse comes.
constexpr int kWaitRoundMilliseconds = 100;

std::array<std::atomic<uint8_t>, kWaitSources> gWaitSource{kWaitByTime, kWaitByTime, kWaitByTime,
                                                           kWaitByTime, kWaitByTime, kWaitByTime,
                                                           kWaitByTime, kWaitByTime, kWaitByTime};
// The flag is published with release after the deadline or bounds are
// written, so that the check never sees a running output with stale ends.
std::array<std::atomic<int32_t>, kBoxOutputs> gActive{};
std::array<std::atomic<uint32_t>, kBoxOutputs> gDeadline{};
std::array<std::atomic<int32_t>, kBoxOutputs> gLower{};
std::array<std::atomic<int32_t>, kBoxOutputs> gUpper{};

bool ByRotation(uint8_t source) {
    return source >= kFirstRotationSource && source <= kLastRotationSource;
}

int32_t Clamped(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Marks output index n running, ending after the amount.
void Start(int n, int32_t amount) {
    const uint8_t source = gWaitSource[n].load();
    if (ByRotation(source)) {
        const int64_t now = ControlBox_Rotation(source, 0);
        gLower[n].store(Clamped(now - amount), kRelaxed);
        gUpper[n].store(Clamped(now + amount), kRelaxed);
    } else {
        // The amount is in tenths of a second. Deadlines are compared with
        // wrap-around, so no wait may reach half the clock's range (24 days):
        // a longer one is cut there rather than wrapping into the past.
        constexpr int64_t kLongestWait = std::numeric_limits<int32_t>::max();
        const int64_t wait = std::min<int64_t>(static_cast<int64_t>(amount) * 100, kLongestWait);
        gDeadline[n].store(BoxMilliseconds() + static_cast<uint32_t>(wait), kRelaxed);
    }
    gActive[n].store(1, std::memory_order_release);
}

bool AnyActive(uint8_t mask) {
    for (int n = 0; n < kBoxOutputs; ++n)
        if ((mask & (1u << n)) && gActive[n].load(std::memory_order_acquire)) return true;
    return false;
}

bool Due(int n, const SampleSlot& slot) {
    const uint8_t source = gWaitSource[n].load(kRelaxed);
    if (ByRotation(source)) {
        const int32_t count = slot.rotation[source - kFirstRotationInput].load(kRelaxed);
        return count <= gLower[n].load(kRelaxed) || count >= gUpper[n].load(kRelaxed);
    }
    // As a difference, so that the clock's wrap-around every 49.7 days does
    // not end a wait early.
    const uint32_t stamp = slot.stamp.load(kRelaxed);
    return static_cast<int32_t>(stamp - gDeadline[n].load(kRelaxed)) >= 0;
}

}  // namespace

void ControlBox_SetWaitSource(int outputIndex, uint8_t source) {
    if (outputIndex >= 0 && outputIndex < kWaitSources) gWaitSource[outputIndex].store(source);
}

uint8_t ControlBox_GetWaitSource(int outputIndex) {
    if (outputIndex < 0 || outputIndex >= kWaitSources) return kWaitByTime;
    return gWaitSource[outputIndex].load();
}

void ControlBox_OnFor(uint8_t mask, int32_t amount, const StopCheck& stop) {
    for (int n = 0; n < kBoxOutputs; ++n)
        if (mask & (1u << n)) Start(n, amount);
    ControlBox_OutputsOnOff(mask, true);
    ControlBox_WaitOutputs(mask, stop);
}

void ControlBox_OnForOne(int id, int32_t amount, const StopCheck& stop) {
    if (id < 1 || id > kBoxOutputs) ControlBox_BadOutputId(id);
    Start(id - 1, amount);
    ControlBox_SetOutputState(id, true);
    ControlBox_WaitOutputs(static_cast<uint8_t>(1u << (id - 1)), stop);
}

void ControlBox_WaitOutputs(uint8_t mask, const StopCheck& stop) {
    LinkState& link = Link();
    for (;;) {
        const uint64_t seen = link.outputWaitEvent.Generation();
        if (!AnyActive(mask)) return;
        if (!link.portOpen.load()) {
            // Nothing will end them any more (the close has already ended
            // those that ran before it); once the box is back they are off.
            uint8_t ended = 0;
            for (int n = 0; n < kBoxOutputs; ++n)
                if ((mask & (1u << n)) && gActive[n].exchange(0)) ended |= 1u << n;
            ControlBox_RememberOff(ended);
            return;
        }
        if (stop && stop()) return;
        if (link.eventsOpen.load())
            link.outputWaitEvent.WaitAfter(seen, kWaitRoundMilliseconds);
        else
            ControlBox_WaitFrame();
    }
}

bool ControlBox_TimedOutputActive(int outputIndex) {
    if (outputIndex < 0 || outputIndex >= kBoxOutputs) return false;
    return gActive[outputIndex].load(std::memory_order_acquire) != 0;
}

void ControlBox_CheckTimedOutputs(uint32_t slot) {
    const SampleSlot& sample = TheSampleRing().slots[slot % kSampleSlots];
    uint8_t done = 0;
    for (int n = 0; n < kBoxOutputs; ++n) {
        if (!gActive[n].load(std::memory_order_acquire) || !Due(n, sample)) continue;
        gActive[n].store(0);
        done |= static_cast<uint8_t>(1u << n);
    }
    if (done == 0) return;
    ControlBox_OutputsOnOff(done, false);
    Link().outputWaitEvent.Pulse();
}

void EndTimedOutputs() {
    uint8_t ended = 0;
    for (int n = 0; n < kBoxOutputs; ++n)
        if (gActive[n].exchange(0)) ended |= 1u << n;
    // Their off never reached the box: it goes with the next logon.
    ControlBox_RememberOff(ended);
    Link().outputWaitEvent.Pulse();
}

void ResetTimedOutputs() {
    for (auto& source : gWaitSource) source.store(kWaitByTime);
    for (auto& active : gActive) active.store(0);
}
