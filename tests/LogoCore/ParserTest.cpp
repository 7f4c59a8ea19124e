// What the reader builds from instructions and definitions, and how each
// kind of error ends a reading.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "LogoCore/ReaderTestSupport.h"

namespace {

using ReaderBodies = ReaderTest;

TEST_F(ReaderBodies, InstructionsStayFlatAndOnlyExpressionsAreBuilt) {
    EXPECT_EQ(Body("rdrepeat 4 [a 10 b 90]"), "rdrepeat 4 ['a' '10' 'b' '90']");
    EXPECT_EQ(Body("rdprint 3 + 4 * 2"), "rdprint (+ 3 (* 4 2))");
    EXPECT_EQ(Body("rdprint :size"), "rdprint :size");
    EXPECT_EQ(Body("(rdsum 1 2 3)"), "{rdsum 1 2 3}");
    EXPECT_EQ(Body("(rdsum)"), "rdsum");
    EXPECT_EQ(result_, 0);
    EXPECT_TRUE(client_.reported.empty());
}

// A call's argument tree is flattened in reading order, an infix argument
// in prefix order.
TEST_F(ReaderBodies, ParenthesisedCallsCollectTheirArguments) {
    EXPECT_EQ(Body("(rdsum 1 + 2 3)"), "{rdsum + 1 2 3}");
    EXPECT_EQ(Body("(rdsum (rdsum 1 2) [x] \"w)"), "{rdsum {rdsum 1 2} ['x'] 'w'}");
    EXPECT_EQ(Body("(1 + 2) * 3"), "(* (+ 1 2) 3)");
}

TEST_F(ReaderBodies, OperatorsBindByPrecedenceAndFromTheLeft) {
    EXPECT_EQ(Body("1 + 2 * 3 < 7"), "(< (+ 1 (* 2 3)) 7)");
    EXPECT_EQ(Body("10 - 4 - 3"), "(- (- 10 4) 3)");
    EXPECT_EQ(Body("8 / 4 * 2"), "(* (/ 8 4) 2)");
    EXPECT_EQ(Body("1 = 2 <> 3 >= 4"), "(>= (<> (= 1 2) 3) 4)");
    EXPECT_EQ(Body("1 < 2 = 3 - 4 / 5"), "(= (< 1 2) (- 3 (/ 4 5)))");
}

// Every cell the reader makes carries the reading state.
TEST_F(ReaderBodies, CellsCarryTheReadingState) {
    CellRef p = Compile("rdstatenew \"w 1 2.5 [a] 1 + 2 (rdsum 1 2)", kStateTask);
    ASSERT_EQ(p->Procedure()->BodyLength(), 7);
    for (int32_t i = 0; i < 7; ++i) EXPECT_EQ(p->Procedure()->Body()[i]->State(), kStateTask) << i;
    EXPECT_EQ(p->Procedure()->Body()[4]->ListValue()->ElementAt(0)->State(), kStateTask);
}

// Code read before a definition calls the procedure once it exists.
TEST_F(ReaderBodies, UndefinedNamesBecomeTheEntryTheirDefinitionFills) {
    CellRef p = Compile("rdsquare 50");
    EXPECT_EQ(RenderBody(p.get()), "rdsquare 50");
    CHandleData* entry = p->Procedure()->Body()[0];
    EXPECT_EQ(entry->Type(), kTypeProcedureName);
    EXPECT_EQ(Define("to rdsquare :side\nrdprint :side\nend\n"), 0);
    EXPECT_EQ(entry->Type(), kTypeProcedure);
    EXPECT_EQ(Entry("rdsquare"), entry);
    EXPECT_EQ(entry->State(), kStateProc);
}

// Nesting beyond the parser's stack abandons the reading silently.
TEST_F(ReaderBodies, DeepNestingIsAbandonedWithoutAMessage) {
    for (const char* unit : {"(", "[", "(rdsum 1 ", "[a ", "1 + ("}) {
        SCOPED_TRACE(unit);
        CellRef p = Compile(Repeat(unit, 10000));
        EXPECT_EQ(result_, 1);
        EXPECT_TRUE(client_.reported.empty());
    }
    EXPECT_EQ(Body(Repeat("(", 60) + "7" + Repeat(")", 60)), "7");
    EXPECT_EQ(result_, 0);
}

using ReaderErrors = ReaderTest;

TEST_F(ReaderErrors, StatementSyntaxErrorsAreReportedWithTheLastWord) {
    CellRef p = Compile("rdprint 1 )");
    EXPECT_EQ(result_, 1);
    EXPECT_EQ(Reported(), ErrorMessage(-3, {"rdprint"}));
}

TEST_F(ReaderErrors, WithoutAWordTheTokenIsReported) {
    const std::pair<const char*, const char*> cases[] = {
        {") rdprint", ")"}, {"1 +", ""}, {"   ", ""}, {"; only a note", ""}, {"]", "]"}};
    for (const auto& [text, token] : cases) {
        SCOPED_TRACE(text);
        client_.reported.clear();
        Compile(text);
        EXPECT_EQ(result_, 1);
        EXPECT_EQ(Reported(), ErrorMessage(-72, {token}));
    }
}

// In command mode the opening word is a value that fails when run; the
// closing word cannot stand anywhere.
TEST_F(ReaderErrors, DefinitionWordsInCommandMode) {
    EXPECT_EQ(Body("rdprint 1 To rdx"), "rdprint 1 " + Placed(-10, {"To"}) + " rdx");
    EXPECT_EQ(result_, 0);
    Compile("rdprint 1 END");
    EXPECT_EQ(Reported(), ErrorMessage(-3, {"END"}));
}

// Errors placed in the body keep what was read before them and are not
// reported.
TEST_F(ReaderErrors, BracketErrorsArePlacedInTheBody) {
    const std::pair<const char*, std::string> cases[] = {
        {"rdprint 1 ()", ErrorMessage(-72, {")"})},
        {"rdprint 1 ( ]", ErrorMessage(-71, {")"})},
        {"rdprint 1 (rdsum 2", ErrorMessage(-71, {")"})},
        {"rdprint 1 [a [b", ErrorMessage(-71, {"]"})},
        {"rdprint 1 [a |b c", ErrorMessage(-71, {"|"})},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        CellRef p = CompileExactly(text);
        EXPECT_EQ(result_, 1);
        EXPECT_TRUE(client_.reported.empty());
        ASSERT_EQ(p->Procedure()->BodyLength(), 3);
        EXPECT_EQ(RenderBody(p.get()).substr(0, 10), "rdprint 1 ");
        EXPECT_EQ(ErrorText(p->Procedure()->Body()[2]), message);
    }
}

class ReaderDefinitions : public ReaderTest {
  protected:
    void SetUp() override {
        ReaderTest::SetUp();
        RemoveAllWithState(kStateProc);
        RemoveAllWithState(kStateTemp);
    }
    static const CLogoProcedure* Procedure(std::string_view name) {
        const CHandleData* entry = Entry(name);
        return entry && entry->Type() == kTypeProcedure ? entry->Procedure() : nullptr;
    }
};

TEST_F(ReaderDefinitions, HeaderDeclaresInputsAndTheLineEndEndsIt) {
    EXPECT_EQ(Define("to rdmove :speed \"time ; note\r\n rdprint :speed + :time\r\nend\r\n"), 0);
    const CLogoProcedure* move = Procedure("rdmove");
    ASSERT_NE(move, nullptr);
    EXPECT_EQ(move->Name(), "rdmove");
    EXPECT_EQ(move->Inputs(), (std::vector<std::string>{":speed", ":time"}));
    ASSERT_EQ(move->BodyLength(), 2);
    EXPECT_EQ(Render(move->Body()[1]), "(+ :speed :time)");

    EXPECT_EQ(Define("to rdempty\nend"), 0);
    ASSERT_NE(Procedure("rdempty"), nullptr);
    EXPECT_EQ(Procedure("rdempty")->BodyLength(), 0);
    EXPECT_TRUE(client_.reported.empty());
}

TEST_F(ReaderDefinitions, TextBetweenDefinitionsIsDiscarded) {
    EXPECT_EQ(Define("rdprint 5\nto rda\nrdprint 1\nend\n[x] rdprint 7\nto rdb\nrdprint 2\nend"),
              0);
    ASSERT_NE(Procedure("rda"), nullptr);
    ASSERT_NE(Procedure("rdb"), nullptr);
    EXPECT_EQ(Procedure("rda")->BodyLength(), 2);
    EXPECT_EQ(Render(Procedure("rdb")->Body()[1]), "2");
    EXPECT_TRUE(client_.reported.empty());
}

TEST_F(ReaderDefinitions, ErrorsAreReportedAndEarlierDefinitionsStay) {
    const std::pair<const char*, std::string> cases[] = {
        {"to rdok\nend\nto rdopen\nrdprint 1\n", ErrorMessage(-71, {"end"})},
        {"to rdok\nend\nto rdbad\nrdprint )\nend", ErrorMessage(-72, {")"})},
        {"to rdok\nend\nto 3\nend", ErrorMessage(-4, {"to", "3"})},
        {"to rdok\nend\nTO \"|unclosed", ErrorMessage(-71, {"|"})},
        {"to rdok\nend\nend", ErrorMessage(-3, {"end"})},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        RemoveAllWithState(kStateProc);
        client_.reported.clear();
        EXPECT_EQ(Define(text), 1);
        EXPECT_EQ(Reported(), message);
        EXPECT_NE(Procedure("rdok"), nullptr);
    }
}

// A bad input name is placed in the body of the procedure being defined.
TEST_F(ReaderDefinitions, BadInputNamesArePlacedInTheBody) {
    EXPECT_EQ(Define("to rdin :a 5\nrdprint 1\nend"), 1);
    EXPECT_TRUE(client_.reported.empty());
    const CLogoProcedure* in = Procedure("rdin");
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->Inputs(), std::vector<std::string>{":a"});
    ASSERT_EQ(in->BodyLength(), 1);
    EXPECT_EQ(ErrorText(in->Body()[0]), ErrorMessage(-4, {"to", "5"}));
}

