// Token-ordered handle lists: entering, finding, removing and teardown.
#include <gtest/gtest.h>

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

using Names = std::vector<std::string>;

TEST(HandleListInsert, KeepsTokenOrderAndRefusesUnlistableCells) {
    CHandleList list;
    for (int32_t token : {50, 10, 30, 20, 40, 5, 60, 35, 25})
        EXPECT_TRUE(list.Insert(Named("t" + std::to_string(token), token), kStateUser));
    EXPECT_EQ(NamesOf(list), (Names{"t5", "t10", "t20", "t25", "t30", "t35", "t40", "t50", "t60"}));
    list.Insert(Named("again", 30), kStateUser);
    const Names names = NamesOf(list);
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(names[3], "t25");
    EXPECT_EQ(names[6], "t35");  // t30 and again, in either order, in between

    // Refused cells stay with the caller, with their state set.
    CellRef unnamed(Named("", 2)), temp(Named("temp", 3)), error(Named("error", 4));
    EXPECT_FALSE(list.Insert(unnamed.get(), kStateLocal));
    EXPECT_FALSE(list.Insert(temp.get(), kStateTemp));
    EXPECT_FALSE(list.Insert(error.get(), kStateError));
    EXPECT_EQ(list.Size(), 10u);
    EXPECT_EQ(unnamed->State(), kStateLocal);
}

TEST(HandleListFindAndRemove, ByNameIgnoringCaseByTokenAndByState) {
    CHandleList list;
    CellRef abc(Named("abc", 1)), apple(Named("æble", 2));
    Reference(abc.get());
    Reference(apple.get());
    list.Insert(abc.get(), kStateProc);
    list.Insert(apple.get(), kStateUser);
    list.Insert(Named("ABC", 3), kStateProc);
    EXPECT_EQ(CellRef(list.FindByName("ABC")).get(), abc.get());  // the first in token order
    EXPECT_EQ(CellRef(list.FindByName("ÆBLE")).get(), apple.get());
    EXPECT_EQ(CellRef(list.FindByToken(2)).get(), apple.get());
    EXPECT_EQ(list.FindByName(""), nullptr);
    EXPECT_EQ(list.FindByToken(4), nullptr);

    list.RemoveAllWithState(kStateProc);
    EXPECT_EQ(abc->State(), kStateTemp);
    EXPECT_EQ(abc->Count(), 1);
    list.RemoveByToken(2);
    EXPECT_EQ(apple->Count(), 1);
    EXPECT_EQ(list.Size(), 0u);
}

// Scope entries all share one token: they stay in the order entered, and
// only the cell itself may be taken out.
TEST(HandleListScope, EqualTokensKeepTheirOrderAndIsListedMatchesTheCell) {
    CHandleList scope;
    CellRef x1(Named("x1", kScopeToken)), x2(Named("x2", kScopeToken)),
        x3(Named("x3", kScopeToken));
    for (CHandleData* cell : {x1.get(), x2.get(), x3.get()}) {
        Reference(cell);
        scope.Insert(cell, kStateLocal);
    }
    EXPECT_EQ(NamesOf(scope), (Names{"x1", "x2", "x3"}));
    EXPECT_FALSE(scope.IsListed(CellRef(Named("x2", kScopeToken)).get()));
    EXPECT_TRUE(scope.IsListed(x3.get()));
    EXPECT_TRUE(scope.IsListed(x1.get()));
    EXPECT_EQ(x1->Count(), 1);
    EXPECT_EQ(NamesOf(scope), Names{"x2"});
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
