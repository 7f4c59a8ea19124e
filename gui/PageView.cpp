#include "gui/PageView.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <utility>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "platform/MessageBox.h"
#include "project/GraphPainter.h"
#include "project/KinetraDoc.h"
#include "project/ObjectActions.h"
#include "project/PageRenderer.h"
#include "project/TextDrawing.h"

namespace gui {

namespace {

std::string WithoutCarriageReturns(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

// The model keeps a text box's line ends as CR LF.
std::string WithCarriageReturns(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// Everything the renderer draws a page from, as bytes: when they are the
// same as last time nothing is drawn again (the command centre's keys and
// a monitor's updates come through the same refresh). A sampling graph's
// curves are left out: their new samples are drawn apart.
class LookWriter {
  public:
    explicit LookWriter(std::string& out) : out_(out) {}
    void Int(int32_t value) { Append(value); }
    void Double(double value) { Append(value); }
    void Text(const std::string& text) {
        Append(text.size());
        out_ += text;
    }
    void Colour(const ::Colour& colour) {
        for (int32_t part : {colour.red, colour.green, colour.blue}) Append(part);
    }
    void Font(const FontRecord& font) {
        for (int32_t value :
             {font.height, font.width, font.escapement, font.orientation, font.weight})
            Append(value);
        for (uint8_t value : {font.italic, font.underline, font.strikeOut, font.charSet})
            Append(value);
        out_.append(reinterpret_cast<const char*>(font.face.data()), font.face.size());
    }
    void Curves(const CurveSet& curves) {
        if (skipCurves) return;
        for (const auto& curve : curves) {
            Append(curve.size());
            out_.append(reinterpret_cast<const char*>(curve.data()), curve.size() * sizeof(double));
        }
    }
    void Constant(int32_t) {}
    bool Has(int32_t) const { return true; }
    template <typename T>
    void Append(T value) {
        out_.append(reinterpret_cast<const char*>(&value), sizeof value);
    }

    bool skipCurves = false;

  private:
    std::string& out_;
};

std::string PageLook(const CPage& page, QSize extent) {
    std::string look;
    LookWriter out(look);
    out.Text(page.Name());
    out.Colour(page.BackColour());
    out.Text(page.Wallpaper());
    out.Int(extent.width());
    out.Int(extent.height());
    for (const auto& object : page.Objects()) {
        out.Int(object->Serial());
        out.Int(object->Selected());
        if (const CGraph* graph = object->As<CGraph>()) {
            out.skipCurves = graph->Sampling();  // takes the data lock itself
            auto data = graph->DataLock();
            CPageObject::Fields(*object, out);
            out.skipCurves = false;
            continue;
        }
        CPageObject::Fields(*object, out);
        if (const CPageButton* button = object->As<CPageButton>()) out.Int(button->down);
        if (const CMonitor* monitor = object->As<CMonitor>()) out.Text(monitor->shown);
        if (const CPictureBox* box = object->As<CPictureBox>()) out.Append(box->changes);
    }
    return look;
}

}  // namespace

PageView::PageView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    sampleTimer_ = new QTimer(this);
    sampleTimer_->setInterval(kSampleDrawMs);
    connect(sampleTimer_, &QTimer::timeout, this, &PageView::DrawNewSamples);
}

PageView::~PageView() = default;

std::shared_ptr<CKinetraDoc> PageView::Document() const {
    return doc_.lock();
}

void PageView::Refresh() {
    const auto doc = CKinetraDoc::Current();
    if (doc != doc_.lock()) {
        CloseEditor();
        doc_ = doc;
    }
    if (!doc) {
        page_ = nullptr;
        picture_ = QImage();
        sampleTimer_->stop();
        update();
        return;
    }
    auto hold = doc->Lock();
    const CPage* page = doc->CurrentPage();
    if (page != page_) {
        CloseEditor();
        pressed_ = dragged_ = readOut_ = 0;
        page_ = page;
    }
    if (!page) {
        picture_ = QImage();
        update();
        return;
    }
    // Unchanged, it is not drawn again: a sampling graph goes on drawing
    // only its new samples.
    const std::string look = PageLook(*page, PageExtent(*doc, *page).expandedTo(minimumArea_));
    if (look != look_ || picture_.isNull()) {
        look_ = look;
        Render(*doc, *page);
    }
    if (editing_) {
        if (const CPageObject* box = Shown(*doc, editing_))
            SyncEditor(*box);
        else
            CloseEditor();
    }
}

void PageView::SetMinimumArea(QSize area) {
    if (area == minimumArea_) return;
    minimumArea_ = area;
    if (!picture_.isNull()) Refresh();
}

void PageView::Redraw() {
    look_.clear();
    Refresh();
}

void PageView::Render(const CKinetraDoc& doc, const CPage& page) {
    const QSize extent = PageExtent(doc, page).expandedTo(minimumArea_);
    picture_ = QImage(extent, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&picture_);
        PaintPage(painter, page, doc.Pictures(), extent);
    }
    ++fullPaints_;
    marks_.clear();
    bool sampling = false;
    for (const auto& object : page.Objects()) {
        const CGraph* graph = object->As<CGraph>();
        if (!graph) continue;
        sampling = sampling || graph->Sampling();
        GraphMark mark;
        mark.serial = object->Serial();
        auto data = graph->DataLock();
        for (int c = 0; c < 4; ++c) mark.counts[c] = graph->curves[c].size();
        mark.ranges = {graph->xMinimum, graph->xMaximum, graph->yMinimum, graph->yMaximum};
        marks_.push_back(mark);
    }
    if (sampling)
        sampleTimer_->start();
    else
        sampleTimer_->stop();
    setFixedSize(extent);
    update();
}

// A graph that only gained samples gets the line to them drawn onto the
// picture, and only their columns repainted; anything else (a range
// doubled, curves emptied, sampling ended) draws the page again.
void PageView::DrawNewSamples() {
    const auto doc = doc_.lock();
    if (!doc) return;
    auto hold = doc->Lock();
    const CPage* page = doc->CurrentPage();
    if (!page || page != page_) return Redraw();
    struct Part {
        const CPageObject* object;
        int curve;
        std::size_t first, last;
    };
    std::vector<Part> parts;
    QRegion dirty;
    bool sampling = false;
    // False when the page must be drawn again; the graph's data lock is let
    // go before that.
    const auto collect = [&](GraphMark& mark) {
        const CPageObject* object = doc->FindObject(mark.serial);
        const CGraph* graph = object ? object->As<CGraph>() : nullptr;
        if (!graph || doc->PageOf(*object) != page) return false;
        const bool samples = graph->Sampling();
        sampling = sampling || samples;
        const QSize size(object->Size().width, object->Size().height);
        auto data = graph->DataLock();
        const std::array<double, 4> ranges{graph->xMinimum, graph->xMaximum, graph->yMinimum,
                                           graph->yMaximum};
        if (ranges != mark.ranges) return false;
        for (int c = 0; c < 4; ++c) {
            const std::size_t count = graph->curves[c].size();
            if (count == mark.counts[c]) continue;
            if (count < mark.counts[c] || !samples) return false;
            const std::size_t first = mark.counts[c] > 0 ? mark.counts[c] - 1 : 0;
            const auto x = [&](std::size_t i) {
                const double at = graph->xOffset + static_cast<double>(i) * graph->interval;
                return GraphPoint(*graph, size, at, 0).x();
            };
            const QRect plot = GraphPlotArea(size);
            const int left = static_cast<int>(std::floor(x(first))) - 3;
            const int right = static_cast<int>(std::ceil(x(count - 1))) + 3;
            dirty += QRect(left, plot.top() - 2, right - left + 1, plot.height() + 4)
                         .intersected(QRect(QPoint(0, 0), size))
                         .translated(object->Position().x, object->Position().y);
            parts.push_back({object, c, first, count - 1});
            mark.counts[c] = count;
        }
        return true;
    };
    for (GraphMark& mark : marks_)
        if (!collect(mark)) return Redraw();
    for (const Part& part : parts) {
        QPainter painter(&picture_);
        painter.translate(part.object->Position().x, part.object->Position().y);
        painter.setClipRect(QRect(0, 0, part.object->Size().width, part.object->Size().height));
        PaintCurvePart(painter, *part.object->As<CGraph>(),
                       QSize(part.object->Size().width, part.object->Size().height), part.curve,
                       part.first, part.last);
    }
    if (!parts.empty()) {
        ++partPaints_;
        update(dirty);
    }
    if (!sampling) sampleTimer_->stop();
}

void PageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    if (picture_.isNull()) {
        painter.fillRect(area, palette().color(QPalette::Window));
        return;
    }
    painter.drawImage(area.topLeft(), picture_, area);
    if (!readOut_) return;
    const auto doc = doc_.lock();
    if (!doc) return;
    auto hold = doc->Lock();
    const CPageObject* object = Shown(*doc, readOut_);
    if (!object || !object->As<CGraph>()) return;
    painter.translate(object->Position().x, object->Position().y);
    const QSize size(object->Size().width, object->Size().height);
    painter.setClipRect(QRect(QPoint(0, 0), size));
    PaintGraphReadOut(painter, *object->As<CGraph>(), size, readOutX_);
}

