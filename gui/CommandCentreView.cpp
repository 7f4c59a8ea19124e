#include "gui/CommandCentreView.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextCursor>

namespace gui {

namespace {

constexpr int kHistoryLength = 100;

QString Displayed(std::string_view text) {
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    shown.remove(QLatin1Char('\r'));
    return shown;
}

// The line being typed: what follows the model's last line break.
std::string CurrentLine(const std::string& text) {
    const std::size_t at = text.rfind("\r\n");
    return at == std::string::npos ? text : text.substr(at + 2);
}

}  // namespace

CommandCentreView::CommandCentreView(QWidget* parent) : QPlainTextEdit(parent) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
}

void CommandCentreView::ShowText(const std::string& text) {
    if (text == shown_) return;
    QScrollBar* bar = verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    if (text.size() > shown_.size() && text.compare(0, shown_.size(), shown_) == 0) {
        QTextCursor end(document());
        end.movePosition(QTextCursor::End);
        end.insertText(Displayed(std::string_view(text).substr(shown_.size())));
    } else {
        setPlainText(Displayed(text));
    }
    shown_ = text;
    MoveCaretToEnd();
    if (following) bar->setValue(bar->maximum());
}

void CommandCentreView::MoveCaretToEnd() {
    QTextCursor caret = textCursor();
    if (caret.hasSelection()) return;  // the user is selecting to copy
    caret.movePosition(QTextCursor::End);
    setTextCursor(caret);
}

void CommandCentreView::Type(const QString& characters) {
    if (characters.isEmpty() || !keys_) return;
    const QByteArray bytes = characters.toUtf8();
    keys_(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void CommandCentreView::keyPressEvent(QKeyEvent* event) {
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool control = modifiers == Qt::ControlModifier;
    if (event->key() == Qt::Key_Escape ||
        (control && event->key() == Qt::Key_C && !textCursor().hasSelection())) {
        emit stopRequested();
        return;
    }
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll)) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        paste();
        return;
    }
    if (control && event->key() == Qt::Key_L) {
        Type(QStringLiteral("\f"));
        return;
    }
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!running_) {
                const QString line = QString::fromUtf8(CurrentLine(shown_));
                if (!line.isEmpty() && (history_.isEmpty() || history_.last() != line))
                    history_.append(line);
                while (history_.size() > kHistoryLength) history_.removeFirst();
                historyAt_ = static_cast<int>(history_.size());
            }
            Type(QStringLiteral("\r"));
            return;
        case Qt::Key_Backspace:
            Type(QStringLiteral("\b"));
            return;
        case Qt::Key_Up:
            RecallHistory(-1);
            return;
        case Qt::Key_Down:
            RecallHistory(1);
            return;
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            QPlainTextEdit::keyPressEvent(event);
            return;
        default:
            break;
    }
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).isPrint() && !(modifiers & Qt::ControlModifier)) {
        MoveCaretToEnd();
        Type(text);
    }
}

// Pasted text is typed: each line end runs its line, as typed ones do.
void CommandCentreView::insertFromMimeData(const QMimeData* source) {
    if (source && source->hasText()) {
        QString text = source->text();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\r"))
            .replace(QLatin1Char('\n'), QLatin1Char('\r'));
        Type(text);
    }
}

// Replaces the line being typed by an earlier (step -1) or later one.
void CommandCentreView::RecallHistory(int step) {
    if (running_ || history_.isEmpty()) return;
    const int at = std::clamp(historyAt_ + step, 0, static_cast<int>(history_.size()));
    if (at == historyAt_) return;
    historyAt_ = at;
    // The model removes a byte per backspace.
    Type(QString(static_cast<qsizetype>(CurrentLine(shown_).size()), QLatin1Char('\b')));
    if (at < history_.size()) Type(history_.at(at));
}

}  // namespace gui
