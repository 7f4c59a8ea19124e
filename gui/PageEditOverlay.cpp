#include "gui/PageEditOverlay.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "gui/ObjectPropertiesDialog.h"
#include "gui/PageEditor.h"
#include "project/KinetraDoc.h"
#include "project/PageRenderer.h"

namespace gui {

namespace {

const QColor kTrackerColour(0, 90, 200);

QRect ToQRect(const PageRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

// The tracker one pixel outside the object, as the model's hit test has it,
// with its eight handles centred where the model looks for them.
void PaintTracker(QPainter& painter, const CPageObject& object) {
    const PageRect tracker = object.Rect().Inflated(1);
    const bool resizable = Resizable(object);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kTrackerColour, 1, resizable ? Qt::SolidLine : Qt::DotLine));
    painter.drawRect(ToQRect(tracker).adjusted(0, 0, -1, -1));
    const QRect label = NameLabelArea(object);
    if (!label.isEmpty()) {
        painter.setPen(QPen(kTrackerColour, 1, Qt::DotLine));
        painter.drawRect(label.adjusted(0, 0, -1, -1));
    }
    if (!resizable) return;
    const int half = CPage::kHandleSize / 2;
    const int xs[] = {tracker.left, (tracker.left + tracker.right) / 2, tracker.right - 1};
    const int ys[] = {tracker.top, (tracker.top + tracker.bottom) / 2, tracker.bottom - 1};
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(kTrackerColour);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            if (row != 1 || column != 1)
                painter.drawRect(xs[column] - half, ys[row] - half, 2 * half, 2 * half);
}

Qt::CursorShape CursorFor(TrackerPart part) {
    switch (part) {
        case TrackerPart::kTopLeft:
        case TrackerPart::kBottomRight:
            return Qt::SizeFDiagCursor;
        case TrackerPart::kTopRight:
        case TrackerPart::kBottomLeft:
            return Qt::SizeBDiagCursor;
        case TrackerPart::kTop:
        case TrackerPart::kBottom:
            return Qt::SizeVerCursor;
        case TrackerPart::kLeft:
        case TrackerPart::kRight:
            return Qt::SizeHorCursor;
        case TrackerPart::kInside:
            return Qt::SizeAllCursor;
        case TrackerPart::kNone:
            break;
    }
    return Qt::ArrowCursor;
}

}  // namespace

PageEditOverlay::PageEditOverlay(PageEditor& editor, QWidget* parent)
    : QWidget(parent),
      editor_(editor),
      toPage_([](QPoint p) { return p; }),
      toWidget_([](QPoint p) { return p; }),
      armed_([] { return 0; }) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    connect(&editor_, &PageEditor::changed, this, qOverload<>(&QWidget::update));
}

void PageEditOverlay::SetMapping(Mapping toPage, Mapping toWidget) {
    toPage_ = std::move(toPage);
    toWidget_ = std::move(toWidget);
    update();
}

PagePoint PageEditOverlay::ToPage(QPoint at) const {
    const QPoint p = toPage_(at);
    return {p.x(), p.y()};
}

void PageEditOverlay::PaintSelection(QPainter& painter, const PageEditor& editor) {
    auto hold = editor.Document().Lock();
    if (const CPage* page = editor.Page())
        for (const auto& object : page->Objects())
            if (object->Selected()) PaintTracker(painter, *object);
    if (const auto band = editor.Band()) {
        painter.setBrush(QColor(0, 90, 200, 30));
        painter.setPen(QPen(kTrackerColour, 1, Qt::DashLine));
        painter.drawRect(ToQRect(*band));
    }
}

void PageEditOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The page is drawn at its own scale, so the mapping is a shift.
    painter.translate(toWidget_(QPoint(0, 0)));
    PaintSelection(painter, editor_);
}

void PageEditOverlay::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    editor_.Press(ToPage(event->position().toPoint()),
                  event->modifiers().testFlag(Qt::ShiftModifier), armed_());
}

void PageEditOverlay::mouseMoveEvent(QMouseEvent* event) {
    const PagePoint at = ToPage(event->position().toPoint());
    if (event->buttons().testFlag(Qt::LeftButton)) {
        editor_.Drag(at);
        update();
    } else {
        setCursor(armed_() ? Qt::CrossCursor : CursorFor(editor_.PartAt(at)));
    }
}

void PageEditOverlay::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    editor_.Release(ToPage(event->position().toPoint()));
    update();
}

void PageEditOverlay::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click on an object opens its properties.
    const PagePoint at = ToPage(event->position().toPoint());
    int serial = 0;
    {
        auto hold = editor_.Document().Lock();
        if (const CPage* page = editor_.Page())
            if (const CPageObject* object = page->ObjectAt(at)) serial = object->Serial();
    }
    if (serial != 0 && ObjectPropertiesDialog::Edit(editor_.SharedDocument(), serial, this))
        emit editor_.changed();
}

void PageEditOverlay::keyPressEvent(QKeyEvent* event) {
    // The Edit menu's actions take their keys only in text widgets: here
    // the overlay takes them itself.
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace)
        del();
    else if (event->matches(QKeySequence::Undo))
        undo();
    else if (event->matches(QKeySequence::Cut))
        cut();
    else if (event->matches(QKeySequence::Copy))
        copy();
    else if (event->matches(QKeySequence::Paste))
        paste();
    else if (event->matches(QKeySequence::SelectAll))
        selectAll();
    else
        QWidget::keyPressEvent(event);
}

void PageEditOverlay::undo() {
    editor_.Undo().undo();
}

void PageEditOverlay::cut() {
    editor_.Cut(*QApplication::clipboard());
}

void PageEditOverlay::copy() {
    editor_.Copy(*QApplication::clipboard());
}

void PageEditOverlay::paste() {
    editor_.Paste(*QApplication::clipboard());
}

void PageEditOverlay::del() {
    editor_.DeleteSelected();
}

void PageEditOverlay::selectAll() {
    editor_.SelectAll();
}

void PageEditOverlay::bringToFront() {
    editor_.StackSelected(true);
}

void PageEditOverlay::sendToBack() {
    editor_.StackSelected(false);
}

}  // namespace gui
