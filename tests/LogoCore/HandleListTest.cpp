// Token-ordered handle lists: entering, finding, removing and teardown.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "LogoCore/CellTestSupport.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/HandleList.h"
#include "LogoCore/LogoList.h"

namespace {

CHandleData* Named(const std::string& name, int32_t token) {
    return new CHandleData(name, 0, token);
}

std::vector<std::string> NamesOf(const CHandleList& list) {
    std::vector<std::string> names;
    for (CHandleData* cell : list.Snapshot()) {
        names.push_back(cell->Name());
        Release(cell);
    }
    return names;
}

TEST(HandleListInsert, KeepsTokenOrder) {
    CHandleList list;
    for (int32_t token : {50, 10, 30, 20, 40, 5, 60, 35, 25})
        EXPECT_TRUE(list.Insert(Named("t" + std::to_string(token), token), kStateUser));
    EXPECT_EQ(NamesOf(list), (std::vector<std::string>{"t5", "t10", "t20", "t25", "t30", "t35",
                                                       "t40", "t50", "t60"}));
}

TEST(HandleListInsert, EqualTokensStayTogetherAndInInsertionOrder) {
    CHandleList scope;
    for (const char* name : {"x1", "x2", "x3"}) scope.Insert(Named(name, kScopeToken), kStateLocal);
    EXPECT_EQ(NamesOf(scope), (std::vector<std::string>{"x1", "x2", "x3"}));

    CHandleList list;
    for (int32_t token : {10, 20, 30, 40})
        list.Insert(Named("t" + std::to_string(token), token), 1);
    list.Insert(Named("again", 20), kStateUser);
    const std::vector<std::string> names = NamesOf(list);
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names.front(), "t10");
    EXPECT_EQ(names.back(), "t40");
    EXPECT_TRUE((names[1] == "t20" && names[2] == "again") ||
                (names[1] == "again" && names[2] == "t20"));
}

TEST(HandleListInsert, RefusedCellsStayWithTheCallerWithTheirStateSet) {
    CHandleList list;
    list.Insert(Named("kept", 1), kStateUser);
    CellRef unnamed(Named("", 2));
    CellRef temp(Named("temp", 3));
    CellRef error(Named("error", 4));
    EXPECT_FALSE(list.Insert(unnamed.get(), kStateLocal));
    EXPECT_FALSE(list.Insert(temp.get(), kStateTemp));
    EXPECT_FALSE(list.Insert(error.get(), kStateError));
    EXPECT_EQ(list.Size(), 1u);
    EXPECT_EQ(unnamed->State(), kStateLocal);
    EXPECT_EQ(temp->State(), kStateTemp);
    EXPECT_EQ(error->State(), kStateError);
    EXPECT_EQ(temp->Count(), 1);
}

TEST(HandleListFind, ByNameIgnoresCaseAlsoBeyondAscii) {
    CHandleList list;
    CHandleData* abc = Named("abc", 1);
    CHandleData* apple = Named("æble", 2);
    list.Insert(abc, kStateUser);
    list.Insert(apple, kStateUser);
    list.Insert(Named("ABC", 3), kStateUser);

    CellRef found(list.FindByName("ABC"));
    EXPECT_EQ(found.get(), abc);  // the first in token order
    EXPECT_EQ(abc->Count(), 2);
    found.reset(list.FindByName("ÆBLE"));
    EXPECT_EQ(found.get(), apple);
    found.reset();
    EXPECT_EQ(list.FindByName(""), nullptr);
    EXPECT_EQ(list.FindByName("ab"), nullptr);
    EXPECT_EQ(list.FindByName("abcd"), nullptr);
}

