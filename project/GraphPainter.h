// A graph drawn into any painter, at its own coordinates (0, 0 its top
// left): the plot area within the scales' margins, the X and Y scales,
// the captions, the curves, and the read-out at the cursor. The window
// draws a sampling graph's new samples with PaintCurvePart alone.
//
// Every function takes the graph's data lock itself: the caller must not
// hold it.
#pragma once

#include <QColor>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <cstddef>

#include "project/Graph.h"

class QPainter;

// The scales take 76 pixels across (left and right) and 79 down (top and
// bottom) around the plot area.
inline constexpr int kGraphLeftMargin = 52;
inline constexpr int kGraphRightMargin = 24;
inline constexpr int kGraphTopMargin = 22;
inline constexpr int kGraphBottomMargin = 57;

QRect GraphPlotArea(QSize size);
// Where a value of the curve at X (in X units, the offset included) lies.
QPointF GraphPoint(const CGraph& graph, QSize size, double x, double value);
// The colour of curve 0-3.
QColor CurveColour(int curve);

void PaintGraph(QPainter& painter, const CGraph& graph, QSize size);
// The curve's line from sample first to sample last (indexes; clipped to
// the samples there are), as sampling adds them.
void PaintCurvePart(QPainter& painter, const CGraph& graph, QSize size, int curve,
                    std::size_t first, std::size_t last);
// The read-out texts for the cursor at that X of the graph's own
// coordinates, drawn in the top margin over what was there.
void PaintGraphReadOut(QPainter& painter, const CGraph& graph, QSize size, int cursorX);
