// Drawing a graph: the whole of it with four full curves, against only the
// newest samples of one curve, as the window draws while sampling.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>

#include "project/GraphPainter.h"

namespace {

constexpr QSize kGraphSize(600, 400);

// Text needs a QGuiApplication; made once, offscreen, on the main thread.
void NeedGuiApplication() {
    static int argc = 1;
    static char name[] = "render_bench";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance()) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
}

CGraph& FullGraph() {
    static CGraph graph = [] {
        CGraph made;
        for (int c = 0; c < 4; ++c)
            for (int i = 0; i < 3000; ++i)
                made.curves[c].push_back(500 + 400 * std::sin(i / (50.0 + c)));
        made.xMaximum = 3000 * made.interval;
        return made;
    }();
    return graph;
}

void BM_WholeGraph(benchmark::State& state) {
    NeedGuiApplication();
    QImage image(kGraphSize, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        PaintGraph(painter, FullGraph(), kGraphSize);
    }
}
BENCHMARK(BM_WholeGraph)->Unit(benchmark::kMillisecond);

// Three new samples joined to the last one drawn.
void BM_NewestSamples(benchmark::State& state) {
    NeedGuiApplication();
    QImage image(kGraphSize, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        PaintCurvePart(painter, FullGraph(), kGraphSize, 0, 2996, 2999);
    }
}
BENCHMARK(BM_NewestSamples)->Unit(benchmark::kMicrosecond);

}  // namespace
