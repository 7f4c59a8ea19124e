#include "box/InputStream.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "LogoCore/MainThreadCall.h"
#include "box/LinkState.h"
#include "box/SampleRing.h"
#include "box/TimedOutputs.h"
#include "platform/Priority.h"
#include "platform/SerialPort.h"
#include "platform/ThreadQueue.h"

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

// Where each input's word sits in a frame, by input index.
constexpr int kWordOffset[kBoxInputs] = {14, 10, 6, 2, 16, 12, 8, 4};

constexpr uint8_t kNotReadyBit = 0x10;
constexpr uint8_t kFrameSum = 0xFF;

// The frame read waits as long between bytes as in all (2000 ms): a frame
// is then only ever cut short when the box has stopped sending for the
// whole time-out, never by a pause inside it (a USB adapter or a busy
// machine may deliver a frame in bursts).
constexpr int kFrameReadMilliseconds = 2000;
// One byte of the resynchronisation: 100 ms per byte and 100 ms besides.
constexpr int kByteReadMilliseconds = 200;
constexpr int kResyncAttempts = 8;

constexpr int kMissedCheckMilliseconds = 40;
constexpr int kFrameMilliseconds = 20;
constexpr int32_t kNormalPriority = 0;

uint8_t Sum(const uint8_t* frame) {
    unsigned sum = 0;
    for (int i = 0; i < kFrameBytes; ++i) sum += frame[i];
    return static_cast<uint8_t>(sum);
}

bool ReadFrame(platform::SerialPort& port, uint8_t* frame) {
    return port.Read(frame, kFrameBytes, kFrameReadMilliseconds, kFrameReadMilliseconds) ==
           kFrameBytes;
}

// Notes the gap between two stamped slots as missed frames.
void NoteMissedFrames(SampleRing& ring, uint32_t stamp, uint32_t previousStamp) {
    const uint32_t gap = stamp - previousStamp;
    if (gap <= kMissedCheckMilliseconds) return;
    const int32_t missed = static_cast<int32_t>(gap / kFrameMilliseconds) - 1;
    int32_t noted = ring.missedFrames.load(kRelaxed);
    // The monitor takes the count meanwhile; keep the larger without losing
    // its reset.
    while (missed > noted && !ring.missedFrames.compare_exchange_weak(noted, missed)) {
    }
}

}  // namespace

bool ControlBox_DecodeFrame(const uint8_t* frame) {
    return ControlBox_DecodeFrameAt(frame, BoxMilliseconds());
}

bool ControlBox_DecodeFrameAt(const uint8_t* frame, uint32_t stamp) {
    if (Sum(frame) != kFrameSum) {
        PostErrorText("Check sum error");
        return false;
    }
    SampleRing& ring = TheSampleRing();
    const uint32_t w = ring.writeIndex.load(kRelaxed) % kSampleSlots;
    const uint32_t p = (w + kSampleSlots - 1) % kSampleSlots;
    SampleSlot& slot = ring.slots[w];
    const SampleSlot& previous = ring.slots[p];

    uint8_t digitalMask = 0;
    uint8_t changedMask = 0;
    for (int i = 0; i < kBoxInputs; ++i) {
        const unsigned word = (frame[kWordOffset[i]] << 8) | frame[kWordOffset[i] + 1];
        int32_t raw = static_cast<int32_t>(word >> 6);
        const int32_t edges = static_cast<int32_t>((word >> 4) & 3);
        const bool digital = (word & 0x08) != 0;
        const int32_t counter = previous.counter[i].load(kRelaxed) + edges;
        slot.counter[i].store(counter, kRelaxed);
        slot.digital[i].store(digital ? 1 : 0, kRelaxed);
        if (i < kFirstRotationInput) {
            if (digital) digitalMask |= static_cast<uint8_t>(1u << i);
            if (edges != 0) changedMask |= static_cast<uint8_t>(1u << i);
        } else {
            int32_t step = 0;
            switch (word & 3) {
                case 1:
                    step = 1;
                    break;
                case 2:
                    // A larger step carries its size in the reading's low
                    // four bits.
                    step = (raw & 0xF) + 2;
                    raw &= 0x3F0;
                    break;
                default:
                    break;
            }
            if ((word & 0x04) == 0) step = -step;
            const int r = i - kFirstRotationInput;
            slot.rotation[r].store(previous.rotation[r].load(kRelaxed) + step, kRelaxed);
        }
        slot.raw[i].store(raw, kRelaxed);
    }

    slot.stamp.store(stamp, kRelaxed);
    // Slots 0 and 1 have no trustworthy predecessor after the open's reset.
    if (w > 1) NoteMissedFrames(ring, stamp, previous.stamp.load(kRelaxed));
    Link().notReady.store((frame[0] & kNotReadyBit) != 0);
    const uint32_t filled = ring.filled.load(kRelaxed);
    if (filled < kSampleSlots) ring.filled.store(filled + 1, std::memory_order_release);
    ring.writeIndex.store((w + 1) % kSampleSlots, std::memory_order_release);
    ring.hasFrame.store(true, std::memory_order_release);
    // After the slot is published: a task that a timed output's end
    // releases reads the readings that ended it, not those before.
    ControlBox_CheckTimedOutputs(w);

    if (changedMask != 0)
        platform::PostThreadMessage(Link().mainThread.load(),
                                    {kInputEvents, digitalMask, changedMask});
    return true;
}

