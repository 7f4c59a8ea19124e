// Value cells: construction, names, variables, states, parenthesised calls
// and reference counting.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "LogoCore/CellTestSupport.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoList.h"
#include "platform/BlockPool.h"

namespace {

CellRef Variable(const char* name, int32_t token) {
    return CellRef(new CHandleData(name, CHandleData::OfType{kTypeVariable}, token));
}

TEST(CellConstruction, OneReferenceEachAndNamesCutTo255Characters) {
    EXPECT_EQ(CellRef(new CHandleData())->Count(), 1);
    CellRef source = Word("hello", "greeting", 70006);
    CellRef copy(new CHandleData(*source));  // copies too start with count 1
    EXPECT_EQ(copy->Count(), 1);
    EXPECT_EQ(copy->Token(), kNoToken);
    // Names are shared between cells: each keeps it as long as it lives.
    CellRef scoped(new CHandleData("greeting", source.get(), nullptr));
    CellRef otherCase(new CHandleData("GREETING", source.get(), nullptr));
    source.reset();
    EXPECT_EQ(copy->Name(), "greeting");
    EXPECT_EQ(scoped->Name(), "greeting");
    EXPECT_EQ(otherCase->Name(), "GREETING");  // a scope keeps the name it was given

    EXPECT_EQ(Word("", Repeat("a", 300))->Name(), Repeat("a", 255));
    // Two-byte letters: 255 of them, never half a letter.
    EXPECT_EQ(Word("", Repeat("æ", 300))->Name(), Repeat("æ", 255));
    // The 255th character is three bytes long and is kept whole.
    EXPECT_EQ(Word("", Repeat("a", 254) + "€bcd")->Name(), Repeat("a", 254) + "€");
}

TEST(CellReferences, PrimitivesAreNotCountedAndDeletedCellsAreInternalErrors) {
    CHandleData* prim = new CHandleData("prim", CHandleData::OfType{kTypeEmpty}, 30000);
    Reference(prim);
    prim->SetPrimitive(nullptr, 7, 2, 1, kUnlimitedInputs, 3);
    Release(prim);
    Release(prim);
    EXPECT_EQ(prim->Count(), 1);  // SetPrimitive reset it; nothing counts it since
    prim->SetType(kTypeEmpty);    // counted again: this release destroys it
    Release(prim);

    CHandleData* cell = new CHandleData("", 5, kNoToken);
    cell->FreeValue();  // freed but not destroyed: what a stale handle sees
    EXPECT_EQ(InternalErrorOf([&] { Release(cell); }), "Trying to dereference a deleted handle");
    EXPECT_EQ(InternalErrorOf([&] { Reference(cell); }), "Trying to reference a deleted handle");
    EXPECT_EQ(InternalErrorOf([&] { GetString(cell, false); }),
              "Tried to access a DELETED handle in GetString()");
    EXPECT_EQ(cell->Count(), 1);
    cell->Free();
}

// Setting a variable never changes a value that others share; copies take
// the value a variable refers to, not the variable.
TEST(CellVariables, StoringMakesANewValueAndCopiesReadThrough) {
    CellRef variable = Variable(":speed", 70010);
    variable->SetInteger(3);
    CHandleData* old = variable->Referred();
    ASSERT_NE(old, nullptr);
    CellRef holder = ListOf({old});
    variable->SetInteger(5);
    EXPECT_EQ(variable->Referred()->IntegerValue(), 5);
    EXPECT_EQ(old->Count(), 1);  // the list's reference only
    EXPECT_EQ(GetString(holder.get(), false), "[3]");

    CellRef target = Value(4);
    target->Assign(Variable(":unset", 70011).get());
    EXPECT_EQ(target->Type(), kTypeEmpty);
    variable->SetString("word");
    target->Assign(variable.get());
    EXPECT_EQ(target->Text(), "word");
    CellRef scoped(new CHandleData(":speed", variable.get()));
    EXPECT_EQ(scoped->Token(), kScopeToken);
    EXPECT_EQ(scoped->Text(), "word");
}

TEST(CellStates, KeywordNeverChangesAndOnlyIfRestrictsTheChange) {
    CellRef cell = Word("x");
    cell->SetState(kStateGlobal, false, kStateLocal);
    EXPECT_EQ(cell->State(), kStateUser);
    cell->SetState(kStateGlobal, false, kStateUser);
    EXPECT_EQ(cell->State(), kStateGlobal);
    cell->SetState(kStateKeyword, false, 0);
    cell->SetState(kStateTemp, true, kStateKeyword);
    EXPECT_EQ(cell->State(), kStateKeyword);

    // A variable passes the state to its referred cell, not recursively.
    CellRef element = Word("e");
    CellRef variable = Variable(":v", 70015);
    variable->SetList(ListOf({element.get()})->ListValue());
    variable->SetState(kStateGlobal, true, 0);
    EXPECT_EQ(variable->Referred()->State(), kStateGlobal);
    EXPECT_EQ(element->State(), kStateUser);
}

TEST(CellStates, RecursiveSetStateReachesNestedElementsAndEndsOnCycles) {
    CellRef a = Word("a"), b = Word("b");
    CellRef inner = ListOf({b.get()});
    CellRef outer = ListOf({a.get(), inner.get()});
    b->SetState(kStateGlobal, false, 0);
    outer->SetState(kStateLocal, true, kStateUser);
    EXPECT_EQ(a->State(), kStateLocal);
    EXPECT_EQ(inner->State(), kStateLocal);
    EXPECT_EQ(b->State(), kStateGlobal);  // not in the only-if state

    inner->ListValue()->Add(outer.get());
    outer->SetState(kStateTask, true, 0);
    EXPECT_EQ(b->State(), kStateTask);
    inner->SetType(kTypeEmpty);  // breaks the cycle while we still hold the cells
}

// The call adopts the tree's references; the leak checker sees that it
// frees each of them once.
TEST(CellCalls, ArgumentTreeIsFlattenedInPrefixOrder) {
    CHandleData *plus = Word("+").release(), *times = Word("*").release();
    CHandleData *a = Value(1).release(), *b = Value(2).release(), *c = Value(3).release();
    Reference(c);  // an argument twice
    // (sum a + b * c  c)
    CHandleData* product = CHandleData::MakeInfix(times, b, c, kNoToken);
    CHandleData* tree = CHandleData::MakeInfix(
        nullptr, CHandleData::MakeInfix(plus, a, product, kNoToken), c, kNoToken);
    CellRef call(CHandleData::MakeCall(Word("sum").release(), tree, 70016));
    EXPECT_EQ(call->Callee()->Text(), "sum");
    CHandleData* const* arguments = call->CallArguments();
    const CHandleData* expected[] = {plus, a, times, b, c, c};
    for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(arguments[i], expected[i]);
    EXPECT_EQ(arguments[std::size(expected)], nullptr);
    EXPECT_EQ(c->Count(), 2);
}

// Cells made on one thread and freed on another: the freeing thread's pool
// cache passes the blocks back, so the maker reuses them instead of carving
// more, and no block is ever handed out while a cell still lives in it.
TEST(CellPoolConcurrency, CellsMadeOnOneThreadAreFreedOnAnotherAndReused) {
    using Pool = platform::BlockPool<sizeof(CHandleData)>;
    constexpr int32_t kCells = 100000;
    constexpr std::size_t kInFlight = 500;
    const std::size_t carvedBefore = Pool::Carved();
    CellRef named = Word("x", "counter");

    std::mutex lock;
    std::condition_variable changed;
    std::deque<CHandleData*> queue;
    int32_t wrong = 0;
    std::thread maker([&] {
        for (int32_t i = 0; i < kCells; ++i) {
            auto* cell = new CHandleData(*named);  // shares the name
            cell->SetInteger(i);
            std::unique_lock<std::mutex> guard(lock);
            changed.wait(guard, [&] { return queue.size() < kInFlight; });
            queue.push_back(cell);
            changed.notify_all();
        }
    });
    std::thread freer([&] {
        for (int32_t i = 0; i < kCells; ++i) {
            CHandleData* cell;
            {
                std::unique_lock<std::mutex> guard(lock);
                changed.wait(guard, [&] { return !queue.empty(); });
                cell = queue.front();
                queue.pop_front();
                changed.notify_all();
            }
            if (cell->IntegerValue() != i || cell->Name() != "counter") ++wrong;
            CellRef scratch = Value(i);  // made and freed here too
            Release(cell);
        }
    });
    maker.join();
    freer.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(named->Name(), "counter");
    EXPECT_LT(Pool::Carved() - carvedBefore, kInFlight + 2000);
}

}  // namespace
