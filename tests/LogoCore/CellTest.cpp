// Value cells: construction, names, setters, states, parenthesised calls and
// reference counting.
#include <gtest/gtest.h>

#include <string>

#include "LogoCore/CellTestSupport.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/LogoProcedure.h"
#include "LogoCore/NameTable.h"

namespace {

std::string Repeat(std::string_view unit, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) text += unit;
    return text;
}

TEST(CellConstruction, EveryNewCellHasOneReferenceAndStateUser) {
    CellRef empty(new CHandleData());
    EXPECT_EQ(empty->Type(), kTypeEmpty);
    EXPECT_EQ(empty->Token(), kNoToken);
    EXPECT_EQ(empty->Name(), "");
    EXPECT_EQ(empty->State(), kStateUser);
    EXPECT_EQ(empty->Count(), 1);

    CellRef number(new CHandleData("n", 42, 70000));
    EXPECT_EQ(number->Type(), kTypeInteger);
    EXPECT_EQ(number->IntegerValue(), 42);
    EXPECT_EQ(number->Token(), 70000);
    EXPECT_EQ(number->Name(), "n");
    EXPECT_EQ(number->Count(), 1);

    CellRef name(new CHandleData("forward", 70001));
    EXPECT_EQ(name->Type(), kTypeProcedureName);
    EXPECT_EQ(GetString(name.get(), false), "forward");
}

TEST(CellConstruction, OfTypeGivesAFreshEmptyValue) {
    CellRef procedure(new CHandleData("square", CHandleData::OfType{kTypeProcedure}, 70002));
    ASSERT_NE(procedure->Procedure(), nullptr);
    EXPECT_EQ(procedure->Procedure()->Name(), "square");
    CellRef list(new CHandleData("l", CHandleData::OfType{kTypeList}, 70004));
    EXPECT_EQ(list->ListValue()->Size(), 0u);
}

TEST(CellConstruction, CopyTakesNameStateAndValueButNoToken) {
    CellRef source = Word("hello", "greeting", 70006);
    source->SetState(kStateGlobal, false, 0);
    CellRef copy(new CHandleData(*source));
    EXPECT_EQ(copy->Name(), "greeting");
    EXPECT_EQ(copy->State(), kStateGlobal);
    EXPECT_EQ(copy->Token(), kNoToken);
    EXPECT_EQ(copy->Text(), "hello");
    EXPECT_NE(&copy->Text(), &source->Text());  // a copy, not a shared text
}

TEST(CellConstruction, ScopeCopyTakesTheReferredValue) {
    CellRef variable(new CHandleData(":x", CHandleData::OfType{kTypeVariable}, 70007));
    CellRef unset(new CHandleData(":x", variable.get()));
    EXPECT_EQ(unset->Token(), kScopeToken);
    EXPECT_EQ(unset->Type(), kTypeEmpty);

    variable->SetInteger(9);
    CellRef set(new CHandleData(":x", variable.get()));
    EXPECT_EQ(set->Type(), kTypeInteger);
    EXPECT_EQ(set->IntegerValue(), 9);
}

TEST(CellNames, LongNamesAreCutTo255Characters) {
    CellRef ascii = Word("", Repeat("a", 300));
    EXPECT_EQ(ascii->Name(), Repeat("a", 255));

    // Two-byte letters: 255 of them, 510 bytes, never half a letter.
    CellRef danish = Word("", Repeat("æ", 300));
    EXPECT_EQ(danish->Name(), Repeat("æ", 255));

    // The 255th character is three bytes long and must be kept whole.
    CellRef euro = Word("", Repeat("a", 254) + "€" + "bcd");
    EXPECT_EQ(euro->Name(), Repeat("a", 254) + "€");
}

TEST(CellSetters, ACellCanBeGivenItsOwnTextOrList) {
    CellRef word = Word("same text");
    word->SetString(word->Text());
    EXPECT_EQ(word->Text(), "same text");

    CellRef element = Word("e");
    CellRef list(new CHandleData("", CHandleData::OfType{kTypeList}, kNoToken));
    list->ListValue()->Add(element.get());
    list->SetList(list->ListValue());
    ASSERT_EQ(list->ListValue()->Size(), 1u);
    EXPECT_EQ(list->ListValue()->ElementAt(0), element.get());
    EXPECT_EQ(element->Count(), 2);
}

