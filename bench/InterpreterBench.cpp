// The reader and the evaluator: lines compiled per second, and procedure
// calls per second for a tail-recursive counter and a tree recursion.
#include <benchmark/benchmark.h>

#include <string>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoTask.h"
#include "LogoTestPrimitives.h"

namespace {

// A procedures page of the kind a class writes: a few procedures with
// inputs, lists, infix arithmetic and comments.
const std::string& TypicalPage() {
    static const std::string page = [] {
        std::string text;
        for (int i = 0; i < 20; ++i) {
            const std::string n = std::to_string(i);
            text += "to move" + n + " :speed :time ; drive for a while\n";
            text += "make \"distance :speed * :time + 2\n";
            text += "if :distance > 100 [print [too far] stop]\n";
            text += "repeat 4 [print :distance - 1 print (sum 1 2 3)]\n";
            text += "output :distance / 2\n";
            text += "end\n\n";
        }
        return text;
    }();
    return page;
}

void BM_CompileProceduresPage(benchmark::State& state) {
    RegisterTestPrimitives();
    const std::string& page = TypicalPage();
    int64_t lines = 0;
    for (char c : page) lines += c == '\n';
    for (auto _ : state) benchmark::DoNotOptimize(Define(page));
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines * state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CompileProceduresPage)->Unit(benchmark::kMicrosecond);

void RunCalls(benchmark::State& state, const std::string& definitions, const std::string& command,
              int64_t callsPerRun) {
    RegisterTestPrimitives();
    Define(definitions);
    CLogoTask* task = CLogoTask::Create(DefaultSelection(), true);
    CHandleData* code = task->CompileText(command, kStateUser);
    for (auto _ : state) Release(task->RunCompiled(code));
    Release(code);
    CLogoTask::Destroy(task);
    state.counters["calls/s"] = benchmark::Counter(
        static_cast<double>(callsPerRun * state.iterations()), benchmark::Counter::kIsRate);
}

void BM_TailRecursiveCounter(benchmark::State& state) {
    RunCalls(state, "to countdown :n\nif :n = 0 [stop]\ncountdown :n - 1\nend\n", "countdown 10000", 10001);
}
BENCHMARK(BM_TailRecursiveCounter)->Unit(benchmark::kMillisecond);

void BM_TreeRecursiveFibonacci(benchmark::State& state) {
    // fib 15 makes 1973 calls.
    RunCalls(state, "to fib :n\nif :n < 2 [output :n]\noutput (fib :n - 1) + (fib :n - 2)\nend\n",
             "make \"result fib 15", 1973);
}
BENCHMARK(BM_TreeRecursiveFibonacci)->Unit(benchmark::kMillisecond);

}  // namespace
