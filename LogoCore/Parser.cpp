// The reader: one reading per Parse, and what the grammar's actions do
// with what was read.
#include "LogoCore/Parser.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/LogoProcedure.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/ParserDriver.h"
#include "platform/NumberText.h"
#include "platform/TextCatalog.h"

CParser::CParser() = default;
CParser::~CParser() = default;

int CParser::Parse(std::string_view text, CParserClient& client, int32_t state) {
    // In definition mode the procedure being defined is a name-table entry,
    // which may be removed once the reading is over.
    struct DefinitionReset {
        CParser& parser;
        ~DefinitionReset() {
            if (parser.definitionMode_) parser.target_ = nullptr;
        }
    } reset{*this};
    lastWord_.clear();
    ParserDriver driver(*this, client, state);
    return driver.Run(text);
}

namespace {

// The reader's own messages.
constexpr int32_t kTextStrayCloser = 2120;
constexpr int32_t kTextTooDeep = 2121;

bool IsBlankByte(unsigned char c) {
    return c < 33;
}

// The length of the multibyte space that ends the text, or 0.
std::size_t TrailingWideBlank(std::string_view text) {
    if (text.size() >= 2 && text.substr(text.size() - 2) == "\xC2\xA0") return 2;
    if (text.size() >= 3 && text.substr(text.size() - 3) == "\xE3\x80\x80") return 3;
    return 0;
}

}  // namespace

std::string Bar(std::string_view text) {
    if (text.empty() || text.front() == '|' || text.back() == '|') return std::string(text);
    std::string barred;
    barred.reserve(text.size() + 2);
    barred += '|';
    barred += text;
    barred += '|';
    return barred;
}

std::string Unbar(std::string_view text) {
    for (;;) {
        if (!text.empty() && IsBlankByte(static_cast<unsigned char>(text.back()))) {
            text.remove_suffix(1);
        } else if (const std::size_t wide = TrailingWideBlank(text)) {
            text.remove_suffix(wide);
        } else {
            break;
        }
    }
    if (text.size() > 1 && text.front() == '|' && text.back() == '|')
        text = text.substr(1, text.size() - 2);
    return std::string(text);
}

ParserDriver::ParserDriver(CParser& parser, CParserClient& client, int32_t state)
    : parser_(parser), client_(client), state_(state) {}

ParserDriver::~ParserDriver() {
    for (CHandleData* list : openLists_) Release(list);
}

int ParserDriver::Run(std::string_view text) {
    // A new text: the tokenizer starts afresh. After a blank, so that the
    // text may begin with a negative number.
    text_ = text;
    position_ = 0;
    parser_.errorLine_ = 0;
    lastLength_ = 0;
    previousLength_ = 0;
    resume_ = Lex::AfterBlank;
    separator_ = platform::DecimalSeparator() == ',' ? ',' : '.';
    headerLine_ = false;
    listDepth_ = 0;
    errorCount_ = 0;

    const int result = RunLogoGrammar(*this);
    // Lists still open when the reading was abandoned.
    while (!openLists_.empty()) {
        Release(openLists_.back());
        openLists_.pop_back();
    }
    // The parser's stack is full: nothing of the text may run.
    CHandleData* tooDeep = nullptr;
    if (result == 2 &&
        Guarded([&] { tooDeep = MakeError(-20, {platform::ResourceText(kTextTooDeep)}); }))
        Report(tooDeep);
    if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
    return result == 0 ? 0 : 1;
}

template <typename F>
bool ParserDriver::Guarded(F&& f) {
    if (pending_) return false;
    try {
        f();
        return true;
    } catch (...) {
        Fail();
        return false;
    }
}

void ParserDriver::Fail() {
    if (pending_) return;
    pending_ = std::current_exception();
    parser_.errorLine_ = CurrentLine();
}

int ParserDriver::CurrentLine() const {
    // A line end just read belongs to the line it ends.
    const std::size_t end = std::min(position_ == 0 ? 0 : position_ - 1, text_.size());
    return 1 + static_cast<int>(std::count(text_.begin(), text_.begin() + end, '\n'));
}

std::string ParserDriver::TokenName(int32_t token) const {
    CHandleData* entry = FindToken(token);
    std::string name = entry ? entry->Name() : std::string();
    Release(entry);
    return name;
}

bool ParserDriver::Emit(CHandleData* cell) {
    const bool emitted = Guarded([&] {
        CHandleData* target = parser_.target_;
        if (IsCell(target) && target->Type() == kTypeProcedure)
            target->Procedure()->AddToBody(cell);
    });
    Release(cell);
    return emitted;
}

CHandleData* ParserDriver::Infix(int32_t operatorToken, CHandleData* left, CHandleData* right) {
    CHandleData* node = nullptr;
    const bool made = Guarded([&] {
        CHandleData* op = FindToken(operatorToken);
        try {
            node = MakeInfixNode(op, left, right, state_);
        } catch (...) {
            Release(op);
            throw;
        }
    });
    if (made) return node;
    Release(left);
    Release(right);
    return nullptr;
}

CHandleData* ParserDriver::Argument(CHandleData* arguments, CHandleData* expression) {
    CHandleData* node = nullptr;
    // The tree only carries the arguments to the call node, which
    // flattens it, so it is made as a temporary.
    if (Guarded([&] { node = MakeInfixNode(nullptr, arguments, expression, kStateTemp); }))
        return node;
    Release(arguments);
    Release(expression);
    return nullptr;
}

