// The three families of primitive rows together make the interpreter's whole
// vocabulary: every token once, in order, with sensible input counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "LogoCore/Primitives.h"
#include "box/BoxPrimitives.h"
#include "project/ProjectPrimitives.h"

namespace {

std::vector<PrimitiveFamily> AllFamilies() {
    return {CorePrimitiveFamily(), BoxPrimitiveFamily(), ProjectPrimitiveFamily()};
}

std::vector<PrimitiveRow> AllNumberedRows() {
    std::vector<PrimitiveRow> rows;
    for (const PrimitiveFamily& family : AllFamilies()) {
        rows.insert(rows.end(), family.numbered.begin(), family.numbered.end());
    }
    return rows;
}

std::vector<NamedPrimitiveRow> AllNamedRows() {
    std::vector<NamedPrimitiveRow> rows;
    for (const PrimitiveFamily& family : AllFamilies()) {
        rows.insert(rows.end(), family.named.begin(), family.named.end());
    }
    return rows;
}

const PrimitiveRow* FindRow(int32_t token) {
    for (const PrimitiveFamily& family : AllFamilies()) {
        for (const PrimitiveRow& row : family.numbered) {
            if (row.token == token) return &row;
        }
    }
    return nullptr;
}

// The vocabulary's token numbers, range by range.
std::vector<int32_t> VocabularyTokens() {
    const std::pair<int32_t, int32_t> ranges[] = {
        {1, 1},     {2, 2},     {10, 17},   {20, 46},   {50, 82},   {100, 118},
        {120, 122}, {130, 130}, {132, 140}, {150, 157}, {159, 166}, {170, 182},
        {190, 204}, {410, 412}, {420, 422}, {430, 434}, {436, 446}, {450, 454},
        {460, 474}, {480, 491}, {500, 514}, {520, 522}, {540, 540}, {560, 564},
    };
    std::vector<int32_t> tokens;
    for (const auto& [first, last] : ranges) {
        for (int32_t token = first; token <= last; ++token) tokens.push_back(token);
    }
    return tokens;
}

}  // namespace

TEST(PrimitiveTables, NumberedTokensAreExactlyTheVocabularyOnceEach) {
    const std::vector<int32_t> expected = VocabularyTokens();
    ASSERT_EQ(expected.size(), 224u);

    std::vector<int32_t> tokens;
    for (const PrimitiveRow& row : AllNumberedRows()) tokens.push_back(row.token);
    std::sort(tokens.begin(), tokens.end());
    EXPECT_EQ(std::adjacent_find(tokens.begin(), tokens.end()), tokens.end())
        << "a token appears twice";
    EXPECT_EQ(tokens, expected);

    EXPECT_EQ(CorePrimitiveFamily().numbered.size(), 105u);
    EXPECT_EQ(BoxPrimitiveFamily().numbered.size(), 21u);
    EXPECT_EQ(ProjectPrimitiveFamily().numbered.size(), 98u);
}

TEST(PrimitiveTables, EachFamilyIsInAscendingTokenOrder) {
    for (const PrimitiveFamily& family : AllFamilies()) {
        for (size_t i = 1; i < family.numbered.size(); ++i) {
            EXPECT_LT(family.numbered[i - 1].token, family.numbered[i].token)
                << "numbered row " << family.numbered[i].token << " out of order";
        }
        for (size_t i = 1; i < family.named.size(); ++i) {
            EXPECT_LT(family.named[i - 1].token, family.named[i].token)
                << "named row " << family.named[i].name << " out of order";
        }
    }
}

TEST(PrimitiveTables, EveryRowHasAHandlerAndOrderedInputCounts) {
    for (const PrimitiveRow& row : AllNumberedRows()) {
        SCOPED_TRACE("token " + std::to_string(row.token));
        EXPECT_NE(row.handler, nullptr);
        EXPECT_EQ(row.precedence, 0);
        EXPECT_GE(row.minInputs, 0);
        EXPECT_LE(row.minInputs, row.defaultInputs);
        EXPECT_LE(row.defaultInputs, row.maxInputs);
    }
    for (const NamedPrimitiveRow& row : AllNamedRows()) {
        SCOPED_TRACE(row.name);
        EXPECT_NE(row.handler, nullptr);
        EXPECT_EQ(row.minInputs, row.defaultInputs);
        EXPECT_EQ(row.defaultInputs, row.maxInputs);
    }
}

