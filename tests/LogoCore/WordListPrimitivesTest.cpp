// The word and list primitives under their shipped names, and printing.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "CoreVocabulary.h"
#include "LogoCore/CellTestSupport.h"
#include "LogoCore/NameTable.h"
#include "LogoTestPrimitives.h"

namespace {

class WordsTest : public ::testing::Test {
  protected:
    void SetUp() override { UseCoreVocabulary(); }
};

class ListsTest : public WordsTest {};

// The registered handler called directly: it owns the inputs it is given.
CellRef CallHandler(const std::string& name, std::vector<CHandleData*> inputs) {
    CHandleData* primitive = FindName(name);
    EXPECT_TRUE(IsCell(primitive) && primitive->Type() == kTypePrimitive) << name;
    inputs.push_back(nullptr);
    const PrimitiveDescriptor& d = primitive->Primitive();
    return CellRef(d.handler(nullptr, inputs.data(), d.option, name));
}

std::string WrongInput(const std::string& name, const std::string& text) {
    return Message(-4, {name, text});
}

// Each expression's value (or error text) against the expected text.
void ExpectValues(const std::vector<std::pair<std::string, std::string>>& cases) {
    for (const auto& [expression, expected] : cases) EXPECT_EQ(EvalLogo(expression), expected);
}

TEST_F(WordsTest, FirstLastItemAndButFirstTakeCharactersOfTheText) {
    ExpectValues({{"first \"abc", "a"},
                  {"last \"abc", "c"},
                  {"item 3 \"abc", "c"},
                  {"bf \"abc", "bc"},
                  {"bl \"abc", "ab"},
                  {"count 12.5", "4"},
                  {"empty? bf \"a", "true"},
                  {"item 4 \"abc", WrongInput("item", "4")},
                  {"item 0 \"abc", WrongInput("item", "0")},
                  {"first \"", WrongInput("first", "")},
                  {"last \"", WrongInput("last", "")},
                  {"bf \"", WrongInput("bf", "\"")},
                  {"butlast \"", WrongInput("butlast", "\"")}});
}

TEST_F(WordsTest, AnAccentedLetterIsOneCharacter) {
    ExpectValues({{"count \"café", "4"},
                  {"last \"café", "é"},
                  {"item 2 \"çé", "é"},
                  {"item 3 \"çé", WrongInput("item", "3")},
                  {"item 2 12.5", "2"},
                  {"bl \"café", "caf"},
                  {"bf \"éa", "a"}});
}

TEST_F(WordsTest, AsciiAndCharConvertCodesUpTo255) {
    ExpectValues({{"ascii \"A", "65"},
                  {"ascii \"é", "233"},
                  {"char 65", "A"},
                  {"char 233", "é"},
                  {"char 0", WrongInput("char", "0")},
                  {"char 256", WrongInput("char", "256")},
                  {"ascii \"€", WrongInput("ascii", "€")}});
}

// Not raised: the error is the output, a value like any other.
TEST_F(WordsTest, AsciiOfTwoLettersAndMemberOfAListInAWordOutputErrorValues) {
    CellRef ascii = CallHandler("ascii", {Word("ab").release()});
    EXPECT_TRUE(IsError(ascii.get()));
    EXPECT_EQ(GetString(ascii.get(), false), WrongInput("ascii", "ab"));
    CellRef member = CallHandler("member?", {ListOf({}).release(), Word("abc").release()});
    EXPECT_TRUE(IsError(member.get()));
    EXPECT_EQ(GetString(member.get(), false), WrongInput("member?", "[]"));
}

TEST_F(WordsTest, MemberWordParseAndNumberTest) {
    ExpectValues({{"member? \"bc \"abcd", "true"},
                  {"member? \"BC \"abcd", "false"},
                  {"(word \"a 1 [b [c]] [])", "a1b [c]"},
                  {"parse (word \"|  a| char 9 char 9 \"b char 13 char 10 \"c \"| |)", "[a b c]"},
                  {"parse \"|   |", "[]"},
                  {"parse [a b]", WrongInput("parse", "[a b]")},
                  {"number? \"3.5", "true"},
                  {"number? \"abc", "false"},
                  {"number? \"12abc", "false"},
                  {"number? [1]", "false"},
                  {"list? []", "true"},
                  {"word? 3", "true"},
                  {"word? [a]", "false"}});
}

TEST_F(ListsTest, FirstLastAndItemOutputItemsWithoutBars) {
    const std::string barred = "(list (word char 124 \"x char 124) \"y)";
    ExpectValues({{"first [a b c]", "a"},
                  {"item 2 [a [b c]]", "[b c]"},
                  {"item 4 [a b c]", WrongInput("item", "4")},
                  {"empty? []", "true"},
                  {barred, "[|x| y]"},
                  {"first " + barred, "x"},
                  {"item 1 " + barred, "x"}});
    for (const std::string name : {"first", "last", "bf", "butlast"})
        EXPECT_EQ(EvalLogo(name + " []"), WrongInput(name, "[]"));
    // Printed as shown; print (and pr) end the line, type does not.
    EXPECT_EQ(RunLogo("type \"a print [b [c]] pr 2.5"), "a[b [c]]\r\n2.5\r\n");
}

TEST_F(ListsTest, PutInsertAndReplace) {
    ExpectValues({{"fput \"a [b c]", "[a b c]"},
                  {"lput [x] [b c]", "[b c [x]]"},
                  {"lput \"a \"b", WrongInput("lput", "b")},
                  {"insertitem 4 [a b c] \"d", "[a b c d]"},
                  {"insertitem 1 [a b c] \"d", "[d a b c]"},
                  {"insertitem 5 [a b c] \"d", WrongInput("insertitem", "5")},
                  {"insertitem 0 [a b c] \"d", WrongInput("insertitem", "0")},
                  {"replaceitem 3 [a b c] \"d", "[a b d]"},
                  {"replaceitem 4 [a b c] \"d", WrongInput("replaceitem", "4")},
                  {"replaceitem 1 \"abc \"d", WrongInput("replaceitem", "abc")}});
}

TEST_F(ListsTest, SearchesIgnoreCaseAndMatchListsOnlyWithLists) {
    ExpectValues({{"position \"B [a b c b]", "2"},
                  {"remove \"B [a b c b]", "[a c b]"},
                  {"position [b] [a b [B]]", "3"},
                  {"remove \"q [a]", Message(-27, {"q"})},
                  {"position [b] [b]", Message(-27, {"[b]"})},
                  {"member? \"A [a b]", "true"},
                  {"member? [b] [b]", "false"},
                  {"member? [b] [a [B]]", "true"}});
}

TEST_F(ListsTest, ListKeepsInputsWholeSentenceFlattensOneLevel) {
    ExpectValues({{"(list \"a [b] 3)", "[a [b] 3]"},
                  {"se [a [b]] [c]", "[a [b] c]"},
                  {"(se \"a 1 [] [d])", "[a 1 d]"}});
}

// New lists share the input's element cells and never change its list.
TEST_F(ListsTest, OutputsAreNewListsSharingTheItems) {
    CellRef a = Word("a"), b = Word("b"), c = Word("c");
    CellRef input = ListOf({a.get(), b.get(), c.get()});
    const auto call = [&](const std::string& name, std::vector<CHandleData*> before,
                          std::vector<CHandleData*> after = {}) {
        Reference(input.get());
        before.push_back(input.get());
        before.insert(before.end(), after.begin(), after.end());
        CellRef result = CallHandler(name, before);
        EXPECT_EQ(input->ListValue()->Size(), 3u) << name;
        return GetString(result.get(), false);
    };
    EXPECT_EQ(call("bf", {}), "[b c]");
    EXPECT_EQ(call("bl", {}), "[a b]");
    EXPECT_EQ(call("fput", {Word("x").release()}), "[x a b c]");
    EXPECT_EQ(call("lput", {Word("x").release()}), "[a b c x]");
    EXPECT_EQ(call("insertitem", {Value(2).release()}, {Word("x").release()}), "[a x b c]");
    EXPECT_EQ(call("replaceitem", {Value(2).release()}, {Word("x").release()}), "[a x c]");
    EXPECT_EQ(call("remove", {Word("b").release()}), "[a c]");
    EXPECT_EQ(GetString(input.get(), false), "[a b c]");
    EXPECT_EQ(b->Count(), 2);  // the outputs let their references go

    Reference(input.get());
    CellRef rest = CallHandler("bf", {input.get()});
    EXPECT_EQ(rest->ListValue()->ElementAt(0), b.get());
}

}  // namespace
