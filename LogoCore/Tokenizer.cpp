// The reader's tokenizer: a character-driven state machine that hands the
// grammar one token at a time, with the cell the token stands for.
#include <mutex>
#include <string>
#include <utility>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/Parser.h"
#include "LogoCore/ParserDriver.h"
#include "LogoCore/VariableList.h"
#include "platform/NumberText.h"

namespace {

constexpr int kWideBlank = 0x100;  // a multibyte space

bool IsBlank(int c) {
    return c < 33 || c == kWideBlank;
}
bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}
// The end of the text and a multibyte space end a word as the delimiters do.
bool IsWordEnd(int c) {
    return c == 0 || c == kWideBlank || IsDelimiter(static_cast<unsigned char>(c));
}
bool IsNameStart(int c) {
    return c != 0 && !IsDigit(c) && !IsWordEnd(c);
}
bool IsLineEnd(int c) {
    return c == '\n' || c == '\r';
}

// A made value that is not handed on yet; released if making the token
// fails half-way.
struct Pending {
    CHandleData* cell = nullptr;
    ~Pending() { Release(cell); }
    CHandleData* Take() { return std::exchange(cell, nullptr); }
};

CHandleData* CheckedCell(CHandleData* cell) {
    if (!IsCell(cell)) throw LogoError{cell};  // -12: no memory
    return cell;
}

}  // namespace

int ParserDriver::ReadToken(CHandleData** value) {
    *value = nullptr;
    // After a failure the reading only has to wind down.
    if (pending_) return lastToken_ = kTokenEnd;
    try {
        lastToken_ = Tokenize(value);
    } catch (...) {
        Fail();
        *value = nullptr;
        lastToken_ = kTokenEnd;
    }
    return lastToken_;
}

ParserDriver::Char ParserDriver::Next() {
    previousLength_ = lastLength_;
    // The text ends at its end or at a zero byte.
    if (position_ >= text_.size() || text_[position_] == '\0') {
        lastLength_ = 0;
        return {0, position_, 0};
    }
    const auto* p = reinterpret_cast<const unsigned char*>(text_.data()) + position_;
    const std::size_t left = text_.size() - position_;
    Char c{p[0], position_, 1};
    if (p[0] == 0xC2 && left >= 2 && p[1] == 0xA0) {
        c = {kWideBlank, position_, 2};  // no-break space
    } else if (p[0] == 0xE3 && left >= 3 && p[1] == 0x80 && p[2] == 0x80) {
        c = {kWideBlank, position_, 3};  // ideographic space
    }
    position_ += c.length;
    lastLength_ = c.length;
    return c;
}

void ParserDriver::StepBack() {
    position_ -= lastLength_;
    lastLength_ = previousLength_;
    previousLength_ = 0;
}

