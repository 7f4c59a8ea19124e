#include "project/PageRenderer.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "project/ControlPainters.h"
#include "project/GraphPainter.h"
#include "project/KinetraDoc.h"
#include "project/TextDrawing.h"

namespace {

constexpr int kLabelPixels = 11;
constexpr int kPageMargin = 8;
constexpr QSize kDefaultPage(640, 480);
const QColor kBorder(96, 96, 96);
const QColor kLabelInk(48, 48, 48);

QFont LabelFont() {
    FontRecord record;
    record.height = -kLabelPixels;
    return FontOf(record);
}

int LabelHeight() {
    return kLabelPixels + 4;
}

bool HasBorder(const CPageObject& object) {
    const int32_t type = object.Type();
    return object.Border() && type != kButtonObject && type != kSliderObject;
}

}  // namespace

QRect NameLabelArea(const CPageObject& object) {
    if (!object.NameShown() || object.Name().empty()) return {};
    if (const CPageButton* button = object.As<CPageButton>();
        button && ButtonShowsNameOnFace(*button))
        return {};
    const PageRect r = object.Rect();
    const int outside = HasBorder(object) ? 1 : 0;
    // Wide enough for the name at the label's font, measured only when
    // text can be drawn; the label is clipped to it.
    const int width =
        CanDrawText()
            ? QFontMetrics(LabelFont()).horizontalAdvance(QString::fromStdString(object.Name())) + 4
            : 8 * static_cast<int>(object.Name().size());
    const int above = r.top - outside - LabelHeight();
    const int top = above >= 0 ? above : r.bottom + outside + 1;
    return QRect(r.left - outside, top, width, LabelHeight());
}

QSize PageExtent(const CKinetraDoc& doc, const CPage& page) {
    const PageRect frame = doc.Settings().pageFrame.Normalised();
    QSize extent(frame.right - frame.left, frame.bottom - frame.top);
    if (extent.width() <= 0 || extent.height() <= 0) extent = kDefaultPage;
    for (const auto& object : page.Objects()) {
        const PageRect r = object->Rect().Inflated(1);
        QRect reach(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
        reach = reach.united(NameLabelArea(*object));
        extent = extent.expandedTo(
            QSize(reach.right() + 1 + kPageMargin, reach.bottom() + 1 + kPageMargin));
    }
    return extent;
}

void PaintPage(QPainter& painter, const CPage& page, const CPictureLibrary& pictures,
               QSize extent) {
    const QRect area(QPoint(0, 0), extent);
    painter.fillRect(area, ColourOf(page.BackColour()));
    if (!page.Wallpaper().empty()) {
        const PictureRef wallpaper = pictures.Find(page.Wallpaper());
        const QImage tile = wallpaper ? PictureImage(*wallpaper) : QImage();
        if (!tile.isNull())
            for (int y = 0; y < extent.height(); y += tile.height())
                for (int x = 0; x < extent.width(); x += tile.width())
                    painter.drawImage(x, y, tile);
    }
    for (const auto& object : page.Objects()) {
        PaintObjectFrame(painter, *object);
        painter.save();
        painter.translate(object->Position().x, object->Position().y);
        painter.setClipRect(
            QRect(QPoint(0, 0), QSize(object->Size().width, object->Size().height)));
        PaintObjectBody(painter, *object);
        painter.restore();
    }
}

void PaintObjectBody(QPainter& painter, const CPageObject& object) {
    const QSize size(object.Size().width, object.Size().height);
    if (const CPictureBox* box = object.As<CPictureBox>())
        painter.drawImage(QPoint(0, 0), box->Pixels(object.Size()));
    else if (const CGraph* graph = object.As<CGraph>())
        PaintGraph(painter, *graph, size);
    else if (const CPageButton* button = object.As<CPageButton>())
        PaintButton(painter, *button, size, object.NameShown() ? object.Name() : std::string());
    else if (const CSlider* slider = object.As<CSlider>())
        PaintSlider(painter, *slider, size);
    else if (const CMonitor* monitor = object.As<CMonitor>())
        PaintMonitor(painter, *monitor, size);
    else if (const CTextBox* text = object.As<CTextBox>())
        PaintTextBox(painter, *text, size);
}

void PaintObjectFrame(QPainter& painter, const CPageObject& object) {
    painter.save();
    if (HasBorder(object)) {
        const PageRect r = object.Rect();
        painter.setPen(QPen(kBorder, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(r.left - 1, r.top - 1, r.right - r.left + 1, r.bottom - r.top + 1));
    }
    const QRect label = NameLabelArea(object);
    if (!label.isEmpty() && CanDrawText()) {
        painter.setFont(LabelFont());
        painter.setPen(kLabelInk);
        painter.drawText(label.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromStdString(object.Name()));
    }
    painter.restore();
}