// The language, the box and the project are complete: no row still says
// that its primitive is not available yet, and only the inert ones and
// ignore do nothing.
TEST(PrimitiveTables, EveryPrimitiveHasItsRealHandler) {
    for (const PrimitiveRow& row : AllNumberedRows()) {
        SCOPED_TRACE("token " + std::to_string(row.token));
        const bool inert = row.token == 1 || row.token == 2 || row.token == 116 || row.token == 490;
        EXPECT_NE(row.handler, &PrimitiveNotAvailable);
        EXPECT_EQ(row.handler == &PrimitiveNothing, inert);
    }
    for (const NamedPrimitiveRow& row : AllNamedRows()) {
        SCOPED_TRACE(row.name);
        EXPECT_NE(row.handler, &PrimitiveNotAvailable);
    }
}

TEST(PrimitiveTables, NamedRowsCarryTheirBuiltInNamesAndFields) {
    struct Expected {
        const char* name;
        int32_t token;
        int32_t precedence;
        int32_t option;
        int32_t inputs;
    };
    const Expected expected[] = {
        {"+", 88, 4, 60, 2},
        {"-", 89, 4, 61, 2},
        {"*", 90, 5, 62, 2},
        {"/", 91, 5, 63, 2},
        {"<", 92, 1, 92, 2},
        {">", 93, 1, 93, 2},
        {"=", 94, 1, 94, 2},
        {"<=", 95, 1, 95, 2},
        {">=", 96, 1, 96, 2},
        {"<>", 97, 1, 97, 2},
        {".loop", 106, 0, 106, 1},
        {".allon", 32001, 0, 1, 0},
        {".setboxname", 32002, 0, 65536, 2},
        {".setboxtype", 32003, 0, 65537, 2},
        {".setonfor", 32004, 0, 65538, 2},
        {".setdelaymonitor", 32005, 0, 0, 1},
        {".resynccount", 32006, 0, 0, 0},
        {".updatemonitor", 32007, 0, 0, 1},
        {".setboxunit", 32008, 0, 0, 2},
        {".setboxaction", 32009, 0, 0, 3},
        {"exportcurves", 32010, 0, 0, 1},
        {"exportpage", 32011, 0, 0, 1},
    };
    const std::vector<NamedPrimitiveRow> rows = AllNamedRows();
    ASSERT_EQ(rows.size(), std::size(expected));
    for (const Expected& want : expected) {
        SCOPED_TRACE(want.name);
        auto found = std::find_if(rows.begin(), rows.end(), [&](const NamedPrimitiveRow& row) {
            return std::string(row.name) == want.name;
        });
        ASSERT_NE(found, rows.end());
        EXPECT_EQ(found->token, want.token);
        EXPECT_EQ(found->precedence, want.precedence);
        EXPECT_EQ(found->option, want.option);
        EXPECT_EQ(found->defaultInputs, want.inputs);
    }
}

TEST(PrimitiveTables, NumberedRowsCarryTheirStatedFields) {
    struct Expected {
        int32_t token;
        int32_t option;
        int32_t minInputs;
        int32_t defaultInputs;
        int32_t maxInputs;
    };
    const Expected expected[] = {
        // Language: a variable number of inputs, options that tell a shared
        // handler's primitives apart, and options that are not the token.
        {36, 36, 1, 2, kUnlimitedInputs},
        {44, 44, 1, 2, kUnlimitedInputs},
        {107, 107, 1, 2, kUnlimitedInputs},
        {103, 1, 3, 3, 3},
        {10, 1, 2, 2, 2},
        {14, 14, 2, 2, 2},
        {32, 32, 3, 3, 3},
        {52, 3, 0, 0, 0},
        {59, 0, 0, 0, 0},
        {116, 0, 0, 0, 0},
        {161, 161, 0, 0, 0},
        {562, 0, 0, 0, 0},
        {564, 1, 0, 0, 0},
        // The box.
        {130, 0, 0, 0, 0},
        {136, 136, 1, 1, 1},
        {140, 140, 2, 2, 2},
        {165, 0, 2, 2, 2},
        // The project.
        {171, 0, 4, 4, 4},
        {468, 468, 2, 2, 2},
        {489, 0, 0, 0, 0},
        {505, 1, 1, 1, 1},
        {509, 0, 0, 0, 0},
        {511, 0, 1, 1, 1},
    };
    for (const Expected& want : expected) {
        SCOPED_TRACE("token " + std::to_string(want.token));
        const PrimitiveRow* row = FindRow(want.token);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->option, want.option);
        EXPECT_EQ(row->minInputs, want.minInputs);
        EXPECT_EQ(row->defaultInputs, want.defaultInputs);
        EXPECT_EQ(row->maxInputs, want.maxInputs);
    }
}
