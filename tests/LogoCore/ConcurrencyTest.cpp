// Cells and the name table shared by several threads at once. Run under
// ThreadSanitizer by the KINETRA_TSAN build.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/NameTable.h"

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 2000;

}  // namespace

TEST(ConcurrencyTest, ThreadsShareReleaseAndLookUpCellsWithoutLosingAny) {
    // One list shared by all threads; each thread takes and drops its
    // elements' references while making values and names of its own.
    CLogoList* shared = new CLogoList();
    for (int i = 0; i < 16; ++i) shared->Adopt(new CHandleData("", i, kNoToken));
    std::vector<int32_t> before;
    for (std::size_t i = 0; i < shared->Size(); ++i)
        before.push_back(shared->ElementAt(i)->Count());

    std::atomic<int> failures{0};
    const int32_t firstToken = PeekNextToken();
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const std::string mine = "concurrency-" + std::to_string(t);
            for (int round = 0; round < kRounds; ++round) {
                CHandleData* element = shared->GetAt(round % shared->Size());
                if (GetInteger(element, true) != round % 16) ++failures;

                CHandleData* value = DefineInteger("", round, kStateTemp);
                CHandleData* copy = new CHandleData(*value);
                if (GetString(copy, true) != std::to_string(round)) ++failures;
                Release(value);

                // A name of this thread's own, made, found and erased; and
                // one name all threads share.
                // A new entry comes back with the table's reference only, an
                // existing one with a reference for the caller.
                CHandleData* before = FindName(mine);
                CHandleData* named = DefineString(mine, "x", kStateGlobal);
                if (!before) Reference(named);
                Release(before);
                CHandleData* found = FindName(mine);
                if (found != named) ++failures;
                Release(found);
                Release(named);
                if (round % 3 == 0) EraseName(mine);

                CHandleData* common = LookupProcedureName("concurrency-common", kStateUser);
                if (!IsCell(common) || common->Type() != kTypeProcedureName) ++failures;
                Release(common);
            }
            EraseName(mine);
        });
    }
    for (auto& thread : threads) thread.join();

    EXPECT_EQ(failures.load(), 0);
    for (std::size_t i = 0; i < shared->Size(); ++i)
        EXPECT_EQ(shared->ElementAt(i)->Count(), before[i]) << "element " << i;
    // Every unnamed value and every new name took a token of its own.
    EXPECT_GE(PeekNextToken() - firstToken, kThreads * kRounds);
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(FindName("concurrency-" + std::to_string(t)), nullptr);
    shared->Release();
}
