// Logo lists: elements, references, copies and the text form.
#include <gtest/gtest.h>

#include "LogoCore/CellTestSupport.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"

namespace {

// A list holding its own new reference to each element.
CLogoList* MakeList(std::initializer_list<CHandleData*> elements) {
    auto* list = new CLogoList();
    for (CHandleData* e : elements) list->Add(e);
    return list;
}

TEST(LogoList, EmptyListPrintsAsBrackets) {
    auto* list = new CLogoList();
    EXPECT_EQ(list->Size(), 0u);
    EXPECT_EQ(list->UpperBound(), -1);
    EXPECT_EQ(list->ListToString(true, false), "[]");
}

TEST(LogoList, ListToStringFromAFirstIndex) {
    CellRef a = Word("a"), b = Word("b"), c = Word("c");
    CLogoList* list = MakeList({a.get(), b.get(), c.get()});
    EXPECT_EQ(list->ListToString(false, false, 1), "[b c]");
    EXPECT_EQ(list->ListToString(false, false, 3), "[]");
    // Printing leaves the element counts as they were.
    EXPECT_EQ(b->Count(), 2);
    list->AddRef();
    EXPECT_EQ(list->ListToString(true, false), "[a b c]");
    EXPECT_EQ(list->Count(), 1);
    list->Release();
    EXPECT_EQ(a->Count(), 1);
}

TEST(LogoList, GetAtAddAndAdoptCountReferences) {
    CellRef a = Word("a");
    auto* list = new CLogoList();
    list->Add(a.get());
    EXPECT_EQ(a->Count(), 2);
    CHandleData* got = list->GetAt(0);
    EXPECT_EQ(got, a.get());
    EXPECT_EQ(a->Count(), 3);
    Release(got);
    CHandleData* adopted = new CHandleData("", 1, kNoToken);
    list->Adopt(adopted);
    EXPECT_EQ(adopted->Count(), 1);
    EXPECT_EQ(list->UpperBound(), 1);
    list->Release();  // destroys the adopted element, lets go of a
    EXPECT_EQ(a->Count(), 1);
}

TEST(LogoList, CopiesShareElementsButNotTheArray) {
    CellRef a = Word("a"), b = Word("b");
    CLogoList* source = MakeList({a.get()});
    CLogoList* copy = CLogoList::CopyOf(*source);
    EXPECT_EQ(copy->Count(), 1);
    EXPECT_EQ(copy->ElementAt(0), a.get());
    EXPECT_EQ(a->Count(), 3);
    source->Add(b.get());
    EXPECT_EQ(copy->Size(), 1u);
    source->Release();
    EXPECT_EQ(copy->ListToString(true, false), "[a]");
    EXPECT_EQ(a->Count(), 1);
    EXPECT_EQ(b->Count(), 1);
}

// An error value held as an element is released with the list; the leak
// checker reports it otherwise.
TEST(LogoList, DestructionReleasesErrorElementsToo) {
    CHandleData* error = MakeError(-3, {"fd"});
    ASSERT_TRUE(IsCell(error));
    Reference(error);
    auto* list = new CLogoList();
    list->Adopt(error);
    list->Adopt(ErrorHandle(-5));  // bare numbers are skipped
    list->Release();
    EXPECT_EQ(error->Count(), 1);
    Release(error);
}

}  // namespace