// Redefining ends the reading at once; what was defined before stays.
TEST_F(ReaderDefinitions, RedefiningRaises) {
    const std::pair<const char*, const char*> cases[] = {
        {"to rdtwice\nend\nto rdtwice\nend", "rdtwice"},
        {"to rdtwice :x\nend\nto RDPRINT\n", "rdprint"},
    };
    for (const auto& [text, name] : cases) {
        SCOPED_TRACE(text);
        RemoveAllWithState(kStateProc);
        CellRef error = LogoErrorOf([&] { Define(text); });
        ASSERT_TRUE(error);
        EXPECT_EQ(ErrorText(error.get()), ErrorMessage(-21, {name}));
        EXPECT_TRUE(client_.reported.empty());
        EXPECT_NE(Procedure("rdtwice"), nullptr);
        EXPECT_EQ(Entry("rdprint")->Type(), kTypePrimitive);
    }
}

TEST(ReaderBars, BarAndUnbarAreInverses) {
    EXPECT_EQ(Bar("a b"), "|a b|");
    EXPECT_EQ(Bar(""), "");
    EXPECT_EQ(Bar("|a"), "|a");
    EXPECT_EQ(Bar("a|"), "a|");
    EXPECT_EQ(Unbar("|a b| \t"), "a b");
    EXPECT_EQ(Unbar("|"), "|");
    EXPECT_EQ(Unbar("||"), "");
    EXPECT_EQ(Unbar("a |"), "a |");
    EXPECT_EQ(Unbar(Bar(" x ")), " x ");
}

}  // namespace