TEST(HandleListFind, ByTokenWithOneMoreReference) {
    CHandleList list;
    std::vector<CHandleData*> cells;
    for (int32_t token = 1; token <= 9; token += 2) {
        cells.push_back(Named("c" + std::to_string(token), token));
        list.Insert(cells.back(), kStateUser);
    }
    for (std::size_t i = 0; i < cells.size(); ++i) {
        CellRef found(list.FindByToken(cells[i]->Token()));
        EXPECT_EQ(found.get(), cells[i]);
        EXPECT_EQ(cells[i]->Count(), 2);
    }
    EXPECT_EQ(list.FindByToken(4), nullptr);
    EXPECT_EQ(list.FindByToken(0), nullptr);
    EXPECT_EQ(list.FindByToken(10), nullptr);
}

TEST(HandleListRemove, ByNameAndByTokenReleaseTheListsReference) {
    CHandleList list;
    CellRef a(Named("a", 1));
    CellRef b(Named("b", 2));
    Reference(a.get());
    Reference(b.get());
    list.Insert(a.get(), kStateUser);
    list.Insert(b.get(), kStateUser);
    list.RemoveByName("A");
    EXPECT_EQ(a->Count(), 1);
    list.RemoveByToken(2);
    EXPECT_EQ(b->Count(), 1);
    list.RemoveByName("a");
    list.RemoveByToken(2);
    EXPECT_EQ(list.Size(), 0u);
}

TEST(HandleListRemove, AllWithStateLeaveInStateTemp) {
    CHandleList list;
    CellRef proc(Named("proc", 1));
    Reference(proc.get());
    list.Insert(proc.get(), kStateProc);
    list.Insert(Named("user", 2), kStateUser);
    list.Insert(Named("proc2", 3), kStateProc);
    list.RemoveAllWithState(kStateProc);
    EXPECT_EQ(NamesOf(list), std::vector<std::string>{"user"});
    EXPECT_EQ(proc->State(), kStateTemp);
    EXPECT_EQ(proc->Count(), 1);
    list.RemoveAllWithState(0);
    EXPECT_EQ(list.Size(), 0u);
}

TEST(HandleListIsListed, MatchesTheCellNotJustItsToken) {
    CHandleList scope;
    CellRef x1(Named("x1", kScopeToken));
    CellRef x2(Named("x2", kScopeToken));
    CellRef x3(Named("x3", kScopeToken));
    for (CHandleData* cell : {x1.get(), x2.get(), x3.get()}) {
        Reference(cell);
        scope.Insert(cell, kStateLocal);
    }
    CellRef stranger(Named("x2", kScopeToken));
    EXPECT_FALSE(scope.IsListed(stranger.get()));
    EXPECT_EQ(scope.Size(), 3u);

    EXPECT_TRUE(scope.IsListed(x3.get()));
    EXPECT_EQ(x3->Count(), 1);
    EXPECT_TRUE(scope.IsListed(x1.get()));
    EXPECT_EQ(NamesOf(scope), std::vector<std::string>{"x2"});
    EXPECT_FALSE(scope.IsListed(x1.get()));
}

// Teardown empties every entry first, so entries that hold each other (or
// themselves) are all freed; entries held elsewhere survive, emptied.
TEST(HandleListTeardown, FreesValuesThenReleases) {
    CellRef survivor(new CHandleData("survivor", 5, 1));
    Reference(survivor.get());
    CHandleData* self = new CHandleData("self", CHandleData::OfType{kTypeList}, 2);
    self->ListValue()->Add(self);
    CHandleData* primitive = new CHandleData("prim", CHandleData::OfType{kTypePrimitive}, 3);
    primitive->SetPrimitive(nullptr, 0, 0, 0, 0, 0);
    {
        CHandleList list;
        list.Insert(survivor.get(), kStateUser);
        list.Insert(self, kStateUser);
        list.Insert(primitive, kStateKeyword);
    }
    EXPECT_EQ(survivor->Count(), 1);
    EXPECT_EQ(survivor->Type(), kTypeEmpty);
    EXPECT_EQ(survivor->State(), kStateTemp);
}

}  // namespace
