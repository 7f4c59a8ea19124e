// Logo lists: references, copies and the text form.
#include <gtest/gtest.h>

#include "LogoCore/CellTestSupport.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"

namespace {

TEST(LogoList, TextFormFromAFirstIndex) {
    EXPECT_EQ((new CLogoList())->ListToString(true, false), "[]");
    CellRef a = Word("a"), b = Word("b"), c = Word("c");
    auto* list = new CLogoList();
    for (CHandleData* e : {a.get(), b.get(), c.get()}) list->Add(e);
    EXPECT_EQ(list->ListToString(false, false, 1), "[b c]");
    EXPECT_EQ(list->ListToString(false, false, 3), "[]");
    EXPECT_EQ(b->Count(), 2);  // printing releases what GetAt referenced
    EXPECT_EQ(list->ListToString(true, false), "[a b c]");  // and releases the list
    EXPECT_EQ(a->Count(), 1);
}

// Copies share the elements, never the array.
TEST(LogoList, CopiesShareElementsAndErrorElementsAreReleasedToo) {
    CellRef a = Word("a"), b = Word("b");
    auto* source = new CLogoList();
    source->Add(a.get());
    CLogoList* copy = CLogoList::CopyOf(*source);
    EXPECT_EQ(a->Count(), 3);
    source->Add(b.get());
    EXPECT_EQ(copy->Size(), 1u);
    source->Release();
    EXPECT_EQ(b->Count(), 1);

    // An error value element goes with the list (the leak checker would
    // report it); bare error numbers are skipped.
    CHandleData* error = MakeError(-3, {"fd"});
    ASSERT_TRUE(IsCell(error));
    copy->Adopt(error);
    copy->Adopt(ErrorHandle(-5));
    copy->Release();
    EXPECT_EQ(a->Count(), 1);
}

}  // namespace
