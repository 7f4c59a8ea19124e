// Time to decode one frame of the box's input stream into the sample ring:
// it has to stay far below the 19.8 ms a frame takes on the wire.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "box/InputStream.h"
#include "box/SampleRing.h"

namespace {

// A frame whose every input word is the given one; check byte fitted.
std::array<uint8_t, kFrameBytes> FrameOf(uint16_t word) {
    std::array<uint8_t, kFrameBytes> frame{};
    frame[0] = 0x80;
    unsigned sum = frame[0];
    for (int offset = 2; offset < 18; offset += 2) {
        frame[offset] = static_cast<uint8_t>(word >> 8);
        frame[offset + 1] = static_cast<uint8_t>(word & 0xFF);
        sum += frame[offset] + frame[offset + 1];
    }
    frame[18] = static_cast<uint8_t>(0xFF - (sum & 0xFF));
    return frame;
}

// Nothing changes: the common case of sensors at rest.
void BM_DecodeSteadyFrame(benchmark::State& state) {
    ResetSampleRing();
    const auto frame = FrameOf(0x8008);
    for (auto _ : state) benchmark::DoNotOptimize(ControlBox_DecodeFrame(frame.data()));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeSteadyFrame);

// Rotation sensors turning: each of inputs 5-8 takes a larger step every
// frame (inputs 1-4 carry no step code, so no notice is posted).
void BM_DecodeTurningFrames(benchmark::State& state) {
    ResetSampleRing();
    std::vector<std::array<uint8_t, kFrameBytes>> frames;
    for (int k = 0; k < 16; ++k) {
        const auto word = static_cast<uint16_t>(((0x200 | k) << 6) | ((k & 1) ? 0x4 : 0) | 0x2);
        auto frame = FrameOf(0x8008);
        // Words of inputs 5-8 at offsets 16, 12, 8, 4.
        unsigned sum = 0;
        for (int offset : {4, 8, 12, 16}) {
            frame[offset] = static_cast<uint8_t>(word >> 8);
            frame[offset + 1] = static_cast<uint8_t>(word & 0xFF);
        }
        for (int i = 0; i < 18; ++i) sum += frame[i];
        frame[18] = static_cast<uint8_t>(0xFF - (sum & 0xFF));
        frames.push_back(frame);
    }
    size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ControlBox_DecodeFrame(frames[k].data()));
        k = (k + 1) % frames.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeTurningFrames);

}  // namespace
