// What a graph shows and exports as text, as pure functions of its data:
// the X scale's labels, the read-outs at the cursor, and the curves as CSV
// for a spreadsheet. The window only draws what these give.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "project/Graph.h"

struct XScale {
    double step = 1;
    std::vector<int32_t> labels;  // from the first label, every step, up to the range's end
    int labelChars = 0;           // a label's width in characters (zeros)
};

// The scale of the range from..to (offset added already when the offset
// display is on) across a plot of that many pixels, a zero that wide.
XScale ComputeXScale(double from, double to, int plotPixels, int zeroPixels);
// The Y scale: the same steps and first label, for a plot that high and
// labels that need so many pixels of it each.
XScale ComputeYScale(double from, double to, int plotPixels, int labelPixels);

// "X: %.0f" (interval 1 or more) or "X: %.1f" of the offset plus the cursor's X.
std::string XReadOut(double interval, int32_t xOffset, double cursorX);
// Curve 1-4 at the cursor: empty for a curve without samples.
std::string YReadOut(int curve, bool hasSamples, double value);

// A header (the X caption, then each curve's source or "Y1".."Y4") and a
// row per sample index: X in X units (offset included), then each curve's
// value or an empty cell. With the decimal comma the cells are separated by
// semicolons.
std::string CurvesCsv(const CGraph& graph, char decimalSeparator);
