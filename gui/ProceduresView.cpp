#include "gui/ProceduresView.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/LogoHighlighter.h"
#include "platform/TextCatalog.h"
#include "project/KinetraDoc.h"

namespace gui {

namespace {

constexpr int32_t kTextFind = 3330;
constexpr int32_t kTextFindNext = 3331;
constexpr int32_t kTextFindPrevious = 3332;

QString Resource(int32_t id) {
    return QString::fromStdString(platform::ResourceText(id));
}

}  // namespace

ProceduresView::ProceduresView(QWidget* parent)
    : QWidget(parent),
      editor_(new QPlainTextEdit(this)),
      highlighter_(new LogoHighlighter(editor_->document())),
      findBar_(new QWidget(this)),
      findText_(new QLineEdit(findBar_)) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    editor_->setFont(font);
    editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    editor_->setTabStopDistance(4 * editor_->fontMetrics().horizontalAdvance(u' '));
    editor_->installEventFilter(this);

    auto* label = new QLabel(Resource(kTextFind), findBar_);
    label->setBuddy(findText_);
    auto* previous = new QToolButton(findBar_);
    previous->setArrowType(Qt::UpArrow);
    previous->setToolTip(Resource(kTextFindPrevious));
    auto* next = new QToolButton(findBar_);
    next->setArrowType(Qt::DownArrow);
    next->setToolTip(Resource(kTextFindNext));
    auto* close = new QToolButton(findBar_);
    close->setText(QStringLiteral("\u00D7"));
    close->setAutoRaise(true);
    auto* barLayout = new QHBoxLayout(findBar_);
    barLayout->setContentsMargins(4, 2, 4, 2);
    barLayout->addWidget(label);
    barLayout->addWidget(findText_, 1);
    barLayout->addWidget(previous);
    barLayout->addWidget(next);
    barLayout->addWidget(close);
    findBar_->hide();
    findText_->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(editor_, 1);
    layout->addWidget(findBar_);
    setFocusProxy(editor_);

    auto* find = new QShortcut(QKeySequence::Find, this);
    find->setContext(Qt::WidgetWithChildrenShortcut);
    connect(find, &QShortcut::activated, this, &ProceduresView::ShowFind);
    connect(findText_, &QLineEdit::returnPressed, this, &ProceduresView::FindNext);
    connect(findText_, &QLineEdit::textEdited, this, [this] {
        // Typing searches from where the match began, so the match grows.
        QTextCursor at = editor_->textCursor();
        at.setPosition(at.selectionStart());
        editor_->setTextCursor(at);
        FindNext();
    });
    connect(next, &QToolButton::clicked, this, &ProceduresView::FindNext);
    connect(previous, &QToolButton::clicked, this, &ProceduresView::FindPrevious);
    connect(close, &QToolButton::clicked, this, &ProceduresView::HideFind);
    connect(editor_->document(), &QTextDocument::contentsChanged, this, [this] {
        {
            std::string text = WithLineEnds(editor_->toPlainText().toStdString(), "\r\n");
            std::lock_guard<std::mutex> hold(textLock_);
            text_ = std::move(text);
        }
        if (loading_) return;
        if (const auto doc = CKinetraDoc::Current()) doc->SetModified(true);
    });
}

std::string ProceduresView::Text() {
    std::lock_guard<std::mutex> hold(textLock_);
    return text_;
}

void ProceduresView::Load(const std::string& text) {
    ShowDefined(text);
    DefineProceduresPage(defined_);
}

void ProceduresView::ShowDefined(const std::string& text) {
    const std::string page = WithLineEnds(text, "\n");
    loading_ = true;
    editor_->setPlainText(QString::fromStdString(page));
    loading_ = false;
    defined_ = page;
    ApplyColours();
}

void ProceduresView::ApplyColours() {
    QPalette colours = palette();
    if (const auto doc = CKinetraDoc::Current()) {
        const auto qt = [](const Colour& c) { return QColor(c.red, c.green, c.blue); };
        auto hold = doc->Lock();
        const DocumentSettings& settings = doc->Settings();
        if (!settings.proceduresColourFollowsSystem)
            colours.setColor(QPalette::Base, qt(settings.proceduresColour));
        colours.setColor(QPalette::Text, qt(doc->Procedures().textColour));
    }
    editor_->setPalette(colours);
}

void ProceduresView::SetReadOnly(bool readOnly) {
    // At once on the GUI thread; from a Logo thread the GUI thread does it.
    QMetaObject::invokeMethod(editor_, [this, readOnly] { editor_->setReadOnly(readOnly); });
}

void ProceduresView::Append(std::string_view text) {
    const QString added = QString::fromStdString(WithLineEnds(text, "\n"));
    QTextCursor end(editor_->document());
    end.movePosition(QTextCursor::End);
    if (!editor_->document()->isEmpty() && !editor_->toPlainText().endsWith(u'\n'))
        end.insertText(QStringLiteral("\n"));
    end.insertText(added);
}

void ProceduresView::MoveCaret(bool toEnd) {
    editor_->moveCursor(toEnd ? QTextCursor::End : QTextCursor::Start);
}

void ProceduresView::DefineNow() {
    const std::string text = editor_->toPlainText().toStdString();
    if (text == defined_) return;
    defined_ = text;
    DefineProceduresPage(text);
}

void ProceduresView::ShowFind() {
    findBar_->show();
    const QString selected = editor_->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        findText_->setText(selected);
    findText_->selectAll();
    findText_->setFocus(Qt::ShortcutFocusReason);
}

void ProceduresView::HideFind() {
    findBar_->hide();
    findText_->setStyleSheet({});
    editor_->setFocus(Qt::OtherFocusReason);
}

bool ProceduresView::FindNext() {
    return Find(false);
}

bool ProceduresView::FindPrevious() {
    return Find(true);
}

bool ProceduresView::Find(bool backward) {
    const QString wanted = findText_->text();
    if (wanted.isEmpty()) return false;
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    QTextDocument* document = editor_->document();
    QTextCursor found = document->find(wanted, editor_->textCursor(), flags);
    if (found.isNull()) {
        // Round the end (or the start) of the page.
        QTextCursor from(document);
        if (backward) from.movePosition(QTextCursor::End);
        found = document->find(wanted, from, flags);
    }
    // A pale red field says there is none, as browsers and editors do.
    findText_->setStyleSheet(found.isNull() ? QStringLiteral("QLineEdit { background: #f8d0d0; }")
                                            : QString());
    if (found.isNull()) return false;
    editor_->setTextCursor(found);
    editor_->ensureCursorVisible();
    return true;
}

bool ProceduresView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ && event->type() == QEvent::FocusOut) {
        const auto* focus = static_cast<QFocusEvent*>(event);
        // A context menu or the page's own find bar do not leave the page.
        const QWidget* next = QApplication::focusWidget();
        const bool stays = focus->reason() == Qt::PopupFocusReason ||
                           (next && next != editor_ && isAncestorOf(next));
        if (!stays) DefineNow();
    }
    if (watched == findText_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            HideFind();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            key->modifiers() & Qt::ShiftModifier) {
            FindPrevious();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace gui