int ParserDriver::Tokenize(CHandleData** value) {
    tokenText_.clear();
    Lex state = resume_;
    resume_ = Lex::Start;
    for (;;) {
        const Char c = Next();
        switch (state) {
            case Lex::Start:
                if (c.code == 0) return kTokenEnd;
                if (IsDigit(c.code)) {
                    Keep(c);
                    state = Lex::Integer;
                } else if (c.code == separator_) {
                    Keep(c);
                    state = Lex::PointFirst;
                } else if (IsLineEnd(c.code) && headerLine_) {
                    headerLine_ = false;
                    return kTokenLineEnd;
                } else if (IsBlank(c.code)) {
                    state = Lex::AfterBlank;
                } else if (c.code == ';') {
                    state = Lex::Comment;
                } else if (IsNameStart(c.code)) {
                    Keep(c);
                    state = Lex::Word;
                } else {
                    Keep(c);
                    switch (c.code) {
                        case '<':
                            state = Lex::Less;
                            break;
                        case '>':
                            state = Lex::Greater;
                            break;
                        case '"':
                            state = Lex::Quoted;
                            break;
                        case ':':
                            state = Lex::Colon;
                            break;
                        case '[':
                            ++listDepth_;
                            resume_ = Lex::InList;
                            return '[';
                        default:
                            return c.code;
                    }
                }
                break;

            case Lex::AfterBlank:
                if (c.code == '-') {
                    Keep(c);
                    state = Lex::MinusAfterBlank;
                } else {
                    StepBack();
                    state = Lex::Start;
                }
                break;

            case Lex::MinusAfterBlank:
                if (IsDigit(c.code)) {
                    Keep(c);
                    state = Lex::Integer;  // a negative number
                } else {
                    // The minus is read again, as an operator.
                    StepBack();
                    StepBack();
                    tokenText_.clear();
                    state = Lex::Start;
                }
                break;

            case Lex::Comment:
                if (c.code == 0 || IsLineEnd(c.code)) {
                    StepBack();
                    state = Lex::Start;
                }
                break;

            case Lex::Integer:
                if (IsDigit(c.code)) {
                    Keep(c);
                } else if (c.code == separator_) {
                    Keep(c);
                    state = Lex::Fraction;
                } else if (c.code == 'e' || c.code == 'E') {
                    Keep(c);
                    state = Lex::Exponent;
                } else {
                    StepBack();
                    *value = IntegerValue();
                    return kTokenNumber;
                }
                break;

            case Lex::PointFirst:
                if (IsDigit(c.code)) {
                    Keep(c);
                    state = Lex::Fraction;
                } else {
                    StepBack();
                    state = Lex::Word;  // the separator begins a word
                }
                break;

            case Lex::Fraction:
                if (IsDigit(c.code)) {
                    Keep(c);
                } else if (c.code == 'e' || c.code == 'E') {
                    Keep(c);
                    state = Lex::Exponent;
                } else {
                    StepBack();
                    *value = RealValue();
                    return kTokenNumber;
                }
                break;

            case Lex::Exponent:
                if (IsDigit(c.code)) {
                    Keep(c);
                    state = Lex::ExponentDigits;
                } else if (c.code == '+' || c.code == '-') {
                    Keep(c);
                    state = Lex::ExponentSign;
                } else {
                    StepBack();
                    state = Lex::OddWord;
                }
                break;

            case Lex::ExponentSign:
                if (IsDigit(c.code)) {
                    Keep(c);
                    state = Lex::ExponentDigits;
                } else {
                    StepBack();
                    state = Lex::OddWord;
                }
                break;

            case Lex::ExponentDigits:
                if (IsDigit(c.code)) {
                    Keep(c);
                } else {
                    StepBack();
                    *value = RealValue();
                    return kTokenNumber;
                }
                break;

            case Lex::OddWord:
                if (!IsBlank(c.code)) {
                    Keep(c);
                } else {
                    StepBack();
                    return WordEnd(value);
                }
                break;

            case Lex::Word:
                if (!IsWordEnd(c.code)) {
                    Keep(c);
                } else {
                    StepBack();
                    return WordEnd(value);
                }
                break;

            case Lex::Less:
                if (c.code == '=') {
                    Keep(c);
                    return kTokenLessEqual;
                }
                if (c.code == '>') {
                    Keep(c);
                    return kTokenNotEqual;
                }
                StepBack();
                return '<';

            case Lex::Greater:
                if (c.code == '=') {
                    Keep(c);
                    return kTokenGreaterEqual;
                }
                StepBack();
                return '>';

            case Lex::Quoted:
                if (c.code == '|') {
                    Keep(c);
                    state = Lex::BarWord;
                } else if (IsBlank(c.code) || c.code == ')') {
                    StepBack();
                    *value = Word("");
                    return kTokenBarWord;
                } else {
                    Keep(c);
                    state = Lex::QuotedWord;
                }
                break;

            case Lex::QuotedWord:
                if (!IsBlank(c.code) && c.code != ')') {
                    Keep(c);
                } else {
                    StepBack();
                    *value = Word(Unbar(std::string_view(tokenText_).substr(1)));
                    return kTokenQuotedWord;
                }
                break;

            case Lex::BarWord:
                if (c.code == 0) return ReadingError(value);
                Keep(c);
                if (c.code == '|') {
                    *value = Word(Unbar(std::string_view(tokenText_).substr(1)));
                    return kTokenBarWord;
                }
                break;

            case Lex::Colon:
                if (IsNameStart(c.code)) {
                    Keep(c);
                    state = Lex::Variable;
                } else {
                    // The colon is dropped; the grammar then fails. A
                    // multibyte space goes as a plain blank: its own code
                    // would be the grammar's error token.
                    Keep(c);
                    return c.code == kWideBlank ? ' ' : c.code;
                }
                break;

            case Lex::Variable:
                if (!IsWordEnd(c.code)) {
                    Keep(c);
                } else {
                    StepBack();
                    return VariableEnd(value);
                }
                break;

            case Lex::InList:
                if (c.code == 0) return kTokenEnd;
                if (IsBlank(c.code)) break;
                switch (c.code) {
                    case '[':
                        Keep(c);
                        ++listDepth_;
                        resume_ = Lex::InList;
                        return '[';
                    case ']':
                        Keep(c);
                        --listDepth_;
                        resume_ = listDepth_ > 0 ? Lex::InList : Lex::Start;
                        return ']';
                    case '"':
                        Keep(c);
                        state = Lex::ListQuoted;
                        break;
                    case '|':
                        Keep(c);
                        state = Lex::ListBarWord;
                        break;
                    case ';':
                        state = Lex::ListComment;
                        break;
                    default:
                        Keep(c);
                        state = Lex::ListWord;
                        break;
                }
                break;

            case Lex::ListWord:
            case Lex::ListQuoted:
                if (c.code == '[' || c.code == ']' || IsBlank(c.code)) {
                    StepBack();
                    *value = Word(Unbar(tokenText_));
                    resume_ = Lex::InList;
                    return kTokenListWord;
                }
                Keep(c);
                if (state == Lex::ListQuoted)
                    state = c.code == '|' ? Lex::ListBarWord : Lex::ListWord;
                break;

            case Lex::ListBarWord:
                if (c.code == 0) {
                    resume_ = Lex::InList;
                    return ReadingError(value);
                }
                Keep(c);
                if (c.code == '|') {
                    *value = Word(Unbar(tokenText_));
                    resume_ = Lex::InList;
                    return kTokenListWord;
                }
                break;

            case Lex::ListComment:
                if (c.code == 0 || IsLineEnd(c.code)) {
                    StepBack();
                    state = Lex::InList;
                }
                break;
        }
    }
}

