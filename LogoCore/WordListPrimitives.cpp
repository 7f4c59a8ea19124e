// The primitives of words and lists.
//
// A "word" here is any value that is not a list (a word, a number or a
// truth value), taken by its text. Characters of a word are UTF-8
// characters, not bytes (a malformed byte counts as one), so a word with an
// accented letter counts and indexes by its letters. The character codes of
// ascii and char are the code points 0..255 (Latin-1), the only ones those
// two primitives know.
//
// Lists are shared and read-only once filled: every primitive that outputs
// a list builds a new one, copying element pointers, never the elements.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/Parser.h"
#include "LogoCore/PrimitiveFamilies.h"
#include "LogoCore/PrimitiveSupport.h"
#include "platform/Utf8.h"

namespace {

// A list value whose own list is filled in place before anyone else sees
// it, so the elements are referenced once and never copied again.
class NewList {
  public:
    explicit NewList(std::size_t size) : cell_(DefineName("", kTypeList, kStateTemp)) {
        if (!IsCell(cell_)) RaiseError(ErrorNumberOf(cell_));
        List().Reserve(size);
    }
    ~NewList() { Release(cell_); }
    NewList(const NewList&) = delete;
    NewList& operator=(const NewList&) = delete;

    CLogoList& List() const { return *cell_->ListValue(); }
    void Add(CHandleData* cell) const { List().Add(cell); }
    void Adopt(CHandleData* cell) const { List().Adopt(cell); }
    void AddItems(const CLogoList& from, std::size_t begin, std::size_t end) const {
        for (std::size_t i = begin; i < end; ++i) List().Add(from.ElementAt(i));
    }
    CHandleData* Take() {
        CHandleData* cell = cell_;
        cell_ = nullptr;
        return cell;
    }

  private:
    CHandleData* cell_;
};

// The byte offset where character `index` (from 0) begins.
std::size_t OffsetOfCharacter(std::string_view text, std::size_t index) {
    return platform::FirstCharacters(text, index).size();
}

std::string CharacterAt(std::string_view text, std::size_t index) {
    return std::string(platform::FirstCharacters(text.substr(OffsetOfCharacter(text, index)), 1));
}

// The code of a one-character text when it is in 0..255: a single byte is
// its own code, a two-byte sequence led by 0xC2 or 0xC3 carries 128..255.
std::optional<int32_t> LatinCode(std::string_view character) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(character[i]); };
    if (character.size() == 1) return byte(0);
    if (character.size() == 2 && (byte(0) == 0xC2 || byte(0) == 0xC3))
        return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    return std::nullopt;
}