void PageView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (overlay_) overlay_->setGeometry(rect());
}

void PageView::SetEditMode(bool edit) {
    if (edit == editMode_) return;
    editMode_ = edit;
    CloseEditor();
    pressed_ = dragged_ = 0;
    if (readOut_) {
        readOut_ = 0;
        update();
    }
    if (overlay_) {
        overlay_->setAttribute(Qt::WA_TransparentForMouseEvents, !edit);
        overlay_->raise();
    }
}

void PageView::SetOverlay(QWidget* overlay) {
    routed_ = false;
    delete overlay_;
    overlay_ = overlay;
    if (!overlay_) return;
    overlay_->setParent(this);
    overlay_->setGeometry(rect());
    overlay_->setAttribute(Qt::WA_TransparentForMouseEvents, !editMode_);
    overlay_->raise();
    overlay_->show();
}

CPageObject* PageView::ObjectAt(QPoint point) const {
    const auto doc = doc_.lock();
    if (!doc) return nullptr;
    auto hold = doc->Lock();
    const CPage* page = doc->CurrentPage();
    return page && page == page_ ? page->ObjectAt(ToPage(point)) : nullptr;
}

CPageObject* PageView::Shown(const CKinetraDoc& doc, int32_t serial) const {
    CPageObject* object = doc.FindObject(serial);
    return object && doc.PageOf(*object) == page_ ? object : nullptr;
}

