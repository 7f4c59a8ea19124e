#include "platform/TextCatalog.h"

#include <fstream>
#include <limits>
#include <sstream>

namespace platform {

namespace {

const std::string kNoText;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A catalog saved in another encoding would show garbage in every message
// box; refusing it at load time names the line instead.
bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + extra >= text.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond Unicode.
        static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            switch (text[i + 1]) {
                case 'r':
                    out += '\r';
                    ++i;
                    continue;
                case 'n':
                    out += '\n';
                    ++i;
                    continue;
                case 't':
                    out += '\t';
                    ++i;
                    continue;
                case '\\':
                    out += '\\';
                    ++i;
                    continue;
                default:
                    break;
            }
        }
        out += text[i];
    }
    return out;
}

// One catalog line (without its line feed). Returns false with the reason
// when the line is malformed; *id stays 0 for a line that holds no entry.
bool ParseLine(std::string_view line, int32_t* id, std::string* text, std::string* reason) {
    *id = 0;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t pos = 0;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos == line.size() || line[pos] == '#') return true;

    if (!IsDigit(line[pos])) {
        *reason = "expected a number at the start of the line";
        return false;
    }
    int64_t value = 0;
    while (pos < line.size() && IsDigit(line[pos])) {
        value = value * 10 + (line[pos] - '0');
        if (value > std::numeric_limits<int32_t>::max()) {
            *reason = "the number is too large";
            return false;
        }
        ++pos;
    }
    if (value == 0) {
        *reason = "the number must be positive";
        return false;
    }
    if (pos == line.size()) {
        *reason = "no text after the number";
        return false;
    }
    if (!IsBlank(line[pos])) {
        *reason = "expected a blank or a tab after the number";
        return false;
    }
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos == line.size()) {
        *reason = "no text after the number";
        return false;
    }
    const std::string_view raw = line.substr(pos);
    if (!IsValidUtf8(raw)) {
        *reason = "the text is not valid UTF-8";
        return false;
    }
    *id = static_cast<int32_t>(value);
    *text = Unescape(raw);
    return true;
}

}  // namespace

bool TextCatalog::Load(const std::filesystem::path& file, std::string* error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        if (error) *error = file.string() + ": cannot be opened for reading";
        return false;
    }
    std::ostringstream contents;
    contents << in.rdbuf();
    if (in.bad()) {
        if (error) *error = file.string() + ": cannot be read";
        return false;
    }
    return LoadFromString(contents.str(), file.string(), error);
}

bool TextCatalog::LoadFromString(std::string_view text, std::string_view sourceName,
                                 std::string* error) {
    // A byte-order mark left by an editor is not part of the first line.
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());

    std::unordered_map<int32_t, std::string> texts;
    std::unordered_map<int32_t, std::size_t> firstLine;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        ++lineNumber;
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;

        int32_t id = 0;
        std::string entry;
        std::string reason;
        if (!ParseLine(line, &id, &entry, &reason)) {
            if (error)
                *error = std::string(sourceName) + ":" + std::to_string(lineNumber) + ": " + reason;
            return false;
        }
        if (id == 0) continue;
        const auto [where, added] = firstLine.emplace(id, lineNumber);
        if (!added) {
            if (error)
                *error = std::string(sourceName) + ":" + std::to_string(lineNumber) + ": id " +
                         std::to_string(id) + " given twice (first on line " +
                         std::to_string(where->second) + ")";
            return false;
        }
        texts.emplace(id, std::move(entry));
    }
    texts_ = std::move(texts);
    return true;
}

const std::string& TextCatalog::Text(int32_t id) const {
    const auto found = texts_.find(id);
    return found == texts_.end() ? kNoText : found->second;
}

bool TextCatalog::Has(int32_t id) const {
    return texts_.count(id) != 0;
}

std::string FormatMessageText(std::string_view templ, const std::vector<std::string>& args) {
    std::string out;
    out.reserve(templ.size());
    std::size_t i = 0;
    while (i < templ.size()) {
        const char c = templ[i];
        if (c != '%' || i + 1 == templ.size()) {
            out += c;
            ++i;
            continue;
        }
        const char next = templ[i + 1];
        if (next == '%') {
            out += '%';
            i += 2;
            continue;
        }
        if (next < '1' || next > '9') {
            out += c;
            ++i;
            continue;
        }
        // One or two digits, taking the second whenever there is one.
        std::size_t length = 2;
        std::size_t index = static_cast<std::size_t>(next - '0');
        if (i + 2 < templ.size() && IsDigit(templ[i + 2])) {
            index = index * 10 + static_cast<std::size_t>(templ[i + 2] - '0');
            length = 3;
        }
        if (index <= args.size())
            out += args[index - 1];
        else
            out.append(templ.substr(i, length));
        i += length;
    }
    return out;
}

TextCatalog& ResourceLibrary() {
    static TextCatalog library;
    return library;
}

const std::string& ResourceText(int32_t id) {
    return ResourceLibrary().Text(id);
}

std::string FormatResource(int32_t id, const std::vector<std::string>& args) {
    return FormatMessageText(ResourceText(id), args);
}

}  // namespace platform
