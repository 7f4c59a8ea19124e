// One reading of one text: the tokenizer's state and the operations the
// grammar's actions call. Internal to the reader; the generated parser and
// the tokenizer share it.
//
// No C++ exception may cross the generated parser (it would skip the
// release of its value stack), so every operation here catches, remembers
// the exception and answers failure; the grammar then abandons the reading
// and Parse raises the exception once the parser has returned. After a
// failure the operations neither report nor emit anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "LogoCore/Parser.h"

class CHandleData;
class CParser;
class CParserClient;

// Token codes delivered to the grammar; it declares the same numbers.
inline constexpr int kTokenEnd = 0;
inline constexpr int kTokenLineEnd = 257;
inline constexpr int kTokenBarWord = 258;
inline constexpr int kTokenWord = 259;
inline constexpr int kTokenVariable = 260;
inline constexpr int kTokenQuotedWord = 261;
inline constexpr int kTokenNumber = 262;
inline constexpr int kTokenListWord = 263;
inline constexpr int kTokenOpeningWord = 264;
inline constexpr int kTokenClosingWord = 265;
// A name whose entry is of a kind the reader cannot use; the grammar does
// not know the code, so it is a syntax error.
inline constexpr int kTokenUnusable = 266;
inline constexpr int kTokenLessEqual = 268;
inline constexpr int kTokenNotEqual = 269;
inline constexpr int kTokenGreaterEqual = 270;
inline constexpr int kTokenReadingError = 271;

class ParserDriver;

// The generated parser (LogoGrammar.y): 0 accepted, 1 abandoned, 2 nested
// deeper than its stack.
int RunLogoGrammar(ParserDriver& driver);

class ParserDriver {
  public:
    ParserDriver(CParser& parser, CParserClient& client, int32_t state);
    ~ParserDriver();
    ParserDriver(const ParserDriver&) = delete;
    ParserDriver& operator=(const ParserDriver&) = delete;

    // Reads the whole text: 0 accepted, 1 abandoned. Raises the exception
    // an operation met, after everything is released.
    int Run(std::string_view text);

    // The tokenizer: the next token's code, its value (a cell the caller
    // owns, or null) in *value.
    int ReadToken(CHandleData** value);

    // The generated parser's syntax-error hook: counted, never shown.
    void CountSyntaxError() { ++errorCount_; }

    // Actions. Each takes over the references it is given, also when it
    // fails; a false or null answer means: abandon the reading.
    bool Emit(CHandleData* cell);
    CHandleData* Infix(int32_t operatorToken, CHandleData* left, CHandleData* right);
    CHandleData* Argument(CHandleData* arguments, CHandleData* expression);
    CHandleData* Call(CHandleData* callee, CHandleData* arguments);
    bool BeginList();
    CHandleData* EndList();
    CHandleData* EmptyList();
    bool AddToList(CHandleData* cell);
    // Drops the innermost open list (a list literal that is not finished).
    void AbandonList();
    // Borrows the entry: the grammar's stack keeps it.
    bool BeginDefinition(CHandleData* entry);
    void EndDefinition();
    bool AddInput(CHandleData* value);

    // Error rules; each ends the reading.
    void StatementError();
    void DefinitionError();
    void OpeningWordError(CHandleData* openingWord);
    void Report(CHandleData* error);
    // Places a new error value into the body.
    void PlaceError(int32_t number, std::vector<std::string> arguments);
    void PlaceOpeningWordError();
    // Places an existing value into the body.
    void Place(CHandleData* error) { Emit(error); }

  private:
    enum class Lex {
        Start,
        AfterBlank,
        MinusAfterBlank,
        Comment,
        Integer,
        PointFirst,
        Fraction,
        Exponent,
        ExponentSign,
        ExponentDigits,
        OddWord,
        Word,
        Less,
        Greater,
        Quoted,
        QuotedWord,
        BarWord,
        Colon,
        Variable,
        InList,
        ListWord,
        ListQuoted,
        ListBarWord,
        ListComment,
    };
    // One character: a byte, 0 at the end of the text, or a code above the
    // bytes for a multibyte space, which counts as one blank.
    struct Char {
        int code;
        std::size_t start;
        std::size_t length;
    };

    int Tokenize(CHandleData** value);
    Char Next();
    void StepBack();
    void Keep(const Char& c) { tokenText_.append(text_.substr(c.start, c.length)); }
    int WordEnd(CHandleData** value);
    int VariableEnd(CHandleData** value);
    CHandleData* Word(std::string_view text) const;
    CHandleData* IntegerValue() const;
    CHandleData* RealValue() const;
    int ReadingError(CHandleData** value);
    // The opening word inside a definition: the definition has no closing
    // word. It ends here, and the opening word is read again.
    int UnclosedDefinition(CHandleData** value);

    // Error values for what ended a reading.
    CHandleData* MissingEndError() const;
    // A closing bracket or parenthesis that nothing opened; null when the
    // last token is none.
    CHandleData* StrayCloserError() const;

    // Runs f; on an exception remembers it and answers false.
    template <typename F>
    bool Guarded(F&& f);
    void Fail();
    // The line of the last character read, from 1.
    int CurrentLine() const;
    std::string TokenName(int32_t token) const;

    CParser& parser_;
    CParserClient& client_;
    int32_t state_;

    // Tokenizer.
    std::string_view text_;
    std::size_t position_ = 0;
    std::size_t lastLength_ = 0;
    std::size_t previousLength_ = 0;
    Lex resume_ = Lex::AfterBlank;
    std::string tokenText_;
    int lastToken_ = -1;
    char separator_ = '.';
    bool headerLine_ = false;
    int listDepth_ = 0;

    // Parser.
    int errorCount_ = 0;
    std::vector<CHandleData*> openLists_;  // innermost last; each owned
    std::exception_ptr pending_;
};
