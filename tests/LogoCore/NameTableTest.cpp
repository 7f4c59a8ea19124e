// The process-wide name table. Other tests share it, so every name here
// carries the name of its test.
#include <gtest/gtest.h>

#include <string>

#include "LogoCore/CellTestSupport.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/NameTable.h"

namespace {

CHandleData* Answer42(CLogoTask*, CHandleData**, int32_t, const std::string&) {
    return new CHandleData("", 42, kNoToken);
}

TEST(NameTableRegister, StoresLowerCaseAndKeepsTheLaterDescriptor) {
    CHandleData* prim = RegisterPrimitive("NameTableRegister_ABC", Answer42, 31001, 1, 0, 0, 0, 2);
    ASSERT_TRUE(IsCell(prim));
    EXPECT_EQ(prim->Name(), "nametableregister_abc");
    EXPECT_EQ(prim->Type(), kTypePrimitive);
    EXPECT_EQ(prim->State(), kStateKeyword);
    EXPECT_EQ(prim->Token(), 31001);

    CellRef found(FindName("NameTableRegister_Abc"));
    EXPECT_EQ(found.get(), prim);

    EXPECT_EQ(RegisterPrimitive("nametableregister_abc", Answer42, 31001, 5, 1, 1, 3, 2), prim);
    EXPECT_EQ(prim->Primitive().option, 5);
    EXPECT_EQ(prim->Primitive().maxInputs, 3);
}

TEST(NameTableDefine, APrimitivesNameIsRefused) {
    CHandleData* prim = RegisterPrimitive("nametabledefine_prim", Answer42, 31002, 0, 0, 0, 0, 0);
    ASSERT_TRUE(IsCell(prim));
    const std::string name = "NameTableDefine_Prim";
    EXPECT_EQ(DefineName(name, kTypeProcedure, kStateProc), ErrorHandle(-6));
    EXPECT_EQ(DefineInteger(name, 1, kStateUser), ErrorHandle(-6));
    EXPECT_EQ(DefineList(name, nullptr, kStateUser), ErrorHandle(-6));
    CellRef error = LogoErrorOf([&] { DefineReal(name, 1.5, kStateUser); });
    EXPECT_EQ(error.get(), ErrorHandle(-6));
    // Still the same primitive, still callable.
    EXPECT_EQ(prim->Type(), kTypePrimitive);
    EXPECT_EQ(prim->State(), kStateKeyword);
    CellRef out(prim->Primitive().handler(nullptr, nullptr, 0, name));
    EXPECT_EQ(out->IntegerValue(), 42);
}

TEST(NameTableDefine, NewEntriesComeBackWithTheTablesReferenceOnly) {
    const std::string name = "NameTableDefine_new";
    CHandleData* cell = DefineInteger(name, 7, kStateGlobal);
    ASSERT_TRUE(IsCell(cell));
    EXPECT_GE(cell->Token(), kFirstUserToken);
    EXPECT_EQ(cell->Count(), 1);
    EXPECT_EQ(cell->State(), kStateGlobal);

    // Present: changed in place, with one reference for the caller.
    CHandleData* again = DefineString("NAMETABLEDEFINE_NEW", "seven", kStateLocal);
    ASSERT_EQ(again, cell);
    EXPECT_EQ(cell->Count(), 2);
    EXPECT_EQ(cell->Text(), "seven");
    EXPECT_EQ(cell->State(), kStateLocal);
    EXPECT_EQ(cell->Name(), name);  // the first spelling stays
    Release(again);

    EraseName(name);
    EXPECT_EQ(FindName(name), nullptr);
}

TEST(NameTableDefine, UnenteredCellsBelongToTheCaller) {
    const int32_t next = PeekNextToken();
    CellRef unnamed(DefineInteger("", 5, kStateUser));
    EXPECT_EQ(unnamed->Token(), next);
    EXPECT_EQ(PeekNextToken(), next + 1);
    EXPECT_EQ(unnamed->Count(), 1);

    CellRef real(DefineReal("", 1.234567891, kStateUser));  // rounded on the way in
    EXPECT_DOUBLE_EQ(real->RealValue(), 1.23456789);

    const std::string name = "NameTableDefine_temp";
    CellRef temp(DefineString(name, "t", kStateTemp));
    EXPECT_EQ(temp->State(), kStateTemp);
    EXPECT_EQ(FindName(name), nullptr);
    CellRef error(DefineName(name, kTypeString, kStateError));
    EXPECT_EQ(FindName(name), nullptr);

    const int32_t beforeNode = PeekNextToken();
    CellRef infix(MakeInfixNode(nullptr, Int(1).release(), Int(2).release(), kStateTask));
    EXPECT_EQ(infix->State(), kStateTask);
    EXPECT_EQ(infix->Token(), beforeNode);
    EXPECT_EQ(PeekNextToken(), beforeNode + 1);
}

// Entries keep only the first 255 characters of a name, so a longer name
// must still find the entry it made.
TEST(NameTableDefine, ALongNameFindsItsCutEntry) {
    std::string name = "NameTableDefine_long_";
    for (int i = 0; i < 300; ++i) name += "æ";
    CHandleData* cell = DefineInteger(name, 1, kStateGlobal);
    ASSERT_TRUE(IsCell(cell));
    CellRef again(DefineInteger(name, 2, kStateGlobal));
    EXPECT_EQ(again.get(), cell);
    EXPECT_EQ(cell->IntegerValue(), 2);
    CellRef found(FindName(name));
    EXPECT_EQ(found.get(), cell);
    found.reset();
    again.reset();
    EraseName(name);
    EXPECT_EQ(FindName(name), nullptr);
}

// Code read before a procedure's definition keeps the one cell that the
// definition later turns into the procedure.
TEST(NameTableLookup, AProcedureNameBecomesTheProcedure) {
    const std::string name = "NameTableLookup_square";
    CellRef early(LookupProcedureName(name, kStateUser));
    ASSERT_TRUE(IsCell(early.get()));
    EXPECT_EQ(early->Type(), kTypeProcedureName);
    EXPECT_EQ(early->Count(), 2);  // the table's and ours
    EXPECT_FALSE(IsDefined(name));

    CellRef defined(DefineName(name, kTypeProcedure, kStateProc));
    EXPECT_EQ(defined.get(), early.get());
    EXPECT_EQ(early->Type(), kTypeProcedure);
    EXPECT_TRUE(IsDefined(name));
    CellRef again(LookupProcedureName("NAMETABLELOOKUP_SQUARE", kStateUser));
    EXPECT_EQ(again.get(), early.get());

    EraseName(name);
    EXPECT_EQ(FindName(name), nullptr);
    EXPECT_EQ(early->Count(), 3);  // ours only: the table let go
}

TEST(NameTableLookup, OtherKindsAreNotProcedureNames) {
    const std::string name = ":NameTableLookup_var";
    CHandleData* variable = DefineName(name, kTypeVariable, kStateGlobal);
    ASSERT_TRUE(IsCell(variable));
    const int32_t token = variable->Token();
    EXPECT_EQ(LookupProcedureName(name, kStateUser), nullptr);
    EXPECT_EQ(variable->Count(), 1);
    EXPECT_TRUE(IsDefined(name));

    // The last reference gone, the name leaves the table; it is made anew.
    Release(variable);
    EXPECT_EQ(FindName(name), nullptr);
    CHandleData* remade = DefineName(name, kTypeVariable, kStateGlobal);
    EXPECT_GT(remade->Token(), token);
    Release(remade);
}

TEST(NameTableValidName, Rules) {
    EXPECT_FALSE(IsValidName(""));
    EXPECT_FALSE(IsValidName("3d"));
    EXPECT_FALSE(IsValidName("a b"));
    EXPECT_FALSE(IsValidName("a:b"));
    EXPECT_FALSE(IsValidName("[x"));
    EXPECT_FALSE(IsValidName("x\x7f"));
    EXPECT_FALSE(IsValidName("tab\there"));
    EXPECT_FALSE(IsValidName(std::string(256, 'a')));
    EXPECT_TRUE(IsValidName(std::string(255, 'a')));
    EXPECT_TRUE(IsValidName("a.b"));
    EXPECT_TRUE(IsValidName("d3"));
    EXPECT_TRUE(IsValidName("æble"));
    std::string danish;
    for (int i = 0; i < 255; ++i) danish += "ø";  // 510 bytes, 255 characters
    EXPECT_TRUE(IsValidName(danish));
    EXPECT_FALSE(IsValidName(danish + "ø"));
}

}  // namespace
