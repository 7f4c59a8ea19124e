#include "project/TextBox.h"

#include <algorithm>

void CTextBox::InsertText(const std::string& added) {
    const std::size_t at = std::min(caret, text.size());
    text.insert(at, added);
    caret = at + added.size();
}
