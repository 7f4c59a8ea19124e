// A graph's sampling passes, ranges and texts, and its sampling thread
// against readers and deletion (run under ThreadSanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ProjectTestSupport.h"
#include "project/GraphText.h"
#include "project/ObjectActions.h"

namespace {

// Each sample is the time it was due at.
double DueTime(const std::string&, uint32_t time) {
    return time;
}

TEST(GraphSampling, PassesRangesAndTheFullCurve) {
    CGraph graph;
    graph.curveFunctions = {"light", "", "(none)", ".light"};
    graph.SetInterval(10);
    EXPECT_EQ(graph.xMinimum, 0);
    EXPECT_EQ(graph.xMaximum, 300);
    graph.SetNextSampleTime(1000);
    EXPECT_TRUE(graph.TakeDueSamples(1000 + 29 * 1000, DueTime));
    EXPECT_EQ(graph.curves[0].size(), 30u);
    EXPECT_EQ(graph.xMaximum, 300);
    EXPECT_TRUE(graph.TakeDueSamples(1000 + 30 * 1000 + 999, DueTime));
    EXPECT_EQ(graph.xMaximum, 600) << "31 samples";
    EXPECT_EQ(graph.curves[3].size(), 31u);
    EXPECT_TRUE(graph.curves[1].empty() && graph.curves[2].empty()) << "no source, no samples";
    EXPECT_EQ(graph.curves[0][30], 31000) << "read at its own due time";

    // Interval 1: due every 100 ms, woken every 250 ms.
    graph.SetInterval(1);
    EXPECT_EQ(graph.SleepMs(), CGraph::kMinimumSleepMs);
    graph.SetNextSampleTime(0);
    std::size_t before = 0;
    for (uint32_t now = 250; now <= 2500; now += 250) {
        graph.TakeDueSamples(now, DueTime);
        const std::size_t taken = graph.curves[0].size() - before;
        EXPECT_TRUE(taken == 2 || taken == 3) << now;
        before = graph.curves[0].size();
    }
    EXPECT_EQ(graph.curves[0].back(), 2500);

    // The 3001st sample stops sampling.
    graph.FillCurve(0, std::vector<double>(3000, 1.0));
    EXPECT_FALSE(graph.TakeDueSamples(graph.NextSampleTime(), DueTime));
    EXPECT_EQ(graph.curves[0].size(), 3000u);
    EXPECT_EQ(graph.xMaximum, 3000);
}

TEST(GraphSampling, SettingsThatChangeNothingAndFilling) {
    CGraph graph;
    graph.curves[1] = {1, 2};
    graph.SetInterval(0.1);
    graph.SetYAxis(5, 5);
    EXPECT_EQ(graph.interval, 10);
    EXPECT_EQ(graph.yMinimum, 0);
    EXPECT_EQ(graph.yMaximum, 1024);
    EXPECT_EQ(graph.curves[1].size(), 2u);
    graph.SetYAxis(-5, 50);
    graph.yMaximum = 7;
    graph.ShiftX(20);
    graph.FillCurve(2, std::vector<double>(3005, 2.0));
    EXPECT_EQ(graph.curves[2].size(), 3000u);
    EXPECT_EQ(graph.yMaximum, 50) << "the Y range comes back from the second set";
    EXPECT_EQ(graph.xMinimum, 20);
    EXPECT_EQ(graph.xMaximum, 2999 * 10 + 20);
    EXPECT_EQ(graph.xMaximum2, graph.xMaximum);
}

TEST(GraphText, ScaleReadOutsAndCsv) {
    // 0-300 on a plot of 400 pixels with 8-pixel zeros: 6 characters a
    // label, 8 labels fit, so a step of 50.
    XScale scale = ComputeXScale(0, 300, 400, 8);
    EXPECT_EQ(scale.step, 50);
    EXPECT_EQ(scale.labels, (std::vector<int32_t>{0, 50, 100, 150, 200, 250, 300}));
    struct First {
        double from;
        int32_t label;
    };
    for (const First f : {First{123, 120}, First{147, 145}, First{178, 180}, First{99, 100}})
        EXPECT_EQ(ComputeXScale(f.from, f.from + 1000, 400, 8).labels.front(), f.label) << f.from;
    EXPECT_EQ(ComputeXScale(0, 1.5, 400, 8).labels, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(ComputeXScale(0, 600, 400, 8).labels,
              (std::vector<int32_t>{0, 100, 200, 300, 400, 500, 600}));
    // 7-character labels, 7 fit; the first rounded from 3.7 tens to 35.
    EXPECT_EQ(ComputeXScale(37, 4037, 400, 8).labels,
              (std::vector<int32_t>{35, 1035, 2035, 3035, 4035}));
    // Y: 0-1024 on 140 pixels, 30 a label: 4 fit, so steps of 500.
    EXPECT_EQ(ComputeYScale(0, 1024, 140, 30).labels, (std::vector<int32_t>{0, 500, 1000}));

    EXPECT_EQ(XReadOut(10, 5, 20), "X: 25");
    EXPECT_EQ(XReadOut(0.5, 0, 2.25), "X: 2.2");
    EXPECT_EQ(YReadOut(2, true, 7), "Y2: 7");
    EXPECT_EQ(YReadOut(2, true, 7.25), "Y2: 7.2");
    EXPECT_EQ(YReadOut(2, false, 7), "");

    CGraph graph;
    graph.xCaption = "t, s";
    graph.curveFunctions[1] = "light";
    graph.xOffset = 5;
    graph.interval = 0.5;
    graph.curves[0] = {1.5, 2};
    graph.curves[1] = {3};
    EXPECT_EQ(CurvesCsv(graph, '.'), "\"t, s\",Y1,light,Y3,Y4\r\n5,1.5,3,,\r\n5.5,2,,,\r\n");
    EXPECT_EQ(CurvesCsv(graph, ','), "t, s;Y1;light;Y3;Y4\r\n5;1,5;3;;\r\n5,5;2;;;\r\n");
}

// Readers copy and clear the curves while the thread samples; the graph is
// then deleted from the project while it samples.
TEST_F(ProjectTest, GraphSamplingConcurrency) {
    std::atomic<int> reads{0};
    for (int round = 0; round < 5; ++round) {
        CPageObject* object;
        {
            auto hold = doc_->Lock();
            object =
                &doc_->NewObject(kGraphObject, "g" + std::to_string(round), {0, 0}, {300, 200});
        }
        CGraph& graph = *object->As<CGraph>();
        graph.curveFunctions = {"a", "b", "", "c"};
        graph.SetInterval(0.2);
        // Only the sampling thread reads: the values grow along each curve.
        graph.Activate(true, [&](const std::string&, uint32_t) { return ++reads; });
        // Many samples due at once: every pass is long.
        {
            auto data = graph.DataLock();
            graph.SetNextSampleTime(graph.NextSampleTime() - 500);
        }
        std::atomic<bool> done{false};
        std::thread reader([&] {
            while (!done) {
                const std::vector<double> curve = graph.CurveSnapshot(0);
                for (std::size_t i = 1; i < curve.size(); ++i) ASSERT_GE(curve[i], curve[i - 1]);
                auto hold = doc_->Lock();
                std::vector<uint8_t> bytes = doc_->Write();
                ASSERT_FALSE(bytes.empty());
            }
        });
        for (int i = 0; i < 20; ++i) {
            graph.ClearCurve(i % 4);
            std::this_thread::yield();
        }
        EXPECT_TRUE(graph.Sampling());
        done = true;
        reader.join();
        auto hold = doc_->Lock();
        doc_->Delete(*object);
    }
    // Closing the project while a graph samples ends its thread first.
    CGraph& last = *doc_->NewObject(kGraphObject, "ending", {0, 0}, {300, 200}).As<CGraph>();
    last.curveFunctions[0] = "a";
    last.Activate(true, [&](const std::string&, uint32_t) { return ++reads; });
    EXPECT_TRUE(last.Sampling());
    doc_.reset();
    CKinetraDoc::CloseProject();
    // Nothing reads once every graph is gone.
    const int after = reads.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(reads.load(), after);
    EXPECT_GT(after, 0);
}

TEST_F(ProjectTest, StoppingSamplingEndsTheThreadAndFitsTheRange) {
    CPageObject& object = doc_->NewObject(kGraphObject, "chart", {0, 0}, {300, 200});
    CGraph& graph = *object.As<CGraph>();
    graph.curveFunctions[0] = "x";
    graph.interval = 0.2;
    std::atomic<int> reads{0};
    graph.Activate(true, [&](const std::string&, uint32_t) { return ++reads; });
    {
        // A source given while it samples waits for the next run.
        auto data = graph.DataLock();
        graph.curveFunctions[1] = "y";
    }
    while (reads < 3) std::this_thread::yield();
    graph.Activate(false);
    const int after = reads.load();
    EXPECT_FALSE(graph.Sampling());
    EXPECT_TRUE(graph.curves[1].empty());
    const std::size_t count = graph.curves[0].size();
    EXPECT_EQ(graph.xMaximum, 0.2 * (static_cast<double>(count) - 1));
    EXPECT_EQ(graph.xMaximum2, graph.xMaximum);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(reads.load(), after);
}

}  // namespace
