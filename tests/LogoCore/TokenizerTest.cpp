// How the reader splits text into numbers, words, variables and list
// elements, seen through the bodies it compiles.
#include <gtest/gtest.h>

#include <utility>

#include "LogoCore/ReaderTestSupport.h"

namespace {

using TokenizerNumbers = ReaderTest;

// A minus is part of a number only after a blank or at the very start.
TEST_F(TokenizerNumbers, MinusIsNegativeOnlyAfterABlank) {
    EXPECT_EQ(Body("tkw 10 -3"), "tkw 10 -3");
    EXPECT_EQ(Body("tkw 10 - 3"), "tkw (- 10 3)");
    EXPECT_EQ(Body("tkw 10-3"), "tkw (- 10 3)");
    EXPECT_EQ(Body("tkw 10 -x"), "tkw (- 10 x)");
    EXPECT_EQ(RenderBody(CompileExactly("-5").get()), "-5");
    EXPECT_EQ(result_, 0);
}

TEST_F(TokenizerNumbers, ExponentsMakeRealsUnfinishedOnesNameProceduresAndLongIntegersWords) {
    EXPECT_EQ(Body("3e2 3E2 1e-2 2.5 .5 7."), "300r 300r 0.01r 2.5r 0.5r 7r");
    EXPECT_EQ(Body("3e 3e+ 3e+)"), "3e 3e+ 3e+)");  // an odd word runs to a blank
    EXPECT_EQ(Entry("3e+")->Type(), kTypeProcedureName);
    EXPECT_EQ(Body("3abc"), "3 abc");
    EXPECT_EQ(Body(". .x"), ". .x");  // the separator alone begins a word
    // Integers beyond 32 bits are words.
    EXPECT_EQ(Body("2147483647 -2147483648 2147483648 -2147483649"),
              "2147483647 -2147483648 '2147483648' '-2147483649'");
}

// A real beyond the range of a 32-bit integer ends the reading at once.
TEST_F(TokenizerNumbers, RealsBeyondTheRangeRaiseAndReportNothing) {
    const std::pair<const char*, double> cases[] = {
        {"rdprint 5 3e10", 3e10},
        {"rdprint [a b] (rdsum 1 (2 + -3.5e10", -3.5e10},
        {"2147483648.5", 2147483648.5},
    };
    for (const auto& [text, value] : cases) {
        SCOPED_TRACE(text);
        CellRef error = LogoErrorOf([&] { Compile(text); });
        ASSERT_TRUE(error);
        EXPECT_EQ(ErrorText(error.get()), ErrorMessage(-64, {platform::FormatGeneral8(value)}));
        EXPECT_TRUE(client_.reported.empty());
    }
}

TEST_F(TokenizerNumbers, DecimalCommaReadsCommaRealsAndSplitsPointOnes) {
    platform::SetDecimalSeparator(',');
    EXPECT_EQ(Body("2,5 -0,25 1,5e1"), "2,5r -0,25r 15r");
    EXPECT_EQ(Body("2.5"), "2 .5");
    EXPECT_EQ(Entry(".5")->Type(), kTypeProcedureName);
}

using TokenizerWords = ReaderTest;

TEST_F(TokenizerWords, QuotedWordsRunToABlankOrAClosingParenthesis) {
    EXPECT_EQ(Body("\"abc] \"a(b"), "'abc]' 'a(b'");
    EXPECT_EQ(Body("(tkw \"abc)"), "{tkw 'abc'}");
    EXPECT_EQ(Body("\" (tkw \")"), "'' {tkw ''}");
    EXPECT_EQ(Body("\"|a b|c \"a|b| \"||"), "'a b' c 'a|b|' ''");
}

// An unclosed bar outside a list becomes an error value that is raised
// only when it is run.
TEST_F(TokenizerWords, UnclosedBarBecomesAnErrorValue) {
    CellRef p = CompileExactly("rdprint \"|a b");
    EXPECT_EQ(result_, 0);
    EXPECT_TRUE(client_.reported.empty());
    ASSERT_EQ(p->Procedure()->BodyLength(), 2);
    EXPECT_EQ(ErrorText(p->Procedure()->Body()[1]), ErrorMessage(-71, {"|"}));
}

TEST_F(TokenizerWords, NamesAndVariablesEndAtDelimiters) {
    EXPECT_EQ(Body("tkw:tkv tkw;comment\n5 tkw<=4 1<>2 1>=2 1>2"),
              "tkw :tkv tkw;comment 5 (<= tkw 4) (<> 1 2) (>= 1 2) (> 1 2)");
    EXPECT_EQ(Body("tkw ; comment to the end\n 5"), "tkw 5");
    EXPECT_EQ(Body("æble\xC2\xA0"
                   "5\xE3\x80\x80"
                   "6"),
              "æble 5 6");  // multibyte spaces
    EXPECT_EQ(Entry("æble")->Type(), kTypeProcedureName);
}

// The reader holds a reference of its own to a variable's entry, so
// releasing what it compiled leaves the table's entry in place.
TEST_F(TokenizerWords, VariablesAreTheSharedNameTableEntries) {
    CellRef first = Compile("rdprint :tkfresh");
    const CHandleData* entry = Entry(":tkfresh");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Type(), kTypeVariable);
    CellRef second = Compile("rdprint :TKFRESH");
    EXPECT_EQ(second->Procedure()->Body()[1], entry);
    const int32_t held = entry->Count();
    first.reset();
    second.reset();
    EXPECT_EQ(Entry(":tkfresh"), entry);
    EXPECT_EQ(entry->Count(), held - 2);
}

using TokenizerLists = ReaderTest;

TEST_F(TokenizerLists, ElementsAreWordsUpToBlanksAndBrackets) {
    EXPECT_EQ(Body("[a+b 10 \"q (x) ;note ] here\n c]"), "['a+b' '10' '\"q' '(x)' 'c']");
    EXPECT_EQ(Body("[a [b c] d] [] [[]]"), "['a' ['b' 'c'] 'd'] [] [[]]");
    // A quotation mark stays part of the word, so its bars stay too.
    EXPECT_EQ(Body("[|a b|c \"|x y| z|]"), "['a b' 'c' '\"|x y|' 'z|']");
    EXPECT_EQ(Body("[a]b"), "['a'] b");  // the list ends where its bracket closes
}

}  // namespace