int ParserDriver::WordEnd(CHandleData** value) {
    parser_.lastWord_ = tokenText_;
    Pending entry{LookupProcedureName(tokenText_, state_)};
    if (IsErrorNumber(entry.cell)) throw LogoError{entry.Take()};
    // A name of another kind: the reader has no use for it.
    if (!entry.cell) return kTokenUnusable;

    const int32_t token = entry.cell->Token();
    if (token == kOpeningWordToken) {
        if (parser_.definitionMode_ && parser_.target_ && !headerLine_)
            return UnclosedDefinition(value);
        if (parser_.definitionMode_) {
            headerLine_ = true;
            *value = entry.Take();
            return kTokenOpeningWord;
        }
        // Definitions belong to the procedures page; here the word is an
        // error that is raised if it is run.
        *value = MakeError(-10, {tokenText_});
        return kTokenWord;
    }
    if (token == kClosingWordToken) {
        *value = parser_.definitionMode_ ? entry.Take() : MakeError(-10, {tokenText_});
        return kTokenClosingWord;
    }
    *value = entry.Take();
    return kTokenWord;
}

int ParserDriver::UnclosedDefinition(CHandleData** value) {
    // Said once here; the definitions before and after it still count.
    Report(MissingEndError());
    position_ -= tokenText_.size();
    lastLength_ = 0;
    previousLength_ = 0;
    *value = nullptr;
    return kTokenClosingWord;
}

int ParserDriver::VariableEnd(CHandleData** value) {
    CHandleData* entry = LookupVariableName(tokenText_, state_);
    if (!IsCell(entry)) return kTokenUnusable;
    *value = entry;
    return kTokenVariable;
}

CHandleData* ParserDriver::Word(std::string_view text) const {
    return CheckedCell(DefineString("", text, state_));
}

CHandleData* ParserDriver::IntegerValue() const {
    const platform::ParsedInteger parsed = platform::ParseInteger(tokenText_);
    if (parsed.outOfRange) return Word(tokenText_);  // too big: read as a word
    return CheckedCell(DefineInteger("", static_cast<int32_t>(parsed.value), state_));
}

CHandleData* ParserDriver::RealValue() const {
    // Either separator is accepted, whichever is preferred at the moment.
    std::string text = tokenText_;
    platform::ParsedReal parsed = platform::ParseReal(text);
    if (parsed.used < text.size() && (text[parsed.used] == '.' || text[parsed.used] == ',')) {
        text[parsed.used] = text[parsed.used] == '.' ? ',' : '.';
        parsed = platform::ParseReal(text);
    }
    return DefineReal("", parsed.value, state_);  // raises -64 beyond the 32-bit range
}

int ParserDriver::ReadingError(CHandleData** value) {
    *value = MakeError(-71, {"|"});  // an unclosed bar
    return kTokenReadingError;
}
