// The reader: turns Logo text into compiled form. A sequence of
// instructions becomes the flat body of a procedure; only infix
// expressions, parenthesised calls and list literals are built into
// structures while reading. Every word is looked up in the name table as
// it is read, so bodies refer to the shared cells of names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CHandleData;

// Name-table tokens of the words that open and close a definition on the
// procedures page ("to" and "end" in the shipped vocabulary).
inline constexpr int32_t kOpeningWordToken = 1;
inline constexpr int32_t kClosingWordToken = 2;

// What the reader needs of the task it reads for.
class CParserClient {
  public:
    // An error met while reading that is to be shown: the task shows it and
    // remembers the first of a reading. Takes the reference.
    virtual void ReportError(CHandleData* error) = 0;

  protected:
    ~CParserClient() = default;
};

class CParser {
  public:
    static constexpr const char* kClassName = "CParser";

    CParser();
    ~CParser();
    CParser(const CParser&) = delete;
    CParser& operator=(const CParser&) = delete;

    // Reads the whole text, giving every cell it makes the state. Returns 0
    // when the text was accepted, 1 when the reading was abandoned. Errors
    // that end a reading at once (-21 redefining a name, -64 a real literal
    // out of range) leave as LogoError, with nothing leaked.
    int Parse(std::string_view text, CParserClient& client, int32_t state);

    // Definition mode reads definitions (the procedures page); command mode
    // reads instructions into the target.
    void SetDefinitionMode(bool on) { definitionMode_ = on; }
    bool DefinitionMode() const { return definitionMode_; }

    // The procedure cell (type 2) that receives the items read, or null.
    // Borrowed: the caller keeps it alive while reading.
    void SetTarget(CHandleData* procedure) { target_ = procedure; }
    CHandleData* Target() const { return target_; }

    // The last word read (for error messages).
    const std::string& LastWord() const { return lastWord_; }
    // The line of the text (from 1) at which the last reading met its last
    // error, reported or ending it; 0 before any.
    int ErrorLine() const { return errorLine_; }

  private:
    friend class ParserDriver;  // the grammar's actions and the tokenizer

    bool definitionMode_ = false;
    CHandleData* target_ = nullptr;
    std::string lastWord_;
    int errorLine_ = 0;
};

// A word made readable again: bars around a non-empty text that neither
// begins nor ends with a bar.
std::string Bar(std::string_view text);
// The inverse: trailing blanks cut, and the bars of a longer text that
// begins and ends with one removed.
std::string Unbar(std::string_view text);
