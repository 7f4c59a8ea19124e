// Error values: wording them from the resource library, and their texts.
#include <gtest/gtest.h>

#include <string>

#include "LogoCore/CellTestSupport.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "platform/TextCatalog.h"
#include "platform/Utf8.h"

namespace {

TEST(MakeError, FillsTheMessageCutOnACharacterBoundaryAndEndsTheLine) {
    CellRef error(MakeError(-3, {"forward"}));
    ASSERT_TRUE(IsCell(error.get()));
    EXPECT_EQ(error->State(), kStateError);
    EXPECT_EQ(error->Count(), 1);
    EXPECT_EQ(error->Text(), Filled(20003, {"forward"}) + "\r\n");
    EXPECT_TRUE(IsError(error.get()));
    EXPECT_TRUE(IsError(ErrorHandle(-1)));
    EXPECT_FALSE(IsError(nullptr));
    EXPECT_EQ(MakeError(kErrorStopRequest, {"x"}), ErrorHandle(kErrorStopRequest));

    // What is shown: nothing for values and signals, a number when the
    // library has no message.
    EXPECT_EQ(ErrorText(Value(3).get()), "");
    EXPECT_EQ(ErrorText(ErrorHandle(kErrorOutputSignal)), "");
    ASSERT_FALSE(platform::ResourceLibrary().Has(20099));
    EXPECT_EQ(ErrorText(ErrorHandle(-99)), "Error -99\r\n");
    EXPECT_EQ(CellRef(MakeError(-99))->Text(), "Error -99\r\n");

    // Long messages are cut to 4096 characters, never inside one.
    CellRef longError(MakeError(-3, {Repeat("é", 5000)}));
    const std::string& text = longError->Text();
    EXPECT_EQ(platform::CountCharacters(text), 4098u);
    EXPECT_EQ(text.substr(text.size() - 4), "é\r\n");
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
    // Only one line end comes off: a message ending in an empty line keeps it.
    EXPECT_EQ(CellRef(MakeError(Word("abc\r\n\r\n").release()))->Text(), "abc\r\n\r\n");
}

}  // namespace
