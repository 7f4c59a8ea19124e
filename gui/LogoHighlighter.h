// Logo's colours on the procedures page: the opening and closing words of
// a definition and the procedure's name, primitives, numbers, comments and
// quoted words. What is a primitive, and how the opening and closing words
// are spelt, is asked of the interpreter's name table, so a vocabulary in
// another language is coloured too.
#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace gui {

class LogoHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

  public:
    enum class Kind { Definition, Primitive, Number, Comment, Quoted };

    explicit LogoHighlighter(QTextDocument* document);

    // The format a kind of text is given.
    QTextCharFormat Format(Kind kind) const;

  protected:
    void highlightBlock(const QString& text) override;

  private:
    QTextCharFormat definition_;
    QTextCharFormat primitive_;
    QTextCharFormat number_;
    QTextCharFormat comment_;
    QTextCharFormat quoted_;
};

}  // namespace gui