template <typename Operation>
void PageView::Act(Operation operation) {
    try {
        operation();
    } catch (const LogoError& error) {
        // Too many tasks, for one: the object stays as it was.
        platform::ShowMessage(platform::MessageKind::Error, ErrorText(error.handle));
        Release(error.handle);
    }
    emit modelChanged();
}

void PageView::mousePressEvent(QMouseEvent* event) {
    if (editMode_ || event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    // The overlay lies over the whole view: the event needs no mapping.
    if (overlay_ && routing_ && routing_(event->position().toPoint(), event->modifiers())) {
        routed_ = true;
        QCoreApplication::sendEvent(overlay_, event);
        return;
    }
    const auto doc = doc_.lock();
    CPageObject* object = ObjectAt(event->position().toPoint());
    if (!doc || !object) return;
    const int32_t serial = object->Serial();
    const int32_t type = object->Type();
    if (type == kButtonObject) {
        pressed_ = serial;
        return Act([&] { PressButton(*doc, *object); });
    }
    TouchObject(*doc, *object);
    if (type == kSliderObject) {
        dragged_ = serial;
        DragSlider(event->position().toPoint());
        return;
    }
    if (type == kTextBoxObject) {
        auto hold = doc->Lock();
        if (!object->As<CTextBox>()->protectedText)
            OpenEditor(*object, event->position().toPoint());
    }
    emit modelChanged();
}

void PageView::mouseMoveEvent(QMouseEvent* event) {
    if (editMode_) return QWidget::mouseMoveEvent(event);
    if (routed_) {
        QCoreApplication::sendEvent(overlay_, event);
        return;
    }
    const QPoint at = event->position().toPoint();
    if (dragged_) return DragSlider(at);
    // The read-out follows the cursor over a graph's plot area.
    int32_t graph = 0;
    int x = 0;
    if (const auto doc = doc_.lock()) {
        auto hold = doc->Lock();
        const CPageObject* object = ObjectAt(at);
        if (object && object->As<CGraph>()) {
            const QPoint local = at - FromPage(object->Position());
            if (GraphPlotArea(QSize(object->Size().width, object->Size().height)).contains(local)) {
                graph = object->Serial();
                x = local.x();
            }
        }
    }
    if (graph != readOut_ || x != readOutX_) {
        readOut_ = graph;
        readOutX_ = x;
        update();  // the read-out is drawn over the picture, not into it
    }
}

void PageView::mouseReleaseEvent(QMouseEvent* event) {
    if (editMode_ || event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    if (std::exchange(routed_, false)) {
        QCoreApplication::sendEvent(overlay_, event);
        return;
    }
    dragged_ = 0;
    const int32_t serial = std::exchange(pressed_, 0);
    const auto doc = doc_.lock();
    if (!serial || !doc) return;
    CPageObject* button = [&] {
        auto hold = doc->Lock();
        return Shown(*doc, serial);
    }();
    if (button) Act([&] { ReleaseButton(*doc, *button); });
}

void PageView::leaveEvent(QEvent* event) {
    if (readOut_) {
        readOut_ = 0;
        update();
    }
    QWidget::leaveEvent(event);
}

// The thumb's centre follows the cursor along the groove, as the slider's
// painter lays it out: the ends of the groove are half a thickness in.
void PageView::DragSlider(QPoint at) {
    const auto doc = doc_.lock();
    if (!doc) return;
    CPageObject* object = nullptr;
    double value = 0;
    {
        auto hold = doc->Lock();
        object = Shown(*doc, dragged_);
        const CSlider* slider = object ? object->As<CSlider>() : nullptr;
        if (!slider) {
            dragged_ = 0;
            return;
        }
        const QPoint local = at - FromPage(object->Position());
        const bool upright = slider->orientation == 0;
        const double length = upright ? object->Size().height : object->Size().width;
        const double thickness = upright ? object->Size().width : object->Size().height;
        const double along = upright ? length - local.y() : local.x();
        const double share =
            std::clamp((along - thickness / 2) / std::max(1.0, length - thickness), 0.0, 1.0);
        value = slider->minimum + share * (slider->maximum - slider->minimum);
    }
    Act([&] { SetSliderValue(*doc, *object, value); });
}

// A text box being typed in holds a plain text editor over it, in its font
// and colours; every change goes to the model at once, caret included, so
// that Logo reads what is shown.
void PageView::OpenEditor(const CPageObject& object, QPoint at) {
    if (!editor_) {
        editor_ = new QPlainTextEdit(this);
        editor_->setFrameShape(QFrame::NoFrame);
        editor_->installEventFilter(this);
        connect(editor_, &QPlainTextEdit::textChanged, this, &PageView::EditorChanged);
        connect(editor_, &QPlainTextEdit::cursorPositionChanged, this, &PageView::EditorChanged);
    }
    const CTextBox& box = *object.As<CTextBox>();
    {
        // Setting it up is no typing.
        const QSignalBlocker quiet(editor_);
        editor_->setGeometry(object.Position().x, object.Position().y, object.Size().width,
                             object.Size().height);
        editor_->setFont(FontOf(box.font));
        QPalette colours = editor_->palette();
        colours.setColor(QPalette::Base, ColourOf(box.backColour));
        colours.setColor(QPalette::Text, ColourOf(box.textColour));
        editor_->setPalette(colours);
        editor_->document()->setDocumentMargin(2);
        SyncEditor(object);
    }
    editing_ = object.Serial();
    editor_->show();
    editor_->raise();
    if (overlay_) overlay_->raise();
    // The caret goes where the click was.
    editor_->setTextCursor(editor_->cursorForPosition(editor_->viewport()->mapFrom(this, at)));
    editor_->setFocus(Qt::MouseFocusReason);
}

void PageView::SyncEditor(const CPageObject& object) {
    const CTextBox& box = *object.As<CTextBox>();
    const QString text = QString::fromStdString(WithoutCarriageReturns(box.text));
    const int caret = static_cast<int>(
        QString::fromStdString(WithoutCarriageReturns(box.text.substr(0, box.caret))).size());
    syncing_ = true;
    if (editor_->toPlainText() != text) editor_->setPlainText(text);
    QTextCursor cursor = editor_->textCursor();
    if (cursor.position() != caret && !cursor.hasSelection()) {
        cursor.setPosition(std::min(caret, static_cast<int>(text.size())));
        editor_->setTextCursor(cursor);
    }
    syncing_ = false;
}

void PageView::EditorChanged() {
    const auto doc = doc_.lock();
    if (syncing_ || !editing_ || !doc) return;
    {
        auto hold = doc->Lock();
        CPageObject* object = Shown(*doc, editing_);
        CTextBox* box = object ? object->As<CTextBox>() : nullptr;
        if (!box) return;
        const QString text = editor_->toPlainText();
        const std::string stored = WithCarriageReturns(text.toStdString());
        if (stored != box->text) {
            box->text = stored;
            doc->SetModified(true);
        }
        box->caret =
            WithCarriageReturns(text.left(editor_->textCursor().position()).toStdString()).size();
    }
    emit modelChanged();
}

void PageView::CloseEditor() {
    if (!editing_) return;
    editing_ = 0;
    editor_->hide();
    // Drawn by the renderer again, with what was typed.
    if (const auto doc = doc_.lock()) {
        auto hold = doc->Lock();
        if (const CPage* page = doc->CurrentPage(); page && page == page_) Render(*doc, *page);
    }
}

bool PageView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ && event->type() == QEvent::FocusOut)
        QTimer::singleShot(0, this, [this] {
            if (editor_ && !editor_->hasFocus()) CloseEditor();
        });
    return QWidget::eventFilter(watched, event);
}

}  // namespace gui
