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
    for (const char* blank : {"   ", "\t", " ; a note\n\t"}) EXPECT_EQ(Body(blank), "") << blank;
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

// Nesting beyond the parser's stack abandons the reading, and says why.
TEST_F(ReaderBodies, DeepNestingIsAbandonedAndReported) {
    for (const char* unit : {"(", "[", "(rdsum 1 ", "[a ", "1 + ("}) {
        SCOPED_TRACE(unit);
        client_.reported.clear();
        CellRef p = Compile("rdprint " + Repeat(unit, 10000));
        EXPECT_EQ(result_, 1);
        EXPECT_EQ(Reported(), ErrorMessage(-20, {platform::ResourceText(2121)}));
    }
    EXPECT_EQ(Body(Repeat("(", 60) + "7" + Repeat(")", 60)), "7");
    EXPECT_EQ(result_, 0);
}

using ReaderErrors = ReaderTest;

TEST_F(ReaderErrors, StatementSyntaxErrorsSayWhatIsWrong) {
    const auto stray = [](const char* closer, const char* opener) {
        return ErrorMessage(-20, {platform::FormatResource(2120, {closer, opener})});
    };
    const std::pair<const char*, std::string> cases[] = {
        {"rdprint 1 )", stray(")", "(")},
        {"rdprint 1 + 2)", stray(")", "(")},
        {"rdprint ]", stray("]", "[")},
        {"rdprint [a b]]", stray("]", "[")},
        {") rdprint", stray(")", "(")},
        {"rdprint 1 +", ErrorMessage(-3, {"rdprint"})},
        {"1 +", ErrorMessage(-72, {""})},
        {"rdprint 1 END", ErrorMessage(-3, {"END"})},  // the closing word stands nowhere
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        client_.reported.clear();
        Compile(text);
        EXPECT_EQ(result_, 1);
        EXPECT_EQ(Reported(), message);
    }
}

// In command mode the opening word is a value that fails when run.
TEST_F(ReaderErrors, TheOpeningWordInCommandMode) {
    EXPECT_EQ(Body("rdprint 1 To rdx"), "rdprint 1 " + Placed(-10, {"To"}) + " rdx");
    EXPECT_EQ(result_, 0);
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
    // The closing word's absence, named after its definition.
    static std::string MissingEnd(const std::string& name) {
        std::string missing = WithoutLineEnd(ErrorMessage(-71, {"end"}));
        missing.pop_back();  // the full stop
        return ErrorMessage(-23, {missing, name});
    }
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

// Each error is reported with the line it was met on: a missing closing
// word where the text ends.
TEST_F(ReaderDefinitions, ErrorsAreReportedAndEarlierDefinitionsStay) {
    const struct {
        const char* text;
        std::string message;
        int line;
    } cases[] = {
        {"to rdok\nend\nto rdopen\nrdprint 1\n", MissingEnd("rdopen"), 4},
        {"to rdok\nend\nto rdbad\nrdprint 1 + \nend", ErrorMessage(-72, {"end"}), 5},
        {"to rdok\nend\nto rdbad\nrdprint )\nend",
         ErrorMessage(-20, {platform::FormatResource(2120, {")", "("})}), 4},
        {"to rdok\nend\nto 3\nend", ErrorMessage(-4, {"to", "3"}), 3},
        {"to rdok\nend\nTO \"|unclosed", ErrorMessage(-71, {"|"}), 3},
        {"to rdok\nend\n\nend", ErrorMessage(-3, {"end"}), 4},
    };
    for (const auto& [text, message, line] : cases) {
        SCOPED_TRACE(text);
        RemoveAllWithState(kStateProc);
        client_.reported.clear();
        EXPECT_EQ(Define(text), 1);
        EXPECT_EQ(Reported(), message);
        EXPECT_EQ(parser_.ErrorLine(), line);
        EXPECT_NE(Procedure("rdok"), nullptr);
    }
}

// A definition without its closing word ends where the next one begins:
// both are defined, and the missing word is reported with the first.
TEST_F(ReaderDefinitions, AMissingClosingWordLosesNoDefinition) {
    EXPECT_EQ(Define("to rdfoo\nrdprint 1\nto rdbar :x\nrdprint :x\nend\nto rdbaz\nto rdqux\nend"),
              0);
    ASSERT_EQ(client_.reported.size(), 2u);
    EXPECT_EQ(ErrorText(client_.reported[0].get()), MissingEnd("rdfoo"));
    EXPECT_EQ(ErrorText(client_.reported[1].get()), MissingEnd("rdbaz"));
    for (const char* name : {"rdfoo", "rdbar", "rdbaz", "rdqux"})
        EXPECT_NE(Procedure(name), nullptr) << name;
    EXPECT_EQ(Procedure("rdfoo")->BodyLength(), 2);
    EXPECT_EQ(Procedure("rdbar")->Inputs(), std::vector<std::string>{":x"});
    EXPECT_EQ(Procedure("rdbaz")->BodyLength(), 0);
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
    const struct {
        const char* text;
        const char* name;
        int line;
    } cases[] = {
        {"to rdtwice\nend\nto rdtwice\nend", "rdtwice", 3},
        {"to rdtwice :x\nend\n\nto RDPRINT\n", "rdprint", 4},
    };
    for (const auto& [text, name, line] : cases) {
        SCOPED_TRACE(text);
        RemoveAllWithState(kStateProc);
        CellRef error = LogoErrorOf([&] { Define(text); });
        ASSERT_TRUE(error);
        EXPECT_EQ(ErrorText(error.get()), ErrorMessage(-21, {name}));
        EXPECT_EQ(parser_.ErrorLine(), line);
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