bool ControlBox_ValidFrame(const uint8_t* frame) {
    const uint8_t header = frame[0];
    if ((header & 0xE0) != 0x80 && (header & 0x0F) != 0) return false;
    if (frame[1] != 0) return false;
    for (int low : {3, 7, 11, 15})
        if ((frame[low] & 3) != 0) return false;
    return Sum(frame) == kFrameSum;
}

std::string CommsErrorText(uint32_t errorBits) {
    if (errorBits & platform::kLineReceiveOverrun)
        return "Comms Error: receive character-buffer overrun";
    if (errorBits & platform::kLineOverrun)
        return "Comms Error: (CE_OVERRUN) A character-buffer overrun has occurred.  The next "
               "character is lost.";
    if (errorBits & platform::kLineFraming) return "Comms Error: Framing Error";
    char text[40];
    std::snprintf(text, sizeof text, "Comms error 0x%X", static_cast<unsigned>(errorBits));
    return text;
}

bool ControlBox_Resync(uint8_t* frame, uint32_t errorBits) {
    platform::SerialPort* port = Link().port.get();
    if (!port) return false;
    for (int attempt = 0; attempt < kResyncAttempts; ++attempt) {
        if (!ReadFrame(*port, frame)) return false;
        if (port->TakeLineErrors() != 0) continue;
        for (int slide = 0; slide < kFrameBytes; ++slide) {
            if (ControlBox_ValidFrame(frame)) {
                SampleRing& ring = TheSampleRing();
                ring.resyncMark.store(true);
                ring.resyncCount.fetch_add(1);
                return true;
            }
            std::memmove(frame, frame + 1, kFrameBytes - 1);
            if (port->Read(frame + kFrameBytes - 1, 1, kByteReadMilliseconds,
                           kByteReadMilliseconds) != 1)
                return false;
            if (port->TakeLineErrors() != 0) break;
        }
    }
    platform::SetThreadPriority(kNormalPriority);
    PostErrorText(CommsErrorText(errorBits));
    return false;
}

void RunFrameLoop() {
    LinkState& link = Link();
    // Only the link replaces the port, and never while this loop runs.
    platform::SerialPort* port = link.port.get();
    if (!port) return;
    uint8_t frame[kFrameBytes];
    for (;;) {
        if (!ReadFrame(*port, frame)) return;
        const uint32_t errors = port->TakeLineErrors();
        if (errors != 0 && !ControlBox_Resync(frame, errors)) return;
        if (!ControlBox_DecodeFrame(frame)) return;
        link.frameEvent.Pulse();
    }
}
