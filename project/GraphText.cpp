#include "project/GraphText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kSteps[] = {2,    5,    10,    20,    50,    100,    200,    500,   1000,
                             2000, 5000, 10000, 20000, 50000, 100000, 200000, 500000};

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A cell of the CSV: quoted when it holds the separator, a quote or a line end.
std::string Cell(const std::string& text, char separator) {
    if (text.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string Number(double value, char decimalSeparator) {
    std::string text = Format("%.8g", value);
    if (decimalSeparator != '.') std::replace(text.begin(), text.end(), '.', decimalSeparator);
    return text;
}

// The step from the table that puts at most fit labels across the range,
// and the labels from the rounded first one.
XScale ScaleOf(double from, double to, int fit) {
    XScale scale;
    fit = std::max(1, fit);
    const double range = to - from;
    if (range >= 2) {
        scale.step = kSteps[std::size(kSteps) - 1];
        for (const double step : kSteps) {
            if (step * fit >= 0.95 * range) {
                scale.step = step;
                break;
            }
        }
    }
    double first = from;
    if (range > 10) {
        // Rounded to a multiple of five by the first decimal of a tenth of it.
        const std::string tenth = Format("%.1f", from / 10);
        const double n = std::floor(std::stod(tenth));
        const int d = static_cast<int>(std::lround((std::stod(tenth) - n) * 10));
        first = d < 4 ? 10 * n : d <= 7 ? 10 * n + 5 : 10 * (n + 1);
    }
    for (double x = first; x <= to && scale.labels.size() < 10000; x += scale.step)
        scale.labels.push_back(static_cast<int32_t>(std::lround(x)));
    return scale;
}

}  // namespace

XScale ComputeXScale(double from, double to, int plotPixels, int zeroPixels) {
    const int labelChars =
        static_cast<int>(std::max(Format("%.0f", from).size(), Format("%.0f", to).size())) + 3;
    XScale scale = ScaleOf(from, to, plotPixels / std::max(1, labelChars * zeroPixels));
    scale.labelChars = labelChars;
    return scale;
}

XScale ComputeYScale(double from, double to, int plotPixels, int labelPixels) {
    return ScaleOf(from, to, plotPixels / std::max(1, labelPixels));
}

std::string XReadOut(double interval, int32_t xOffset, double cursorX) {
    return Format(interval >= 1 ? "X: %.0f" : "X: %.1f", xOffset + cursorX);
}

std::string YReadOut(int curve, bool hasSamples, double value) {
    if (!hasSamples) return {};
    const std::string prefix = "Y" + std::to_string(curve) + ": ";
    return prefix + Format(value == std::floor(value) ? "%.0f" : "%.1f", value);
}

std::string CurvesCsv(const CGraph& graph, char decimalSeparator) {
    const char separator = decimalSeparator == ',' ? ';' : ',';
    auto hold = graph.DataLock();
    std::string csv = Cell(graph.xCaption, separator);
    std::size_t rows = 0;
    for (int c = 0; c < 4; ++c) {
        const std::string& source = graph.curveFunctions[c];
        csv += separator;
        csv += Cell(source.empty() ? "Y" + std::to_string(c + 1) : source, separator);
        rows = std::max(rows, graph.curves[c].size());
    }
    csv += "\r\n";
    for (std::size_t i = 0; i < rows; ++i) {
        csv += Number(graph.xOffset + static_cast<double>(i) * graph.interval, decimalSeparator);
        for (const auto& curve : graph.curves) {
            csv += separator;
            if (i < curve.size()) csv += Number(curve[i], decimalSeparator);
        }
        csv += "\r\n";
    }
    return csv;
}