TEST(CellSetters, SetPrimitiveResetsTheCountAndStopsCounting) {
    CHandleData* cell = new CHandleData("prim", CHandleData::OfType{kTypeEmpty}, 30000);
    Reference(cell);
    Reference(cell);
    cell->SetPrimitive(nullptr, 7, 2, 1, kUnlimitedInputs, 3);
    EXPECT_EQ(cell->Count(), 1);
    EXPECT_EQ(cell->Primitive().option, 7);
    EXPECT_EQ(cell->Primitive().maxInputs, kUnlimitedInputs);
    Reference(cell);
    Release(cell);
    Release(cell);
    EXPECT_EQ(cell->Count(), 1);
    EXPECT_EQ(cell->Type(), kTypePrimitive);
    cell->SetType(kTypeEmpty);  // now counted again: this release destroys it
    Release(cell);
}

// A value shared with other holders never changes when a variable is set.
TEST(CellVariables, StoringIntoAVariableLeavesSharedValuesAlone) {
    CellRef variable(new CHandleData(":speed", CHandleData::OfType{kTypeVariable}, 70010));
    variable->SetInteger(3);
    CHandleData* old = variable->Referred();
    ASSERT_NE(old, nullptr);
    CellRef holder(new CHandleData("", CHandleData::OfType{kTypeList}, kNoToken));
    holder->ListValue()->Add(old);

    variable->SetInteger(5);
    EXPECT_EQ(variable->Type(), kTypeVariable);
    ASSERT_NE(variable->Referred(), old);
    EXPECT_EQ(variable->Referred()->IntegerValue(), 5);
    EXPECT_EQ(old->IntegerValue(), 3);
    EXPECT_EQ(old->Count(), 1);  // the list's reference only
    EXPECT_EQ(GetString(holder.get(), false), "[3]");

    variable->SetString("fast");
    EXPECT_EQ(variable->Referred()->Text(), "fast");
}

TEST(CellVariables, AssignReadsThroughAVariable) {
    CellRef unset(new CHandleData(":a", CHandleData::OfType{kTypeVariable}, 70011));
    CellRef target = Int(4);
    target->Assign(unset.get());
    EXPECT_EQ(target->Type(), kTypeEmpty);

    CellRef set(new CHandleData(":b", CHandleData::OfType{kTypeVariable}, 70012));
    set->SetString("word");
    target->Assign(set.get());
    EXPECT_EQ(target->Type(), kTypeString);
    EXPECT_EQ(target->Text(), "word");

    // Assigning into a variable stores into a new referred cell.
    CellRef into(new CHandleData(":c", CHandleData::OfType{kTypeVariable}, 70013));
    into->Assign(target.get());
    EXPECT_EQ(into->Type(), kTypeVariable);
    EXPECT_EQ(into->Referred()->Text(), "word");

    // A source of a type that is not copied leaves the value as it was.
    CellRef name(new CHandleData("forward", 70014));
    target->Assign(name.get());
    EXPECT_EQ(target->Text(), "word");
}

TEST(CellStates, OnlyIfRestrictsTheChangeAndKeywordNeverChanges) {
    CellRef cell = Word("x");
    cell->SetState(kStateGlobal, false, kStateLocal);
    EXPECT_EQ(cell->State(), kStateUser);
    cell->SetState(kStateGlobal, false, kStateUser);
    EXPECT_EQ(cell->State(), kStateGlobal);
    cell->SetState(kStateKeyword, false, 0);
    cell->SetState(kStateTemp, false, 0);
    cell->SetState(kStateTemp, true, kStateKeyword);
    EXPECT_EQ(cell->State(), kStateKeyword);
}

TEST(CellStates, RecursiveSetStateReachesNestedElements) {
    CellRef a = Word("a");
    CellRef b = Word("b");
    CellRef inner(new CHandleData("", CHandleData::OfType{kTypeList}, kNoToken));
    inner->ListValue()->Add(b.get());
    CellRef outer(new CHandleData("", CHandleData::OfType{kTypeList}, kNoToken));
    outer->ListValue()->Add(a.get());
    outer->ListValue()->Add(inner.get());

    outer->SetState(kStateProc, false, 0);
    EXPECT_EQ(outer->State(), kStateProc);
    EXPECT_EQ(a->State(), kStateUser);

    b->SetState(kStateGlobal, false, 0);
    outer->SetState(kStateUser, false, 0);
    outer->SetState(kStateLocal, true, kStateUser);
    EXPECT_EQ(outer->State(), kStateLocal);
    EXPECT_EQ(a->State(), kStateLocal);
    EXPECT_EQ(inner->State(), kStateLocal);
    EXPECT_EQ(b->State(), kStateGlobal);  // not in the only-if state

    outer->SetState(kStateTask, true, 0);
    EXPECT_EQ(b->State(), kStateTask);
}

