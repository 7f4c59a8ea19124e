#include "app/HeadlessDrawing.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

// Qt's application object takes the user's locale for the C library; the
// numbers Kinetra writes must keep their point whatever that locale is.
TEST(HeadlessDrawing, TheCLibraryKeepsWritingNumbersInTheCLocale) {
    const char* before = std::getenv("LC_ALL");
    const std::string saved = before ? before : "";
    setenv("LC_ALL", "C.UTF-8", 1);
    {
        HeadlessDrawing drawing;
        EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", 3.5);
        EXPECT_STREQ(text, "3.5");
    }
    if (before)
        setenv("LC_ALL", saved.c_str(), 1);
    else
        unsetenv("LC_ALL");
    std::setlocale(LC_ALL, "C");
}
