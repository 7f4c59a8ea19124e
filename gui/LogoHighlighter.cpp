#include "gui/LogoHighlighter.h"

#include <QColor>
#include <QFont>
#include <QRegularExpression>
#include <string>

#include "LogoCore/HandleData.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/Parser.h"

namespace gui {

namespace {

QTextCharFormat MakeFormat(const QColor& colour, bool bold = false, bool italic = false) {
    QTextCharFormat format;
    format.setForeground(colour);
    if (bold) format.setFontWeight(QFont::Bold);
    format.setFontItalic(italic);
    return format;
}

// Whether the word names a primitive (or a word the setup or a page object
// registered, which a program uses the same way).
bool IsPrimitive(const QString& word) {
    CHandleData* entry = FindName(word.toStdString());
    if (!entry) return false;
    const bool primitive = entry->Type() == kTypePrimitive;
    Release(entry);
    return primitive;
}

// The spelling of the word with the reader's token (to, end).
QString Spelling(int32_t token) {
    CHandleData* entry = FindToken(token);
    if (!entry) return {};
    const QString name = QString::fromStdString(entry->Name());
    Release(entry);
    return name;
}

bool IsWordCharacter(QChar c) {
    return c.unicode() > 127 || !IsDelimiter(static_cast<unsigned char>(c.unicode())) || c == u'.';
}

}  // namespace

LogoHighlighter::LogoHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(document),
      definition_(MakeFormat(QColor(0x1a, 0x3f, 0x9c), true)),
      primitive_(MakeFormat(QColor(0x00, 0x6d, 0x77))),
      number_(MakeFormat(QColor(0xb3, 0x4d, 0x00))),
      comment_(MakeFormat(QColor(0x7a, 0x7a, 0x7a), false, true)),
      quoted_(MakeFormat(QColor(0x3a, 0x7d, 0x22))) {}

QTextCharFormat LogoHighlighter::Format(Kind kind) const {
    switch (kind) {
        case Kind::Definition:
            return definition_;
        case Kind::Primitive:
            return primitive_;
        case Kind::Number:
            return number_;
        case Kind::Comment:
            return comment_;
        case Kind::Quoted:
            return quoted_;
    }
    return {};
}

void LogoHighlighter::highlightBlock(const QString& text) {
    static const QRegularExpression number(QStringLiteral(R"(^(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$)"));
    const QString opening = Spelling(kOpeningWordToken);
    const QString closing = Spelling(kClosingWordToken);
    bool afterOpening = false;  // the next word names the procedure
    bool firstWord = true;
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        const QChar c = text[i];
        if (c == u';') {
            setFormat(int(i), int(size - i), comment_);
            return;
        }
        if (c == u':') {  // a variable: its name is no primitive
            ++i;
            while (i < size && IsWordCharacter(text[i])) ++i;
            firstWord = false;
            continue;
        }
        if (c == u'|') {  // a word between bars, blanks and all
            qsizetype end = text.indexOf(u'|', i + 1);
            i = end < 0 ? size : end + 1;
            firstWord = false;
            continue;
        }
        if (c == u'"') {
            qsizetype end = i + 1;
            while (end < size && text[end] != u' ' && text[end] != u'\t' && text[end] != u']' &&
                   text[end] != u'[' && text[end] != u')' && text[end] != u'(' && text[end] != u';')
                ++end;
            setFormat(int(i), int(end - i), quoted_);
            i = end;
            firstWord = false;
            continue;
        }
        if (!IsWordCharacter(c)) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < size && IsWordCharacter(text[end])) ++end;
        const QString word = text.mid(i, end - i);
        const int start = int(i), length = int(end - i);
        if (afterOpening) {
            setFormat(start, length, definition_);
            afterOpening = false;
        } else if (firstWord && !opening.isEmpty() &&
                   word.compare(opening, Qt::CaseInsensitive) == 0) {
            setFormat(start, length, definition_);
            afterOpening = true;
        } else if (firstWord && !closing.isEmpty() &&
                   word.compare(closing, Qt::CaseInsensitive) == 0) {
            setFormat(start, length, definition_);
        } else if (number.match(word).hasMatch()) {
            setFormat(start, length, number_);
        } else if (IsPrimitive(word)) {
            setFormat(start, length, primitive_);
        }
        firstWord = false;
        i = end;
    }
}

}  // namespace gui