TEST(CellStates, RecursiveSetStateEndsOnAListThatHoldsItself) {
    CellRef cell(new CHandleData("", CHandleData::OfType{kTypeList}, kNoToken));
    cell->ListValue()->Add(cell.get());
    cell->SetState(kStateTask, true, 0);
    EXPECT_EQ(cell->State(), kStateTask);
    cell->SetType(kTypeEmpty);  // breaks the cycle while we still hold the cell
    EXPECT_EQ(cell->Count(), 1);
}

TEST(CellStates, AVariablePassesItsStateToTheReferredCellOnly) {
    CellRef element = Word("e");
    CellRef list(new CHandleData("", CHandleData::OfType{kTypeList}, kNoToken));
    list->ListValue()->Add(element.get());
    CellRef variable(new CHandleData(":v", CHandleData::OfType{kTypeVariable}, 70015));
    variable->SetList(list->ListValue());
    variable->SetState(kStateGlobal, true, 0);
    EXPECT_EQ(variable->Referred()->State(), kStateGlobal);
    EXPECT_EQ(element->State(), kStateUser);  // passed on without the recursive flag
}

TEST(CellCalls, ArgumentTreeIsFlattenedInPrefixOrder) {
    CellRef plus = Word("+");
    CellRef times = Word("*");
    CellRef a = Int(1);
    CellRef b = Int(2);
    CellRef c = Int(3);
    CellRef callee = Word("sum");
    for (CHandleData* h : {plus.get(), times.get(), a.get(), b.get(), c.get()}) Reference(h);
    Reference(callee.get());
    // a + (b * c), and the call's own argument list ends with a bare c
    CHandleData* product = CHandleData::MakeInfix(times.get(), b.get(), c.get(), kNoToken);
    CHandleData* expression = CHandleData::MakeInfix(plus.get(), a.get(), product, kNoToken);
    Reference(c.get());
    CHandleData* tree = CHandleData::MakeInfix(nullptr, expression, c.get(), kNoToken);

    CellRef call(CHandleData::MakeCall(callee.get(), tree, 70016));
    EXPECT_EQ(call->Type(), kTypeCall);
    EXPECT_EQ(call->Callee(), callee.get());
    CHandleData* const* arguments = call->CallArguments();
    const CHandleData* expected[] = {plus.get(), a.get(), times.get(), b.get(), c.get(), c.get()};
    for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(arguments[i], expected[i]);
    EXPECT_EQ(arguments[std::size(expected)], nullptr);
    // The array holds what the freed tree held, and nothing more.
    EXPECT_EQ(a->Count(), 2);
    EXPECT_EQ(c->Count(), 3);
    call.reset();
    EXPECT_EQ(a->Count(), 1);
    EXPECT_EQ(c->Count(), 1);
    EXPECT_EQ(callee->Count(), 1);
}

TEST(CellReferences, DeletedCellsAreInternalErrors) {
    CHandleData* cell = new CHandleData("", 5, kNoToken);
    cell->FreeValue();  // freed but not destroyed: what a stale handle sees
    ASSERT_EQ(cell->Type(), kTypeDeleted);
    EXPECT_EQ(InternalErrorOf([&] { Release(cell); }), "Trying to dereference a deleted handle");
    EXPECT_EQ(InternalErrorOf([&] { Reference(cell); }), "Trying to reference a deleted handle");
    EXPECT_EQ(InternalErrorOf([&] { GetString(cell, false); }),
              "Tried to access a DELETED handle in GetString()");
    EXPECT_EQ(cell->Count(), 1);
    cell->Destroy();
}

// The name table is asked before a named cell dies; an unnamed cell, or a
// different cell that happens to carry a listed token, never takes the
// table's entry with it.
TEST(CellReferences, ReleaseTakesOnlyTheCellItselfOutOfTheNameTable) {
    const std::string name = "CellReferences_listed";
    CHandleData* entry = DefineInteger(name, 1, kStateUser);
    ASSERT_TRUE(IsCell(entry));
    const int32_t token = entry->Token();

    Release(new CHandleData("", 2, token));
    Release(new CHandleData(name, 3, token));
    CellRef found(FindToken(token));
    ASSERT_EQ(found.get(), entry);
    found.reset();

    Release(entry);  // the table's reference was the only one: the entry leaves
    EXPECT_EQ(FindName(name), nullptr);
    EXPECT_EQ(FindToken(token), nullptr);
}

}  // namespace