std::string LatinCharacter(int32_t code) {
    if (code < 0x80) return std::string(1, static_cast<char>(code));
    return {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
}

// A list item as a primitive outputs it: a word comes out as a new word
// without the bars that made it readable.
CHandleData* ItemValue(CHandleData* item) {
    if (IsCell(item) && item->Type() == kTypeString) return MakeWord(Unbar(item->Text()));
    Reference(item);
    return item;
}

// Item `index` (from 1; 0 means the last) of a word or list.
CHandleData* ItemOf(CHandleData* container, int32_t index, const std::string& calledName) {
    if (IsListValue(container)) {
        const CLogoList& list = *container->ListValue();
        if (list.Size() == 0) RaiseWrongInput(calledName, container);
        const std::size_t at = index == 0 ? list.Size() : static_cast<std::size_t>(index);
        if (at > list.Size()) RaiseWrongInput(calledName, std::to_string(index));
        return ItemValue(list.ElementAt(at - 1));
    }
    if (!IsWordValue(container)) RaiseWrongInput(calledName, container);
    // A word's text is read in place; a number's is printed first.
    std::string printed;
    std::string_view text;
    if (container->Type() == kTypeString) {
        text = container->Text();
    } else {
        printed = GetString(container, false);
        text = printed;
    }
    if (text.empty()) RaiseWrongInput(calledName, std::string(text));
    if (index != 0) {
        // Only the characters before the one wanted are walked.
        const std::size_t offset = OffsetOfCharacter(text, static_cast<std::size_t>(index) - 1);
        if (offset >= text.size()) RaiseWrongInput(calledName, std::to_string(index));
        return MakeWord(std::string(platform::FirstCharacters(text.substr(offset), 1)));
    }
    return MakeWord(CharacterAt(text, platform::CountCharacters(text) - 1));
}

CHandleData* First(CLogoTask*, CHandleData** inputs, int32_t option,
                   const std::string& calledName) {
    HandlerInputs in(inputs);
    return ItemOf(in[0], option == 29 ? 1 : 0, calledName);
}

CHandleData* Item(CLogoTask*, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const int32_t index = GetInteger(in[0], false);
    if (index < 1) RaiseWrongInput(calledName, std::to_string(index));
    return ItemOf(in[1], index, calledName);
}

// All but the first (23) or the last (24) character or item.
CHandleData* ButFirst(CLogoTask*, CHandleData** inputs, int32_t option,
                      const std::string& calledName) {
    HandlerInputs in(inputs);
    const bool first = option == 23;
    if (IsListValue(in[0])) {
        const CLogoList& list = *in[0]->ListValue();
        if (list.Size() == 0) RaiseWrongInput(calledName, "[]");
        // The rest shares the list's items: walking a long list by butfirst
        // copies nothing.
        CLogoList* rest = CLogoList::SliceOf(list, first ? 1 : 0, list.Size() - 1);
        CHandleData* result = MakeListValue(rest);
        rest->Release();
        return result;
    }
    if (!IsWordValue(in[0])) RaiseWrongInput(calledName, in[0]);
    const std::string text = GetString(in[0], false);
    if (text.empty()) RaiseWrongInput(calledName, "\"");
    if (first) return MakeWord(text.substr(OffsetOfCharacter(text, 1)));
    return MakeWord(text.substr(0, OffsetOfCharacter(text, platform::CountCharacters(text) - 1)));
}

// The number of characters or items (26), or whether it is 0 (27).
CHandleData* Count(CLogoTask*, CHandleData** inputs, int32_t option,
                   const std::string& calledName) {
    HandlerInputs in(inputs);
    std::size_t count = 0;
    if (IsListValue(in[0])) {
        count = in[0]->ListValue()->Size();
    } else if (IsWordValue(in[0])) {
        count = platform::CountCharacters(GetString(in[0], false));
    } else {
        RaiseWrongInput(calledName, in[0]);
    }
    if (option == 27) return BooleanValue(count == 0);
    return MakeInteger(static_cast<int32_t>(count));
}

CHandleData* Ascii(CLogoTask*, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const std::string text = GetString(in[0], false);
    std::optional<int32_t> code;
    if (platform::CountCharacters(text) == 1) code = LatinCode(text);
    // Not one character: the error is this primitive's output, not raised.
    if (!code) return MakeError(-4, {calledName, text});
    return MakeInteger(*code);
}

CHandleData* Char(CLogoTask*, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const int32_t code = GetInteger(in[0], false);
    if (code < 1 || code > 255) RaiseWrongInput(calledName, std::to_string(code));
    return MakeWord(LatinCharacter(code));
}

const CLogoList& ListInput(CHandleData* input, const std::string& calledName) {
    if (!IsListValue(input)) RaiseWrongInput(calledName, input);
    return *input->ListValue();
}

// The thing in front (30) or at the end (38) of a new list.
CHandleData* Fput(CLogoTask*, CHandleData** inputs, int32_t option, const std::string& calledName) {
    HandlerInputs in(inputs);
    const CLogoList& list = ListInput(in[1], calledName);
    if (option == 30) {
        CLogoList* joined = CLogoList::WithFirst(in.Take(0), list);
        CHandleData* result = MakeListValue(joined);
        joined->Release();
        return result;
    }
    NewList result(list.Size() + 1);
    result.AddItems(list, 0, list.Size());
    result.Adopt(in.Take(0));
    return result.Take();
}

// Inserting before (32) or replacing (43) the item at an index.
CHandleData* InsertItem(CLogoTask*, CHandleData** inputs, int32_t option,
                        const std::string& calledName) {
    HandlerInputs in(inputs);
    const int32_t index = GetInteger(in[0], false);
    const CLogoList& list = ListInput(in[1], calledName);
    const bool insert = option == 32;
    const int64_t count = static_cast<int64_t>(list.Size());
    const int64_t p = static_cast<int64_t>(index) - 1;
    if (p < 0 || p > (insert ? count : count - 1))
        RaiseWrongInput(calledName, std::to_string(index));
    const auto before = static_cast<std::size_t>(p);
    NewList result(list.Size() + (insert ? 1 : 0));
    result.AddItems(list, 0, before);
    result.Adopt(in.Take(2));
    result.AddItems(list, insert ? before : before + 1, list.Size());
    return result.Take();
}

// Where the thing is in the list, by text ignoring case; a list thing is
// only compared with the items that are lists.
std::optional<std::size_t> Find(CHandleData* thing, const CLogoList& list) {
    const bool listThing = IsListValue(thing);
    const std::string text = GetString(thing, false);
    for (std::size_t i = 0; i < list.Size(); ++i) {
        CHandleData* item = list.ElementAt(i);
        if (listThing && !IsListValue(item)) continue;
        if (platform::EqualsIgnoringCase(GetString(item, false), text)) return i;
    }
    return std::nullopt;
}

std::size_t FindOrRaise(CHandleData* thing, const CLogoList& list) {
    const std::optional<std::size_t> at = Find(thing, list);
    if (!at) RaiseError(-27, {GetString(thing, false)});
    return *at;
}

CHandleData* Position(CLogoTask*, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const CLogoList& list = ListInput(in[1], calledName);
    return MakeInteger(static_cast<int32_t>(FindOrRaise(in[0], list) + 1));
}

CHandleData* Remove(CLogoTask*, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const CLogoList& list = ListInput(in[1], calledName);
    const std::size_t at = FindOrRaise(in[0], list);
    NewList result(list.Size() - 1);
    result.AddItems(list, 0, at);
    result.AddItems(list, at + 1, list.Size());
    return result.Take();
}

CHandleData* Member(CLogoTask*, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    if (IsListValue(in[1])) return BooleanValue(Find(in[0], *in[1]->ListValue()).has_value());
    if (!IsWordValue(in[1])) RaiseWrongInput(calledName, in[1]);
    const std::string thing = GetString(in[0], false);
    // A list is never part of a word: the error is the output, not raised.
    if (IsListValue(in[0])) return MakeError(-4, {calledName, thing});
    return BooleanValue(GetString(in[1], false).find(thing) != std::string::npos);
}

CHandleData* List(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    NewList result(static_cast<std::size_t>(in.Count()));
    for (int i = 0; i < in.Count(); ++i) result.Adopt(in.Take(i));
    return result.Take();
}

CHandleData* Sentence(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    // Every input as a list (a word is a one-item list), each with a
    // reference of its own that ends with the handler.
    struct Lists {
        std::vector<CLogoList*> all;
        ~Lists() {
            for (CLogoList* list : all) list->Release();
        }
    } lists;
    lists.all.reserve(static_cast<std::size_t>(in.Count()));
    std::size_t size = 0;
    for (int i = 0; i < in.Count(); ++i) {
        lists.all.push_back(GetList(in[i], false));
        size += lists.all.back()->Size();
    }
    NewList result(size);
    for (const CLogoList* list : lists.all) result.AddItems(*list, 0, list->Size());
    return result.Take();
}

CHandleData* Word(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    std::string text;
    for (int i = 0; i < in.Count(); ++i) {
        const std::string part = GetString(in[i], false);
        if (IsListValue(in[i]))
            text.append(part, 1, part.size() - 2);  // without the outer brackets
        else
            text += part;
    }
    return MakeWord(text);
}

CHandleData* Parse(CLogoTask*, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    if (IsListValue(in[0])) RaiseWrongInput(calledName, in[0]);
    const std::string text = GetString(in[0], false);
    constexpr std::string_view kSeparators = " \t\r\n";
    NewList result(0);
    std::size_t at = text.find_first_not_of(kSeparators);
    while (at != std::string::npos) {
        const std::size_t end = text.find_first_of(kSeparators, at);
        result.Adopt(MakeWord(text.substr(at, end == std::string::npos ? end : end - at)));
        at = text.find_first_not_of(kSeparators, end);
    }
    return result.Take();
}

// list? (37) and word? (46).
CHandleData* IsListTest(CLogoTask*, CHandleData** inputs, int32_t option, const std::string&) {
    HandlerInputs in(inputs);
    return BooleanValue(IsListValue(in[0]) == (option == 37));
}

CHandleData* IsNumber(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    CHandleData* h = in[0];
    if (!IsCell(h)) return FalseValue();
    if (h->Type() == kTypeInteger || h->Type() == kTypeReal) return TrueValue();
    if (h->Type() != kTypeString) return FalseValue();
    try {
        GetReal(h, false);
        return TrueValue();
    } catch (const LogoError& e) {
        Release(e.handle);
        return FalseValue();
    }
}

// clang-format off
constexpr PrimitiveRow kRows[] = {
    FixedRow(Ascii, 22, 22, 1),
    FixedRow(ButFirst, 23, 23, 1),
    FixedRow(ButFirst, 24, 24, 1),
    FixedRow(Char, 25, 0, 1),
    FixedRow(Count, 26, 26, 1),
    FixedRow(Count, 27, 27, 1),
    FixedRow(First, 29, 29, 1),
    FixedRow(Fput, 30, 30, 2),
    FixedRow(InsertItem, 32, 32, 3),
    FixedRow(Item, 33, 33, 2),
    FixedRow(Position, 34, 34, 2),
    FixedRow(First, 35, 35, 1),
    GatheringRow(List, 36, 36),
    FixedRow(IsListTest, 37, 37, 1),
    FixedRow(Fput, 38, 38, 2),
    FixedRow(Member, 39, 39, 2),
    FixedRow(IsNumber, 40, 40, 1),
    FixedRow(Parse, 41, 41, 1),
    FixedRow(Remove, 42, 0, 2),
    FixedRow(InsertItem, 43, 43, 3),
    GatheringRow(Sentence, 44, 44),
    GatheringRow(Word, 45, 45),
    FixedRow(IsListTest, 46, 46, 1),
};
// clang-format on

}  // namespace

PrimitiveFamily WordListPrimitives() {
    return {kRows, {}};
}
