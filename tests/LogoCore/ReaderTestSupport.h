// Reading text in the reader's tests: the primitives the reader relies on,
// a client that records what is reported, and a compact text form of
// compiled bodies so that a whole body is checked in one comparison.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "LogoCore/CellTestSupport.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/LogoProcedure.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/Parser.h"
#include "LogoCore/Primitives.h"
#include "platform/NumberText.h"
#include "platform/TextCatalog.h"

class RecordingClient final : public CParserClient {
  public:
    void ReportError(CHandleData* error) override { reported.emplace_back(error); }
    std::vector<CellRef> reported;
};

// The opening and closing words and the operators go by their shipped
// spellings and are left as they are when another test registered them
// (with working handlers); print, sum and repeat get names of their own.
inline void RegisterReaderPrimitives() {
    struct Row {
        const char* name;
        int32_t token;
        int32_t inputs;
        bool shared;
    };
    static constexpr Row kRows[] = {
        {"to", 1, 0, true},      {"end", 2, 0, true},         {"rdprint", 20, 1, false},
        {"rdsum", 60, 2, false}, {"rdrepeat", 114, 2, false}, {"+", 88, 2, true},
        {"-", 89, 2, true},      {"*", 90, 2, true},          {"/", 91, 2, true},
        {"<", 92, 2, true},      {">", 93, 2, true},          {"=", 94, 2, true},
        {"<=", 95, 2, true},     {">=", 96, 2, true},         {"<>", 97, 2, true},
    };
    for (const Row& row : kRows) {
        if (row.shared) {
            CHandleData* known = FindToken(row.token);
            Release(known);
            if (known) continue;
        }
        ASSERT_TRUE(IsCell(RegisterPrimitive(row.name, PrimitiveNothing, row.token, 0, row.inputs,
                                             row.inputs, row.inputs, 0)));
    }
}

// Items: primitives, procedures and names by name, integers as digits,
// reals with an r, words in single quotes, lists in brackets, infix nodes
// as (op left right) with _ for no operator, calls as {callee arguments},
// error values as !text.
inline std::string Render(const CHandleData* h) {
    if (!h) return "null";
    if (IsErrorNumber(h)) return "!" + std::to_string(ErrorNumberOf(h));
    if (h->State() == kStateError) {
        std::string text = h->Text();
        if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
            text.resize(text.size() - 2);
        return "!" + text;
    }
    switch (h->Type()) {
        case kTypePrimitive:
        case kTypeProcedure:
        case kTypeProcedureName:
        case kTypeVariable:
            return h->Name();
        case kTypeInteger:
            return std::to_string(h->IntegerValue());
        case kTypeReal:
            return FormatReal(h->RealValue()) + "r";
        case kTypeString:
            return "'" + h->Text() + "'";
        case kTypeList: {
            std::string text = "[";
            const CLogoList* list = h->ListValue();
            for (std::size_t i = 0; i < list->Size(); ++i)
                text += (i ? " " : "") + Render(list->ElementAt(i));
            return text + "]";
        }
        case kTypeInfix:
            return "(" + (h->InfixOperator() ? Render(h->InfixOperator()) : std::string("_")) +
                   " " + Render(h->InfixLeft()) + " " + Render(h->InfixRight()) + ")";
        case kTypeCall: {
            std::string text = "{" + Render(h->Callee());
            for (CHandleData* const* a = h->CallArguments(); *a; ++a) text += " " + Render(*a);
            return text + "}";
        }
        default:
            return "?" + std::to_string(h->Type());
    }
}

inline std::string RenderBody(const CHandleData* procedure) {
    std::string text;
    const CLogoProcedure* p = procedure->Procedure();
    for (int32_t i = 0; i < p->BodyLength(); ++i) text += (i ? " " : "") + Render(p->Body()[i]);
    return text;
}

// The text an error value of that number and those arguments carries.
inline std::string ErrorMessage(int32_t number, const std::vector<std::string>& args) {
    return platform::FormatResource(kErrorMessageBase - number, args) + "\r\n";
}

// The same as an item of a body.
inline std::string Placed(int32_t number, const std::vector<std::string>& args) {
    return "!" + platform::FormatResource(kErrorMessageBase - number, args);
}

class ReaderTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { RegisterReaderPrimitives(); }
    void SetUp() override { platform::SetDecimalSeparator('.'); }
    void TearDown() override { platform::SetDecimalSeparator('.'); }

    // Command mode, as the task compiles text: the text and a line feed
    // become the body of a new anonymous procedure.
    CellRef Compile(std::string_view text, int32_t state = kStateUser) {
        return CompileExactly(std::string(text) + "\n", state);
    }
    CellRef CompileExactly(std::string_view text, int32_t state = kStateUser) {
        CellRef procedure(DefineName("", kTypeProcedure, state));
        parser_.SetDefinitionMode(false);
        parser_.SetTarget(procedure.get());
        result_ = parser_.Parse(text, client_, state);
        parser_.SetTarget(nullptr);
        return procedure;
    }
    std::string Body(std::string_view text) { return RenderBody(Compile(text).get()); }

    // Definition mode, as the procedures page is read.
    int Define(std::string_view text) {
        parser_.SetDefinitionMode(true);
        parser_.SetTarget(nullptr);
        result_ = parser_.Parse(text, client_, kStateProc);
        parser_.SetDefinitionMode(false);
        return result_;
    }

    // The text of the one error reported, empty when none was.
    std::string Reported() {
        EXPECT_LE(client_.reported.size(), 1u);
        return client_.reported.empty() ? std::string() : ErrorText(client_.reported[0].get());
    }

    // The entry of a name, or null; without keeping a reference.
    static const CHandleData* Entry(std::string_view name) {
        CHandleData* entry = FindName(name);
        Release(entry);
        return entry;
    }

    CParser parser_;
    RecordingClient client_;
    int result_ = -1;
};
