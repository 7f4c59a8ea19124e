// The ring of time-stamped input samples that the box's frame stream fills,
// and the readers every other part of the program takes inputs from.
//
// ReadThread is the only writer and takes no lock: it fills a slot, then
// publishes it by moving the write index on (release); readers load the
// index (acquire) and look only at slots behind it. Every field is an
// atomic word so that concurrent readers see whole values.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

inline constexpr int kSampleSlots = 1024;
inline constexpr int kBoxInputs = 8;
// Inputs 5-8 (indexes 4-7) may carry a rotation sensor.
inline constexpr int kFirstRotationInput = 4;

// Result codes of ControlBox_Input.
inline constexpr int32_t kInputOk = 0;
inline constexpr int32_t kInputNoSuchInput = 101;
inline constexpr int32_t kInputNoRotation = 103;

struct SampleSlot {
    std::atomic<uint32_t> stamp{0};
    std::array<std::atomic<int32_t>, kBoxInputs> raw{};
    std::array<std::atomic<int32_t>, kBoxInputs> counter{};
    std::array<std::atomic<uint8_t>, kBoxInputs> digital{};
    std::array<std::atomic<int32_t>, kBoxInputs - kFirstRotationInput> rotation{};
};

struct SampleRing {
    std::array<SampleSlot, kSampleSlots> slots;
    // The slot the next frame fills.
    std::atomic<uint32_t> writeIndex{1};
    // How many slots hold a frame since the open (at most all): the others
    // hold no reading, whatever their stamps say.
    std::atomic<uint32_t> filled{0};
    // Whether a frame was decoded since the open: before it the ring holds
    // no reading.
    std::atomic<bool> hasFrame{false};

    // The most frames found missing between two frames since the monitor
    // last looked.
    std::atomic<int32_t> missedFrames{0};
    std::atomic<bool> resyncMark{false};
    std::atomic<int32_t> resyncCount{0};
    std::atomic<int32_t> delayMonitorThreshold{0};

    // The newest complete slot.
    uint32_t Newest() const {
        return (writeIndex.load(std::memory_order_acquire) + kSampleSlots - 1) % kSampleSlots;
    }
};

// The process's ring.
SampleRing& TheSampleRing();

// The open's reset: readings, counters, digital flags and rotation counts
// of every slot to zero (the stamps stay), the write index to 1.
void ResetSampleRing();

// The millisecond clock of the stamps: Kinetra's clock (platform/Clock.h),
// wrapping at 32 bits. Callers that pass a time to the readers take it
// from here.
uint32_t BoxMilliseconds();

// The slot in force at the time (0: the newest slot).
uint32_t ControlBox_SampleIndexAt(uint32_t time);

// Readers. input is 0-7; time as for ControlBox_SampleIndexAt. Any
// out-argument may be null. flag is 1 when the input's digital state bit is
// clear. With the port closed: value 0, counter 0, flag 1, rotation 0.
// Right after an open, before the first frame, a reader waits for it: for
// as long as the logon takes, and a few frame times after it.
int32_t ControlBox_Input(int input, uint32_t time, int32_t* value, int32_t* counter,
                         int32_t* rotation, int32_t* flag);
int32_t ControlBox_Rotation(int input, uint32_t time);
double ControlBox_LightPercent(int input, uint32_t time);
double ControlBox_TemperatureC(int input, uint32_t time);

// Start counting edges (rotation steps) of the input from 0 again.
void ControlBox_ResetCounter(int input);
void ControlBox_ResetRotation(int input);

// The missed-frame count, taken and reset (by the monitor, once a second).
int32_t ControlBox_TakeMissedFrames();
// Whether a resynchronisation happened since the last take; clears the mark.
bool ControlBox_TakeResyncMark();
// The number of resynchronisations since the last take; restarts from 0.
int32_t ControlBox_TakeResyncCount();
// Sets the delay-monitor threshold when it is 0 or more (a negative one is
// ignored); returns the threshold in force.
int32_t ControlBox_SetDelayMonitor(int32_t threshold);
int32_t ControlBox_DelayMonitor();

// Waits for the next decoded frame, at most 19 ms; sleeps 19 ms when the
// port is closed.
void ControlBox_WaitFrame();

// True while the port is closed or the box says it is not ready.
bool ControlBox_IsNotReady();
