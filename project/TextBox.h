// A text box: text that Logo reads by the box's name and writes into.
#pragma once

#include <cstdint>
#include <string>

#include "project/FontRecord.h"
#include "project/Geometry.h"

class CTextBox {
  public:
    static constexpr const char* kClassName = "CTextBox";
    static constexpr int32_t kFirstProtectedVersion = 6;

    // At the caret, which then follows the text.
    void InsertText(const std::string& added);
    // The caret to the end of the text (false) or to its start (true).
    void TopBottom(bool start) { caret = start ? 0 : text.size(); }
    void ClearText() {
        text.clear();
        caret = 0;
    }

    FontRecord font;
    std::string text;  // line ends CR LF
    Colour textColour = kBlack;
    Colour backColour = kWindowColour;
    int32_t protectedText = 0;
    std::size_t caret = std::string::npos;  // a byte offset; past the end means the end

    template <typename Self, typename Visitor>
    static void Fields(Self& self, Visitor& v) {
        v.Font(self.font);
        v.Text(self.text);
        v.Colour(self.textColour);
        v.Colour(self.backColour);
        if (v.Has(kFirstProtectedVersion)) v.Int(self.protectedText);
    }
};
