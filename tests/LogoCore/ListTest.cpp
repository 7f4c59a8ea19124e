// Logo lists: references, copies and the text form.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "CoreVocabulary.h"
#include "LogoCore/CellTestSupport.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/VariableList.h"
#include "LogoTestPrimitives.h"

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
TEST(LogoList, CopiesAndSlicesShareTheItemsAndKeepThemAlive) {
    CellRef a = Word("a"), b = Word("b"), c = Word("c");
    auto* source = new CLogoList();
    for (CHandleData* cell : {a.get(), b.get(), c.get()}) source->Add(cell);
    CLogoList* copy = CLogoList::CopyOf(*source);
    CLogoList* rest = CLogoList::SliceOf(*copy, 1, 2);  // a slice of a copy
    source->Release();
    ASSERT_EQ(copy->Size(), 3u);
    ASSERT_EQ(rest->Size(), 2u);
    EXPECT_EQ(rest->ElementAt(0), b.get());
    EXPECT_EQ(rest->ElementAt(1), c.get());
    EXPECT_EQ(a->Count(), 2);  // the shared array still holds it
    copy->Release();
    EXPECT_EQ(a->Count(), 2);  // the slice keeps the array
    rest->Release();
    EXPECT_EQ(a->Count(), 1);
}

TEST(LogoList, ErrorElementsGoWithTheListAndASharedListTakesNoMore) {
    auto* list = new CLogoList();
    CHandleData* error = MakeError(-3, {"fd"});
    ASSERT_TRUE(IsCell(error));
    Reference(error);
    list->Adopt(error);
    list->Adopt(ErrorHandle(-5));  // bare error numbers are skipped
    CLogoList* copy = CLogoList::CopyOf(*list);
    EXPECT_THROW(copy->Adopt(ErrorHandle(-5)), InternalError);
    list->Release();
    copy->Release();
    EXPECT_EQ(error->Count(), 1);
    Release(error);
}

}  // namespace

namespace {

std::string Joined(const CLogoList& list) {
    std::string text;
    for (std::size_t i = 0; i < list.Size(); ++i) text += list.ElementAt(i)->Text();
    return text;
}

}  // namespace

// Putting items in front reuses room before a list's items; a list whose
// front slot another list already took is copied instead, so neither list
// sees the other's item.
TEST(LogoList, PuttingInFrontOfOneListTwiceGivesTwoIndependentLists) {
    CellRef a = Word("a"), b = Word("b"), x = Word("x"), y = Word("y");
    auto* empty = new CLogoList();
    Reference(b.get());
    CLogoList* tail = CLogoList::WithFirst(b.get(), *empty);  // [b]
    Reference(a.get());
    CLogoList* ab = CLogoList::WithFirst(a.get(), *tail);  // [a b], in tail's room
    Reference(x.get());
    CLogoList* xb = CLogoList::WithFirst(x.get(), *tail);  // the slot is taken: a copy
    Reference(y.get());
    CLogoList* yab = CLogoList::WithFirst(y.get(), *ab);
    EXPECT_EQ(Joined(*tail), "b");
    EXPECT_EQ(Joined(*ab), "ab");
    EXPECT_EQ(Joined(*xb), "xb");
    EXPECT_EQ(Joined(*yab), "yab");
    for (CLogoList* list : {empty, tail, ab, xb, yab}) list->Release();
    for (const CellRef& cell : {std::cref(a), std::cref(b), std::cref(x), std::cref(y)})
        EXPECT_EQ(cell.get()->Count(), 1);
}

TEST(LogoList, ConcurrencyOfTasksPuttingInFrontOfOneList) {
    CellRef base = Word("z");
    auto* empty = new CLogoList();
    Reference(base.get());
    CLogoList* shared = CLogoList::WithFirst(base.get(), *empty);
    std::vector<std::thread> threads;
    std::vector<CLogoList*> results(4, nullptr);
    std::vector<CellRef> items;
    for (const char* letter : {"a", "b", "c", "d"}) items.push_back(Word(letter));
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            Reference(items[t].get());
            results[t] = CLogoList::WithFirst(items[t].get(), *shared);
        });
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(Joined(*results[t]), std::string(1, static_cast<char>('a' + t)) + "z");
        results[t]->Release();
    }
    shared->Release();
    empty->Release();
    EXPECT_EQ(base.get()->Count(), 1);
}

// A list nested far deeper than any thread's stack is freed, written,
// compared, copied and counted without running out of stack; this runs on
// the test's own thread, whose stack is the smallest.
TEST(LogoList, AListNestedAMillionDeepIsHandledLikeAnyOther) {
    UseCoreVocabulary();
    constexpr int kDepth = 1000000;
    CellRef a = Word("a");
    CellRef deep = ListOf({a.get()});
    for (int i = 0; i < kDepth; ++i) deep = ListOf({deep.get()});
    SetVariable(GlobalScope(), ":deep", deep.release(), kStateGlobal);

    const std::string text = std::string(kDepth + 1, '[') + "a" + std::string(kDepth + 1, ']');
    EXPECT_TRUE(RunLogo("print :deep") == text + "\r\n");
    EXPECT_EQ(RunLogo("make \"copy :deep print count :copy print :copy = [[a]]"), "1\r\nfalse\r\n");
    // An unused value is named in the error by its printed text (cut short).
    EXPECT_NE(RunLogo(":deep 1").find(text.substr(0, 1000)), std::string::npos);
    EXPECT_EQ(RunLogo("make \"copy 0 make \"deep 0 print :deep"), "0\r\n");
    EXPECT_EQ(a->Count(), 1) << "every level was freed";
}

// Tasks letting go of lists that share a deep tail at once: each frees its
// own levels, and whichever lets go of the tail last frees it too.
TEST(LogoList, ConcurrencyOfTasksFreeingListsThatShareADeepTail) {
    constexpr int kDepth = 10000;
    CellRef a = Word("a");
    CellRef tail = ListOf({a.get()});
    for (int i = 0; i < kDepth; ++i) tail = ListOf({tail.get()});
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([own = ListOf({tail.get()})]() mutable {
            for (int i = 0; i < kDepth; ++i) own = ListOf({own.get()});
            own.reset();
        });
    tail.reset();
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(a->Count(), 1);
}

// Items that were variables (a loop's counter, a procedure's input) keep the
// value of their round or call, under the name they share with it; and a
// scope a call leaves, taken again by the next call, keeps none of its
// variables.
TEST(LogoList, ItemsThatWereVariablesKeepTheirValuesAndLeftScopesKeepNone) {
    UseCoreVocabulary();
    ASSERT_EQ(
        Define("to gather :n :l\nif :n = 0 [output :l]\noutput gather :n - 1 fput :n :l\nend\n"
               "to peekn\noutput thing \"n\nend\n"),
        "");
    EXPECT_EQ(RunLogo("make \"l [] dotimes [i 5] [make \"l fput :i :l] print :l"),
              "[5 4 3 2 1]\r\n");
    EXPECT_EQ(RunLogo("make \"n \"global print gather 3 [] print peekn"), "[1 2 3]\r\nglobal\r\n");
    RemoveProcedures();  // gather names itself: the removal breaks the cycle
}
