#include "platform/NumberText.h"

#include <locale.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

std::atomic<char> gSeparator{'.'};

// The program may set the user's locale for other categories; numbers must
// still come out with '.' before the separator is put in, so the C library
// calls here run under the "C" locale for the calling thread only.
locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}

class CLocaleScope {
  public:
    CLocaleScope() {
        if (CLocale() != static_cast<locale_t>(0)) previous_ = uselocale(CLocale());
    }
    ~CLocaleScope() {
        if (previous_ != static_cast<locale_t>(0)) uselocale(previous_);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

  private:
    locale_t previous_ = static_cast<locale_t>(0);
};

std::string Format(const char* format, double x) {
    char buffer[512];  // "%f" of the largest double needs about 320 characters
    int length;
    {
        CLocaleScope scope;
        length = std::snprintf(buffer, sizeof buffer, format, x);
    }
    if (length < 0) return std::string();
    std::string text(buffer, static_cast<std::size_t>(length) < sizeof buffer
                                 ? static_cast<std::size_t>(length)
                                 : sizeof buffer - 1);
    const char separator = gSeparator.load(std::memory_order_relaxed);
    if (separator != '.') {
        for (char& c : text) {
            if (c == '.') {
                c = separator;
                break;
            }
        }
    }
    return text;
}

}  // namespace

char DecimalSeparator() {
    return gSeparator.load(std::memory_order_relaxed);
}

void SetDecimalSeparator(char separator) {
    gSeparator.store(separator == ',' ? ',' : '.', std::memory_order_relaxed);
}

std::string FormatFixed8(double x) {
    return Format("%1.8f", x);
}
std::string FormatGeneral8(double x) {
    return Format("%1.8g", x);
}
std::string FormatGeneral(double x) {
    return Format("%g", x);
}

ParsedReal ParseReal(std::string_view text) {
    // strtod needs a terminated text, and under ',' the roles of the two
    // characters swap: ',' becomes the point and '.' a character that ends
    // the number, as under a locale with a decimal comma.
    std::string copy(text);
    if (gSeparator.load(std::memory_order_relaxed) == ',') {
        for (char& c : copy) {
            if (c == '.')
                c = ';';
            else if (c == ',')
                c = '.';
        }
    }
    ParsedReal result;
    const char* begin = copy.c_str();
    char* end = nullptr;
    {
        CLocaleScope scope;
        errno = 0;
        result.value = std::strtod(begin, &end);
        result.outOfRange = errno == ERANGE;
    }
    result.used = static_cast<std::size_t>(end - begin);
    return result;
}

ParsedInteger ParseInteger(std::string_view text) {
    std::string copy(text);
    const char* begin = copy.c_str();
    char* end = nullptr;
    ParsedInteger result;
    errno = 0;
    const long long value = std::strtoll(begin, &end, 10);
    result.used = static_cast<std::size_t>(end - begin);
    if (errno == ERANGE || value > INT32_MAX || value < INT32_MIN) {
        result.outOfRange = true;
        result.value = value < 0 ? INT32_MIN : INT32_MAX;
    } else {
        result.value = value;
    }
    return result;
}

void UseCNumbersInTheCLibrary() {
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace platform
