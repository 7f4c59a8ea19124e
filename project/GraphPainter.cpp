#include "project/GraphPainter.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "project/GraphText.h"
#include "project/TextDrawing.h"

namespace {

constexpr int kScalePixels = 11;
constexpr int kTick = 4;
// Curves 1-4: blue, red, green, orange, told apart also by the colour-blind.
constexpr QRgb kCurveColours[] = {qRgb(0, 90, 200), qRgb(210, 40, 40), qRgb(0, 150, 70),
                                  qRgb(230, 140, 0)};

QFont ScaleFont() {
    FontRecord record;
    record.height = -kScalePixels;
    return FontOf(record);
}

double Span(double from, double to) {
    return to - from > 0 ? to - from : 1;
}

// The caller holds the data lock.
void CurveLine(QPainter& painter, const CGraph& graph, QSize size, int curve, std::size_t first,
               std::size_t last) {
    const std::vector<double>& samples = graph.curves[curve];
    if (samples.empty() || first >= samples.size()) return;
    last = std::min(last, samples.size() - 1);
    const auto at = [&](std::size_t i) {
        return GraphPoint(graph, size, graph.xOffset + static_cast<double>(i) * graph.interval,
                          samples[i]);
    };
    painter.save();
    painter.setClipRect(GraphPlotArea(size).adjusted(0, 0, 1, 1));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(CurveColour(curve), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (first == last) {
        painter.drawPoint(at(first));
    } else {
        // Separate segments stroke far faster than one long wide line. Where
        // several samples share a pixel column, the line into the first and
        // one from the lowest to the highest show them all.
        QList<QLineF> lines;
        QPointF from = at(first);
        std::size_t i = first + 1;
        while (i <= last) {
            const QPointF start = at(i);
            const int column = static_cast<int>(std::floor(start.x()));
            QPointF low = start, high = start, end = start;
            for (++i; i <= last; ++i) {
                const QPointF p = at(i);
                if (static_cast<int>(std::floor(p.x())) != column) break;
                if (p.y() > low.y()) low = p;
                if (p.y() < high.y()) high = p;
                end = p;
            }
            lines.append(QLineF(from, start));
            if (high != low) lines.append(QLineF(high, low));
            from = end;
        }
        painter.drawLines(lines);
    }
    painter.restore();
}

void Scales(QPainter& painter, const CGraph& graph, QSize size) {
    const QRect plot = GraphPlotArea(size);
    const QFont font = ScaleFont();
    const QFontMetrics metrics(font);
    painter.setFont(font);
    const QColor ink = ColourOf(graph.graphColour);
    const QColor grid(ink.red(), ink.green(), ink.blue(), 50);
    const double shown = graph.offsetDisplay ? graph.xOffset : 0;

    const XScale x = ComputeXScale(graph.xMinimum + shown, graph.xMaximum + shown, plot.width(),
                                   metrics.horizontalAdvance('0'));
    for (const int32_t label : x.labels) {
        if (label < graph.xMinimum + shown) continue;
        const int px = static_cast<int>(std::lround(GraphPoint(graph, size, label - shown, 0).x()));
        if (graph.displayFlags[1]) {
            painter.setPen(QPen(grid, 1, Qt::DotLine));
            painter.drawLine(px, plot.top() + 1, px, plot.bottom() - 1);
        }
        painter.setPen(ink);
        painter.drawLine(px, plot.bottom(), px, plot.bottom() + kTick);
        const QString text = QString::number(label);
        const int w = metrics.horizontalAdvance(text);
        painter.drawText(QRect(px - w, plot.bottom() + kTick + 1, 2 * w, metrics.height()),
                         Qt::AlignHCenter | Qt::AlignTop, text);
    }
    const XScale y =
        ComputeYScale(graph.yMinimum, graph.yMaximum, plot.height(), 2 * metrics.height());
    for (const int32_t label : y.labels) {
        if (label < graph.yMinimum) continue;
        const int py = static_cast<int>(std::lround(GraphPoint(graph, size, 0, label).y()));
        if (graph.displayFlags[1]) {
            painter.setPen(QPen(grid, 1, Qt::DotLine));
            painter.drawLine(plot.left() + 1, py, plot.right() - 1, py);
        }
        painter.setPen(ink);
        painter.drawLine(plot.left() - kTick, py, plot.left(), py);
        painter.drawText(
            QRect(0, py - metrics.height() / 2, plot.left() - kTick - 2, metrics.height()),
            Qt::AlignRight | Qt::AlignVCenter, QString::number(label));
    }

    // The captions, shortened at their ends to fit.
    const int captionWidth = std::max(0, plot.width() / 2 - 44);
    if (graph.displayFlags[0] && !graph.xCaption.empty() && captionWidth > 0) {
        const QString caption = metrics.elidedText(QString::fromStdString(graph.xCaption),
                                                   Qt::ElideRight, captionWidth);
        painter.drawText(QRect(plot.right() - captionWidth, size.height() - metrics.height() - 6,
                               captionWidth, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, caption);
    }
    if (!graph.yCaption.empty()) {
        const QString caption = metrics.elidedText(QString::fromStdString(graph.yCaption),
                                                   Qt::ElideRight, plot.width() / 2);
        painter.drawText(QRect(4, 3, plot.left() - 4 + plot.width() / 2, metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, caption);
    }
}

}  // namespace

QRect GraphPlotArea(QSize size) {
    return QRect(kGraphLeftMargin, kGraphTopMargin,
                 std::max(1, size.width() - kGraphLeftMargin - kGraphRightMargin),
                 std::max(1, size.height() - kGraphTopMargin - kGraphBottomMargin));
}

QPointF GraphPoint(const CGraph& graph, QSize size, double x, double value) {
    const QRectF plot = GraphPlotArea(size);
    const double px = plot.left() + (x - graph.xMinimum) / Span(graph.xMinimum, graph.xMaximum) *
                                        (plot.width() - 1);
    const double py =
        plot.top() + plot.height() - 1 -
        (value - graph.yMinimum) / Span(graph.yMinimum, graph.yMaximum) * (plot.height() - 1);
    return {px, py};
}

QColor CurveColour(int curve) {
    return QColor(kCurveColours[std::clamp(curve, 0, 3)]);
}

void PaintGraph(QPainter& painter, const CGraph& graph, QSize size) {
    auto data = graph.DataLock();
    painter.save();
    painter.fillRect(QRect(QPoint(0, 0), size), ColourOf(graph.backColour));
    const QRect plot = GraphPlotArea(size);
    painter.fillRect(plot, Qt::white);
    painter.setPen(ColourOf(graph.graphColour));
    painter.drawRect(plot.adjusted(0, 0, -1, -1));
    if (CanDrawText()) Scales(painter, graph, size);
    for (int c = 0; c < 4; ++c) CurveLine(painter, graph, size, c, 0, graph.curves[c].size());
    painter.restore();
}

void PaintCurvePart(QPainter& painter, const CGraph& graph, QSize size, int curve,
                    std::size_t first, std::size_t last) {
    if (curve < 0 || curve > 3 || last < first) return;
    auto data = graph.DataLock();
    CurveLine(painter, graph, size, curve, first, last);
}

void PaintGraphReadOut(QPainter& painter, const CGraph& graph, QSize size, int cursorX) {
    if (!CanDrawText()) return;
    auto data = graph.DataLock();
    const QRect plot = GraphPlotArea(size);
    const double x = graph.xMinimum + (cursorX - plot.left()) *
                                          Span(graph.xMinimum, graph.xMaximum) /
                                          std::max(1, plot.width() - 1);
    const double sinceStart = x - graph.xOffset;
    QString line = QString::fromStdString(XReadOut(graph.interval, graph.xOffset, sinceStart));
    const long index = graph.interval > 0 ? std::lround(sinceStart / graph.interval) : -1;
    for (int c = 0; c < 4; ++c) {
        const std::vector<double>& samples = graph.curves[c];
        const bool has = index >= 0 && static_cast<std::size_t>(index) < samples.size();
        const std::string text = YReadOut(c + 1, has, has ? samples[index] : 0);
        if (!text.empty()) line += "   " + QString::fromStdString(text);
    }
    painter.save();
    const QFont font = ScaleFont();
    painter.setFont(font);
    const QRect area(plot.left() + plot.width() / 2, 2, plot.width() / 2 + kGraphRightMargin - 4,
                     kGraphTopMargin - 4);
    painter.fillRect(area, ColourOf(graph.backColour));
    painter.setPen(ColourOf(graph.graphColour));
    painter.drawText(area, Qt::AlignRight | Qt::AlignVCenter,
                     QFontMetrics(font).elidedText(line, Qt::ElideRight, area.width()));
    painter.restore();
}