CHandleData* ParserDriver::Call(CHandleData* callee, CHandleData* arguments) {
    CHandleData* node = nullptr;
    if (Guarded([&] { node = MakeCallNode(callee, arguments, state_); })) return node;
    Release(callee);
    Release(arguments);
    return nullptr;
}

bool ParserDriver::BeginList() {
    return Guarded([&] {
        openLists_.reserve(openLists_.size() + 1);
        CHandleData* list = DefineName("", kTypeList, state_);
        if (!IsCell(list)) throw LogoError{list};
        openLists_.push_back(list);
    });
}

CHandleData* ParserDriver::EndList() {
    if (pending_ || openLists_.empty()) return nullptr;
    CHandleData* list = openLists_.back();
    openLists_.pop_back();
    return list;
}

CHandleData* ParserDriver::EmptyList() {
    return BeginList() ? EndList() : nullptr;
}

namespace {

// An infix node goes in as its operator, left and right parts; an error
// value is raised instead.
void AppendToList(CLogoList& list, CHandleData* cell) {
    if (IsError(cell)) {
        Reference(cell);
        throw LogoError{cell};
    }
    if (IsCell(cell) && cell->Type() == kTypeInfix) {
        if (cell->InfixOperator()) AppendToList(list, cell->InfixOperator());
        AppendToList(list, cell->InfixLeft());
        AppendToList(list, cell->InfixRight());
        return;
    }
    list.Add(cell);
}

}  // namespace

bool ParserDriver::AddToList(CHandleData* cell) {
    const bool added = Guarded([&] {
        if (openLists_.empty()) return;
        AppendToList(*openLists_.back()->ListValue(), cell);
    });
    Release(cell);
    return added;
}

void ParserDriver::AbandonList() {
    if (openLists_.empty()) return;
    Release(openLists_.back());
    openLists_.pop_back();
}

bool ParserDriver::BeginDefinition(CHandleData* entry) {
    return Guarded([&] {
        // The check and the change must not be split by another reader.
        std::lock_guard<std::recursive_mutex> guard(NameTable().Lock());
        if (!IsCell(entry) || entry->Type() != kTypeProcedureName)
            RaiseError(-21, {IsCell(entry) ? entry->Name() : std::string()});
        entry->SetType(kTypeProcedure);
        entry->SetState(state_, false, 0);
        parser_.target_ = entry;
    });
}

void ParserDriver::EndDefinition() {
    parser_.target_ = nullptr;
}

bool ParserDriver::AddInput(CHandleData* value) {
    const bool added = Guarded([&] {
        CHandleData* target = parser_.target_;
        if (!IsCell(target) || target->Type() != kTypeProcedure) return;
        if (IsCell(value) && value->Type() == kTypeString)
            target->Procedure()->AddInput(value->Text());
        else if (IsCell(value) && value->Type() == kTypeVariable)
            target->Procedure()->AddInput(value->Name());
        else
            RaiseError(-4, {"to", IsCell(value) ? GetString(value, false) : std::string()});
    });
    Release(value);
    return added;
}

void ParserDriver::Report(CHandleData* error) {
    if (pending_) {
        Release(error);
        return;
    }
    parser_.errorLine_ = CurrentLine();
    Guarded([&] { client_.ReportError(error); });
}

CHandleData* ParserDriver::MissingEndError() const {
    CHandleData* missing = MakeError(-71, {TokenName(kClosingWordToken)});
    CHandleData* target = parser_.target_;
    if (!IsCell(target) || target->Name().empty()) return missing;
    // Named after the definition it belongs to, so that it can be found.
    std::string text = WithoutLineEnd(ErrorText(missing));
    Release(missing);
    if (!text.empty() && text.back() == '.') text.pop_back();
    return MakeError(-23, {text, target->Name()});
}

CHandleData* ParserDriver::StrayCloserError() const {
    if (lastToken_ != ']' && lastToken_ != ')') return nullptr;
    const std::string opening = lastToken_ == ']' ? "[" : "(";
    return MakeError(-20, {platform::FormatResource(kTextStrayCloser, {tokenText_, opening})});
}

void ParserDriver::StatementError() {
    CHandleData* error = nullptr;
    if (Guarded([&] {
            const std::string& last = parser_.lastWord_;
            error = StrayCloserError();
            if (!error) error = last.empty() ? MakeError(-72, {tokenText_}) : MakeError(-3, {last});
        }))
        Report(error);
}

void ParserDriver::DefinitionError() {
    CHandleData* error = nullptr;
    if (Guarded([&] {
            if (lastToken_ == kTokenEnd) error = MissingEndError();
            if (!error) error = StrayCloserError();
            if (!error) error = MakeError(-72, {tokenText_});
        }))
        Report(error);
}

void ParserDriver::OpeningWordError(CHandleData* openingWord) {
    CHandleData* error = nullptr;
    const bool made = Guarded([&] {
        error =
            MakeError(-4, {IsCell(openingWord) ? openingWord->Name() : std::string(), tokenText_});
    });
    Release(openingWord);
    if (made) Report(error);
}

void ParserDriver::PlaceError(int32_t number, std::vector<std::string> arguments) {
    CHandleData* error = nullptr;
    if (Guarded([&] { error = MakeError(number, arguments); })) Emit(error);
}

void ParserDriver::PlaceOpeningWordError() {
    CHandleData* error = nullptr;
    if (Guarded([&] { error = MakeError(-4, {TokenName(kOpeningWordToken), tokenText_}); }))
        Emit(error);
}
