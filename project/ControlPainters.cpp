#include "project/ControlPainters.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextOption>
#include <algorithm>
#include <cmath>
#include <string>

#include "project/Monitor.h"
#include "project/PageButton.h"
#include "project/ShapeLists.h"
#include "project/Slider.h"
#include "project/TextBox.h"
#include "project/TextDrawing.h"

namespace {

// The shapes in the order of the shape list: texts 8100-8104.
enum class Shape { kRectangle, kRounded, kRound, kArrowLeft, kArrowRight };

constexpr int kInset = 3;
const QColor kEdge(112, 112, 112);
const QColor kFaceTop(250, 250, 250);
const QColor kFaceBottom(212, 214, 218);
const QColor kPressedTop(188, 190, 196);
const QColor kPressedBottom(226, 228, 232);
const QColor kGlyph(60, 64, 72);

Shape ShapeOf(const CPageButton& button) {
    const ButtonShape* shape = FindButtonShape(button.shape);
    if (!shape) return Shape::kRectangle;
    return static_cast<Shape>(shape - ButtonShapes().data());
}

QBrush Face(QRectF area, bool down) {
    QLinearGradient gradient(area.topLeft(), area.bottomLeft());
    gradient.setColorAt(0, down ? kPressedTop : kFaceTop);
    gradient.setColorAt(1, down ? kPressedBottom : kFaceBottom);
    return gradient;
}

QPolygonF Arrow(QRectF area, bool left) {
    const double mid = area.center().y();
    const double head = area.width() * 0.45;
    const double shaft = area.height() * 0.22;
    QPolygonF arrow{{0, mid},
                    {head, area.top()},
                    {head, mid - shaft},
                    {area.width(), mid - shaft},
                    {area.width(), mid + shaft},
                    {head, mid + shaft},
                    {head, area.bottom()}};
    arrow.translate(area.left(), 0);
    if (!left)
        for (QPointF& p : arrow) p.setX(area.left() + area.right() - p.x());
    return arrow;
}

QString Number(double value, bool whole) {
    if (whole || value == std::floor(value)) return QString::number(std::lround(value));
    return QString::number(value, 'f', 2);
}

}  // namespace

bool ButtonShowsNameOnFace(const CPageButton& button) {
    const Shape shape = ShapeOf(button);
    return shape == Shape::kRectangle || shape == Shape::kRounded;
}

void PaintButton(QPainter& painter, const CPageButton& button, QSize size,
                 const std::string& caption) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(0, 0, size.width(), size.height()).adjusted(0.5, 0.5, -0.5, -0.5);
    const Shape shape = ShapeOf(button);
    painter.setPen(QPen(kEdge, 1));
    painter.setBrush(Face(area, button.down));
    switch (shape) {
        case Shape::kRectangle:
            painter.drawRect(area);
            break;
        case Shape::kRounded: {
            const double radius = std::min(area.height(), area.width()) / 3;
            painter.drawRoundedRect(area, radius, radius);
            break;
        }
        case Shape::kRound:
            painter.drawEllipse(area);
            break;
        case Shape::kArrowLeft:
        case Shape::kArrowRight:
            painter.drawPolygon(Arrow(area, shape == Shape::kArrowLeft));
            break;
    }
    // Pressed, the face is lit from below and its caption sinks a pixel.
    const double sink = button.down ? 1 : 0;
    if (shape == Shape::kRound) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(button.down ? kGlyph : kEdge);
        const double r = std::min(area.width(), area.height()) / 5;
        painter.drawEllipse(area.center() + QPointF(sink, sink), r, r);
    }
    if (!caption.empty() && ButtonShowsNameOnFace(button) && CanDrawText()) {
        FontRecord record;
        record.height = -std::clamp(size.height() - 8, 8, 13);
        const QFont font = FontOf(record);
        painter.setFont(font);
        painter.setPen(kGlyph);
        const QRectF text = area.adjusted(kInset + sink, sink, -kInset + sink, sink);
        painter.drawText(
            text, Qt::AlignCenter,
            QFontMetrics(font).elidedText(QString::fromStdString(caption), Qt::ElideRight,
                                          static_cast<int>(text.width())));
    }
    painter.restore();
}

void PaintSlider(QPainter& painter, const CSlider& slider, QSize size) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const bool upright = slider.orientation == 0;
    const double length = upright ? size.height() : size.width();
    const double thickness = upright ? size.width() : size.height();
    // Drawn lying; an upright slider is the same turned, its minimum at the bottom.
    if (upright) {
        painter.translate(0, size.height());
        painter.rotate(-90);
    }
    const QRectF groove(thickness / 2, thickness / 2 - 2, std::max(0.0, length - thickness), 4);
    painter.setPen(QPen(kEdge, 1));
    painter.setBrush(QColor(200, 202, 208));
    painter.drawRoundedRect(groove, 2, 2);

    const QString value = Number(slider.value, slider.wholeNumbers != 0);
    FontRecord record;
    record.height = -std::clamp(static_cast<int>(thickness) - 6, 8, 12);
    const QFont font = FontOf(record);
    const double textWidth = CanDrawText() ? QFontMetrics(font).horizontalAdvance(value) : 0;
    const double thumbLength = std::min(length, std::max(thickness, textWidth + 8));
    const double span = slider.maximum > slider.minimum ? slider.maximum - slider.minimum : 1;
    const double share = std::clamp((slider.value - slider.minimum) / span, 0.0, 1.0);
    const QRectF thumb(share * (length - thumbLength) + 0.5, 0.5, thumbLength - 1, thickness - 1);
    painter.setBrush(Face(thumb, false));
    painter.drawRoundedRect(thumb, 3, 3);
    if (CanDrawText()) {
        painter.setFont(font);
        painter.setPen(kGlyph);
        if (upright) {
            // The value reads across, not up the slider.
            painter.save();
            painter.translate(thumb.center());
            painter.rotate(90);
            painter.drawText(
                QRectF(-thumb.height() / 2, -thumb.width() / 2, thumb.height(), thumb.width()),
                Qt::AlignCenter, value);
            painter.restore();
        } else {
            painter.drawText(thumb, Qt::AlignCenter, value);
        }
    }
    painter.restore();
}

void PaintMonitor(QPainter& painter, const CMonitor& monitor, QSize size) {
    painter.save();
    const QRect area(QPoint(0, 0), size);
    painter.fillRect(area, ColourOf(monitor.backColour));
    if (CanDrawText()) {
        const QFont font = FontOf(monitor.font);
        painter.setFont(font);
        painter.setPen(ColourOf(monitor.textColour));
        const QRect text = area.adjusted(kInset, 0, -kInset, 0);
        painter.setClipRect(area);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetrics(font).elidedText(QString::fromStdString(monitor.shown),
                                                       Qt::ElideRight, text.width()));
    }
    painter.restore();
}

void PaintTextBox(QPainter& painter, const CTextBox& box, QSize size) {
    painter.save();
    const QRect area(QPoint(0, 0), size);
    painter.fillRect(area, ColourOf(box.backColour));
    if (CanDrawText()) {
        QString text = QString::fromStdString(box.text);
        text.replace("\r\n", "\n");
        painter.setFont(FontOf(box.font));
        painter.setPen(ColourOf(box.textColour));
        painter.setClipRect(area);
        QTextOption option(Qt::AlignLeft | Qt::AlignTop);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        painter.drawText(QRectF(area.adjusted(kInset, kInset - 1, -kInset, -kInset)), text, option);
    }
    painter.restore();
}
