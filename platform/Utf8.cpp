#include "platform/Utf8.h"

#include <cstdint>

namespace platform {

namespace {

inline bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

}  // namespace

Utf8Unit DecodeUtf8(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const std::size_t left = text.size() - at;
    const unsigned char b0 = byte(0);
    Utf8Unit unit;
    if (b0 < 0x80) {
        unit.code = b0;
        unit.valid = true;
        return unit;
    }
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0) low = 0xA0;
        if (b0 == 0xED) high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0) low = 0x90;
        if (b0 == 0xF4) high = 0x8F;
    } else {
        unit.code = b0;
        return unit;
    }
    if (left < length || byte(1) < low || byte(1) > high) {
        unit.code = b0;
        return unit;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsContinuation(byte(i))) {
            unit.code = b0;
            return unit;
        }
    }
    char32_t code = b0 & (0xFF >> (length + 1));
    for (std::size_t i = 1; i < length; ++i) code = (code << 6) | (byte(i) & 0x3F);
    unit.code = code;
    unit.length = length;
    unit.valid = true;
    return unit;
}

namespace {

char32_t LowerCodePoint(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
    if (c >= 0xC0 && c <= 0xDE) return c == 0xD7 ? c : c + 0x20;
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x130) return U'i';  // capital I with dot above
        if (c == 0x178) return 0xFF;  // capital Y with diaeresis
        // Capitals sit on even code points, except in the two runs that
        // the lone small letters U+0138 and U+0149 shift by one.
        const bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        const bool evenCapitals =
            (c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
        if (oddCapitals && (c & 1) == 1) return c + 1;
        if (evenCapitals && (c & 1) == 0) return c + 1;
        return c;
    }
    if (c >= 0x391 && c <= 0x3A9) return c == 0x3A2 ? c : c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    return c;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

namespace {

inline unsigned char AsciiLower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 0x20) : c;
}

}  // namespace

std::string LowerCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const auto b = static_cast<unsigned char>(text[at]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(AsciiLower(b)));
            ++at;
            continue;
        }
        const Utf8Unit unit = DecodeUtf8(text, at);
        if (unit.valid)
            AppendUtf8(out, LowerCodePoint(unit.code));
        else
            out.push_back(text[at]);
        at += unit.length;
    }
    return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    // Called for every entry of the name table on each look-up, so the
    // ASCII case runs without decoding and without allocation.
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        if ((ca | cb) < 0x80) {
            if (AsciiLower(ca) != AsciiLower(cb)) return false;
            ++i;
            ++j;
            continue;
        }
        // Lower case may change a character's length (U+0130 becomes 'i'),
        // so both sides are compared a character at a time.
        const Utf8Unit ua = DecodeUtf8(a, i);
        const Utf8Unit ub = DecodeUtf8(b, j);
        if (ua.valid != ub.valid) return false;
        if (ua.valid) {
            if (LowerCodePoint(ua.code) != LowerCodePoint(ub.code)) return false;
        } else if (ua.code != ub.code) {
            return false;
        }
        i += ua.length;
        j += ub.length;
    }
    return i == a.size() && j == b.size();
}

std::size_t CountCharacters(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); ++count) {
        at += static_cast<unsigned char>(text[at]) < 0x80 ? 1 : DecodeUtf8(text, at).length;
    }
    return count;
}

std::string_view FirstCharacters(std::string_view text, std::size_t maxCharacters) {
    if (text.size() <= maxCharacters) return text;  // no more characters than bytes
    std::size_t at = 0;
    for (std::size_t count = 0; count < maxCharacters && at < text.size(); ++count) {
        at += static_cast<unsigned char>(text[at]) < 0x80 ? 1 : DecodeUtf8(text, at).length;
    }
    return text.substr(0, at);
}

}  // namespace platform
