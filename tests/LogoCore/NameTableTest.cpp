// The process-wide name table. Other tests share it, so every name here
// carries the name of its test.
#include <gtest/gtest.h>

#include <string>

#include "LogoCore/CellTestSupport.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/NameTable.h"

namespace {

CHandleData* Answer42(CLogoTask*, CHandleData**, int32_t, const std::string&) {
    return new CHandleData("", 42, kNoToken);
}

// A registered name is stored lower-case, and no definition may take it over.
TEST(NameTablePrimitives, LowerCasedAndNeverRedefined) {
    CHandleData* prim = RegisterPrimitive("NameTable_ABC", Answer42, 31001, 1, 0, 0, 0, 2);
    ASSERT_TRUE(IsCell(prim));
    EXPECT_EQ(prim->Name(), "nametable_abc");
    EXPECT_EQ(CellRef(FindName("NameTable_Abc")).get(), prim);
    EXPECT_EQ(RegisterPrimitive("nametable_abc", Answer42, 31001, 5, 1, 1, 3, 2), prim);
    EXPECT_EQ(prim->Primitive().option, 5);  // the later descriptor

    EXPECT_EQ(DefineName("NameTable_Abc", kTypeProcedure, kStateProc), ErrorHandle(-6));
    EXPECT_EQ(LogoErrorOf([] { DefineReal("nametable_abc", 1.5, kStateUser); }).get(),
              ErrorHandle(-6));
    EXPECT_EQ(prim->State(), kStateKeyword);
    CellRef out(prim->Primitive().handler(nullptr, nullptr, 0, "nametable_abc"));
    EXPECT_EQ(out->IntegerValue(), 42);
}

// Entries keep only the first 255 characters of a name, so a longer name
// must still find the entry it made.
TEST(NameTableDefine, EntriesComeBackWithTheTablesReferenceOnlyWhenNew) {
    const std::string prefix = "NameTableDefine_new_";  // 20 characters
    const std::string name = prefix + Repeat("æ", 300);
    CHandleData* cell = DefineInteger(name, 7, kStateGlobal);
    ASSERT_TRUE(IsCell(cell));
    EXPECT_EQ(cell->Count(), 1);
    // Present: changed in place, with one reference for the caller.
    CellRef again(DefineString("NAMETABLEDEFINE_NEW_" + Repeat("Æ", 300), "seven", kStateLocal));
    ASSERT_EQ(again.get(), cell);
    EXPECT_EQ(cell->Count(), 2);
    EXPECT_EQ(cell->Text(), "seven");
    EXPECT_EQ(cell->Name(), prefix + Repeat("æ", 235));         // the first spelling, cut
    EXPECT_EQ(LookupProcedureName(name, kStateUser), nullptr);  // not a procedure kind
    again.reset();
    Release(cell);  // the table's reference was the last: the entry leaves
    EXPECT_EQ(FindName(name), nullptr);
}

// Every value made, entered or not, takes the next token.
TEST(NameTableDefine, UnenteredValuesBelongToTheCallerAndAdvanceTheToken) {
    const int32_t next = PeekNextToken();
    CellRef unnamed(DefineInteger("", 5, kStateUser));
    EXPECT_EQ(unnamed->Token(), next);
    const std::string name = "NameTableDefine_temp";
    CellRef temp(DefineString(name, "t", kStateTemp));
    CellRef error(DefineName(name, kTypeString, kStateError));
    EXPECT_EQ(FindName(name), nullptr);
    CellRef infix(MakeInfixNode(nullptr, Value(1).release(), Value(2).release(), kStateTask));
    EXPECT_EQ(PeekNextToken(), next + 4);
}

// Code read before a procedure's definition keeps the one cell that the
// definition later turns into the procedure.
TEST(NameTableLookup, AProcedureNameBecomesTheProcedure) {
    const std::string name = "NameTableLookup_square";
    CellRef early(LookupProcedureName(name, kStateUser));
    ASSERT_TRUE(IsCell(early.get()));
    EXPECT_EQ(early->Type(), kTypeProcedureName);
    EXPECT_FALSE(IsDefined(name));

    CellRef defined(DefineName(name, kTypeProcedure, kStateProc));
    EXPECT_EQ(defined.get(), early.get());
    EXPECT_EQ(early->Type(), kTypeProcedure);
    EXPECT_TRUE(IsDefined(name));
    EraseName(name);
    EXPECT_EQ(early->Count(), 2);  // ours only: the table let go
}

TEST(NameTableValidName, Rules) {
    for (const std::string bad : {"", "3d", "a b", "a:b", "[x", "x\x7f", "tab\there"})
        EXPECT_FALSE(IsValidName(bad)) << bad;
    EXPECT_FALSE(IsValidName(std::string(256, 'a')));
    EXPECT_TRUE(IsValidName(std::string(255, 'a')));
    EXPECT_TRUE(IsValidName("a.b"));
    EXPECT_TRUE(IsValidName("d3"));
    EXPECT_TRUE(IsValidName(Repeat("ø", 255)));  // 510 bytes, 255 characters
    EXPECT_FALSE(IsValidName(Repeat("ø", 256)));
}

}  // namespace
