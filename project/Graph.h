// A graph: four curves of sensor data over time, with its ranges, captions
// and the names of the box inputs that feed each curve. While it samples, a
// thread of its own appends a value per active curve at each due time.
//
// The sampling thread and everyone else meet at the graph's data lock:
// whoever reads or changes the curves, the ranges or the interval while the
// graph may sample holds DataLock() (the operations below take it
// themselves). The thread never takes the document's lock.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "project/Geometry.h"
#include "project/RecordFields.h"

// The value of a curve's source (an input name; ".name" for the raw value)
// at a time of the millisecond clock.
using CurveReader = std::function<double(const std::string& source, uint32_t time)>;

class CGraph {
  public:
    static constexpr const char* kClassName = "CGraph";
    static constexpr int32_t kFirstOffsetVersion = 5;
    static constexpr int kMinimumSleepMs = 250;

    CGraph();
    CGraph(CGraph&& other) noexcept;
    CGraph& operator=(CGraph&&) = delete;
    // Stops sampling before the curves go.
    ~CGraph();

    std::unique_lock<std::mutex> DataLock() const { return std::unique_lock<std::mutex>(*lock_); }

    // Starts (with the reader for the sources) or stops sampling; stopping
    // waits for the thread, which ends within one sleep.
    void Activate(bool on, CurveReader reader = {});
    bool Sampling() const;
    // Ignored below 0.2: the X range restarts and the curves are emptied.
    void SetInterval(double value);
    // Only when min < max.
    void SetYAxis(double min, double max);
    void ShiftX(int32_t amount);
    // Curve 0-3 emptied and filled with the values (the first 3000); the
    // ranges come back from the second set and X fits the longest curve.
    void FillCurve(int curve, const std::vector<double>& values);
    void ClearCurve(int curve);
    // Appends to curve 0-3; false when it is full.
    bool AddPoint(int curve, double value);
    // X max fitted to the longest curve.
    void FitX();
    std::vector<double> CurveSnapshot(int curve) const;

    // One pass of the sampling thread at the time now: takes every sample
    // due, each read at its own due time. False when a full curve ended the
    // sampling. Active curves are those with a source (decided when the
    // sampling started, while it runs); others record nothing.
    bool TakeDueSamples(uint32_t now, const CurveReader& reader);
    uint32_t NextSampleTime() const { return nextSample_; }
    void SetNextSampleTime(uint32_t time) { nextSample_ = time; }
    // The milliseconds between samples, and those the thread sleeps.
    uint32_t StepMs() const;
    int SleepMs() const;
    // Whether a curve's source names an input (not empty, not "(none)").
    static bool ActiveSource(const std::string& source);

    // The first shows the X caption, the second the grid (showgrid, hidegrid).
    std::array<int32_t, 4> displayFlags{1, 1, 1, 1};
    double xMaximum = 300;
    double yMaximum = 1024;
    double xMinimum = 0;
    double yMinimum = 0;
    std::string xCaption = "X";
    std::string yCaption = "Y";
    double interval = 10;  // between samples, in X units
    std::array<std::string, 4> curveFunctions;
    Colour graphColour = kBlack;
    Colour backColour = kWindowColour;
    int32_t xOffset = 0;  // added to X in the read-out
    // The second set of ranges, in the file's order.
    double yMaximum2 = 1024;
    double yMinimum2 = 0;
    double xMaximum2 = 300;
    double xMinimum2 = 0;
    int32_t offsetDisplay = 0;  // the X scale shows xOffset + X
    CurveSet curves;

    template <typename Self, typename Visitor>
    static void Fields(Self& self, Visitor& v) {
        for (auto& flag : self.displayFlags) v.Int(flag);
        v.Double(self.xMaximum);
        v.Double(self.yMaximum);
        v.Double(self.xMinimum);
        v.Double(self.yMinimum);
        v.Text(self.xCaption);
        v.Text(self.yCaption);
        v.Double(self.interval);
        for (auto& function : self.curveFunctions) v.Text(function);
        v.Colour(self.graphColour);
        v.Colour(self.backColour);
        if (!v.Has(kFirstOffsetVersion)) return;
        v.Int(self.xOffset);
        v.Double(self.yMaximum2);
        v.Double(self.yMinimum2);
        v.Double(self.xMaximum2);
        v.Double(self.xMinimum2);
        v.Int(self.offsetDisplay);
        v.Curves(self.curves);
    }

  private:
    struct Sampler;
    // Starting resets the X range; the thread is made afterwards.
    void StartRange();
    void StopRange();
    double LongestCount() const;
    void Join();

    std::unique_ptr<std::mutex> lock_;
    std::unique_ptr<Sampler> sampler_;
    uint32_t nextSample_ = 0;
    std::array<bool, 4> active_{};  // the curves a run records
};
