// Name look-ups in a table of 1000 names.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "LogoCore/HandleData.h"
#include "LogoCore/NameTable.h"

namespace {

constexpr int kNames = 1000;

// Fills the table once with 1000 procedure names and returns their tokens.
const std::vector<int32_t>& Tokens() {
    static const std::vector<int32_t> tokens = [] {
        std::vector<int32_t> t;
        for (int i = 0; i < kNames; ++i) {
            CHandleData* cell = DefineProcedureName("benchname" + std::to_string(i), kStateUser);
            t.push_back(cell->Token());
        }
        return t;
    }();
    return tokens;
}

void BM_FindByName(benchmark::State& state) {
    Tokens();
    const std::string name = "BenchName" + std::to_string(state.range(0));
    for (auto _ : state) {
        CHandleData* cell = FindName(name);
        benchmark::DoNotOptimize(cell);
        Release(cell);
    }
}
// The first, the middle and the last entry of a linear scan.
BENCHMARK(BM_FindByName)->Arg(0)->Arg(kNames / 2)->Arg(kNames - 1);

void BM_FindByToken(benchmark::State& state) {
    const int32_t token = Tokens()[state.range(0)];
    for (auto _ : state) {
        CHandleData* cell = FindToken(token);
        benchmark::DoNotOptimize(cell);
        Release(cell);
    }
}
BENCHMARK(BM_FindByToken)->Arg(0)->Arg(kNames / 2)->Arg(kNames - 1);

}  // namespace
