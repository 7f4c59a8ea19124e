// Error values: wording them from the resource library, and their texts.
#include <gtest/gtest.h>

#include <string>

#include "LogoCore/CellTestSupport.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "platform/TextCatalog.h"
#include "platform/Utf8.h"

namespace {

// An error number the catalog has no message for.
constexpr int32_t kUnworded = -99;

TEST(MakeError, FillsTheMessageAndEndsTheLine) {
    CellRef error(MakeError(-3, {"forward"}));
    ASSERT_TRUE(IsCell(error.get()));
    EXPECT_EQ(error->Type(), kTypeString);
    EXPECT_EQ(error->State(), kStateError);
    EXPECT_EQ(error->Name(), "");
    EXPECT_EQ(error->Token(), kNoToken);
    EXPECT_EQ(error->Count(), 1);
    EXPECT_EQ(error->Text(), Filled(20003, {"forward"}) + "\r\n");
    EXPECT_TRUE(IsError(error.get()));

    // A template without placeholders is used as it stands.
    ASSERT_EQ(platform::ResourceText(20005).find('%'), std::string::npos);
    CellRef plain(MakeError(-5, {"ignored"}));
    EXPECT_EQ(plain->Text(), platform::ResourceText(20005) + "\r\n");
}

TEST(MakeError, SignalsAndZeroComeBackUnchanged) {
    EXPECT_EQ(MakeError(0), nullptr);
    EXPECT_EQ(MakeError(kErrorOutputSignal), ErrorHandle(-24));
    EXPECT_EQ(MakeError(kErrorStopRequest, {"x"}), ErrorHandle(-65));
}

TEST(MakeError, MissingMessageIsNumbered) {
    ASSERT_FALSE(platform::ResourceLibrary().Has(20000 - kUnworded));
    CellRef error(MakeError(kUnworded));
    EXPECT_EQ(error->Text(), "Error -99\r\n");
    EXPECT_EQ(ErrorText(ErrorHandle(kUnworded)), "Error -99\r\n");
}

// The evaluator words a conversion's error again with the primitive's name;
// the old value goes, and the line still ends only once.
TEST(MakeError, WordingAnErrorValueAgain) {
    CHandleData* first = MakeError(-4, {"%1", "12abc"});
    Reference(first);
    CellRef second(MakeError(first, {"sum"}));
    EXPECT_EQ(second->Text(), Filled(20004, {"sum", "12abc"}) + "\r\n");
    EXPECT_EQ(first->Count(), 1);
    Release(first);

    CellRef twice(MakeError(MakeError(MakeError(-3, {"fd"}))));
    EXPECT_EQ(twice->Text(), Filled(20003, {"fd"}) + "\r\n");
}

// Long arguments are cut to 4096 characters, never inside one.
TEST(MakeError, LongMessagesAreCutOnACharacterBoundary) {
    std::string argument;
    for (int i = 0; i < 5000; ++i) argument += "é";
    CellRef error(MakeError(-3, {argument}));
    const std::string& text = error->Text();
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    const std::string message = text.substr(0, text.size() - 2);
    EXPECT_EQ(platform::CountCharacters(message), 4096u);
    EXPECT_EQ(message.substr(message.size() - 2), "é");
    EXPECT_TRUE(message == platform::FirstCharacters(Filled(20003, {argument}), 4096));
}

TEST(ErrorText, WhatIsShownForEachKindOfHandle) {
    EXPECT_EQ(ErrorText(nullptr), "");
    EXPECT_EQ(ErrorText(Int(3).get()), "");
    EXPECT_EQ(ErrorText(ErrorHandle(kErrorOutputSignal)), "");
    EXPECT_EQ(ErrorText(ErrorHandle(kErrorStopRequest)), "");
    EXPECT_EQ(ErrorText(ErrorHandle(-3)), platform::ResourceText(20003));
    CellRef error(MakeError(-1, {"foo"}));
    EXPECT_EQ(ErrorText(error.get()), Filled(20001, {"foo"}) + "\r\n");
}

TEST(Raising, NumbersValuesAndInternalFaults) {
    CellRef bare = LogoErrorOf([] { RaiseError(-8); });
    EXPECT_EQ(bare.get(), ErrorHandle(-8));
    CellRef worded = LogoErrorOf([] { RaiseError(-3, {"back"}); });
    ASSERT_TRUE(IsCell(worded.get()));
    EXPECT_EQ(worded->Text(), Filled(20003, {"back"}) + "\r\n");
    EXPECT_EQ(InternalErrorOf([] { RaiseInternal("L0029 oops"); }), "L0029 oops");
    EXPECT_FALSE(IsError(nullptr));
    EXPECT_TRUE(IsError(ErrorHandle(-1)));
}

}  // namespace
