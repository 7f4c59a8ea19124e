// Making and releasing the cells every intermediate result is.
#include <benchmark/benchmark.h>

#include "LogoCore/HandleData.h"
#include "LogoCore/NameTable.h"

namespace {

// The path a primitive's output takes: an unnamed definition.
void BM_DefineAndReleaseInteger(benchmark::State& state) {
    int32_t i = 0;
    for (auto _ : state) {
        CHandleData* cell = DefineInteger("", ++i, kStateTemp);
        benchmark::DoNotOptimize(cell);
        Release(cell);
    }
}
BENCHMARK(BM_DefineAndReleaseInteger);

void BM_ConstructAndReleaseInteger(benchmark::State& state) {
    int32_t i = 0;
    for (auto _ : state) {
        CHandleData* cell = new CHandleData("", ++i, kNoToken);
        benchmark::DoNotOptimize(cell);
        Release(cell);
    }
}
BENCHMARK(BM_ConstructAndReleaseInteger);

void BM_ReferenceAndRelease(benchmark::State& state) {
    CHandleData* cell = new CHandleData("", 7, kNoToken);
    for (auto _ : state) {
        Reference(cell);
        Release(cell);
    }
    Release(cell);
}
BENCHMARK(BM_ReferenceAndRelease);

void BM_IntegerToText(benchmark::State& state) {
    CHandleData* cell = new CHandleData("", 123456, kNoToken);
    for (auto _ : state) benchmark::DoNotOptimize(GetString(cell, false));
    Release(cell);
}
BENCHMARK(BM_IntegerToText);

void BM_RealToText(benchmark::State& state) {
    CHandleData* cell = new CHandleData("", 3.14159265, kNoToken);
    for (auto _ : state) benchmark::DoNotOptimize(GetString(cell, false));
    Release(cell);
}
BENCHMARK(BM_RealToText);

}  // namespace
