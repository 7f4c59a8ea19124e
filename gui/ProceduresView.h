// The procedures page in the window: a plain-text editor with Logo's
// colours and a find bar (Ctrl+F). Its text is defined when the user
// leaves the page, as the interpreter expects: when the editor loses the
// keyboard focus (or the window calls DefineNow on leaving the page's
// window) and the text differs from the one defined last. Errors of the
// definition are printed by the interpreter, each with its line, wherever
// the front end's task host prints.
#pragma once

#include <QWidget>
#include <mutex>
#include <string>
#include <string_view>

#include "project/ProceduresEditor.h"

class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace gui {

class LogoHighlighter;

class ProceduresView : public QWidget, public ProceduresEditor {
    Q_OBJECT

  public:
    explicit ProceduresView(QWidget* parent = nullptr);

    // ProceduresEditor: the text with CR LF line ends; a project's text
    // shown and defined; a locked project's page read-only. Logo threads
    // read the text and lock the page too: Text and SetReadOnly may be
    // called from any thread, the rest on the GUI thread.
    std::string Text() override;
    void Load(const std::string& text) override;
    void SetReadOnly(bool readOnly) override;
    // Shows a text that is already defined (the page of the session the
    // window joins), without defining it again.
    void ShowDefined(const std::string& text);

    // What Logo writes into the page (pons, the print primitives aimed at
    // it): added at the end on a line of its own. It is defined, like the
    // user's typing, when the page is left.
    void Append(std::string_view text);
    // The caret to the end of the text, or to its start.
    void MoveCaret(bool toEnd);
    // The page's colours as the open project has them: its background
    // (unless it follows the system's) and the text colour Logo chose.
    // Done on Load; call it again when Logo changes them.
    void ApplyColours();

    QPlainTextEdit* Editor() const { return editor_; }
    LogoHighlighter* Highlighter() const { return highlighter_; }

  public slots:
    // Defines the text when it changed since it was last defined.
    void DefineNow();
    void ShowFind();
    // The next (or previous) match of the find bar's text, in any case,
    // round the end of the page; false when there is none.
    bool FindNext();
    bool FindPrevious();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool Find(bool backward);
    void HideFind();

    QPlainTextEdit* editor_;
    LogoHighlighter* highlighter_;
    QWidget* findBar_;
    QLineEdit* findText_;
    std::string defined_;  // the text defined last, line ends LF
    mutable std::mutex textLock_;
    std::string text_;  // the editor's text for other threads, line ends CR LF
    bool loading_ = false;
};

}  // namespace gui
