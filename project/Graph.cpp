#include "project/Graph.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>

#include "box/SampleRing.h"
#include "platform/TextCatalog.h"
#include "platform/Utf8.h"

namespace {

constexpr int32_t kTextNoSource = 2021;

}  // namespace

struct CGraph::Sampler {
    std::thread thread;
    std::condition_variable wake;
    bool stop = false;     // under the data lock
    bool running = false;  // under the data lock
    CurveReader reader;
};

CGraph::CGraph() : lock_(std::make_unique<std::mutex>()) {}

CGraph::CGraph(CGraph&& other) noexcept
    : displayFlags(other.displayFlags),
      xMaximum(other.xMaximum),
      yMaximum(other.yMaximum),
      xMinimum(other.xMinimum),
      yMinimum(other.yMinimum),
      xCaption(std::move(other.xCaption)),
      yCaption(std::move(other.yCaption)),
      interval(other.interval),
      curveFunctions(std::move(other.curveFunctions)),
      graphColour(other.graphColour),
      backColour(other.backColour),
      xOffset(other.xOffset),
      yMaximum2(other.yMaximum2),
      yMinimum2(other.yMinimum2),
      xMaximum2(other.xMaximum2),
      xMinimum2(other.xMinimum2),
      offsetDisplay(other.offsetDisplay),
      curves(std::move(other.curves)),
      lock_(std::make_unique<std::mutex>()) {
    // Only a graph that never sampled is moved (into its page object).
}

CGraph::~CGraph() {
    Activate(false);
}

bool CGraph::ActiveSource(const std::string& source) {
    return !source.empty() &&
           !platform::EqualsIgnoringCase(source, platform::ResourceText(kTextNoSource));
}

uint32_t CGraph::StepMs() const {
    return static_cast<uint32_t>(std::floor(interval * 100));
}

int CGraph::SleepMs() const {
    return std::max(kMinimumSleepMs, static_cast<int>(interval * 100));
}

double CGraph::LongestCount() const {
    std::size_t longest = 0;
    for (const auto& curve : curves) longest = std::max(longest, curve.size());
    return static_cast<double>(longest);
}

void CGraph::StartRange() {
    xMinimum = xOffset;
    xMaximum = interval >= 10 ? interval * 30 : xOffset + 300;
}

void CGraph::StopRange() {
    xMaximum = interval * (LongestCount() - 1) + xOffset;
    xMaximum2 = xMaximum;
    xMinimum2 = xMinimum;
    yMaximum2 = yMaximum;
    yMinimum2 = yMinimum;
}

bool CGraph::Sampling() const {
    auto hold = DataLock();
    return sampler_ && sampler_->running;
}

void CGraph::Join() {
    if (!lock_ || !sampler_) return;
    // Only the graph's owner starts and stops sampling; readers look at
    // the sampler under the lock.
    if (sampler_->thread.joinable()) sampler_->thread.join();
    auto hold = DataLock();
    sampler_.reset();
}

void CGraph::Activate(bool on, CurveReader reader) {
    if (!lock_) return;  // moved from
    if (!on) {
        bool was = false;
        if (sampler_) {
            auto hold = DataLock();
            was = sampler_->running;
            sampler_->stop = true;
            sampler_->running = false;
            sampler_->wake.notify_all();
        }
        Join();
        if (was) {
            auto hold = DataLock();
            StopRange();
        }
        return;
    }
    if (Sampling()) return;
    Join();  // a run that a full curve ended
    auto hold = DataLock();
    nextSample_ = BoxMilliseconds();
    StartRange();
    for (int c = 0; c < 4; ++c) {
        active_[c] = ActiveSource(curveFunctions[c]);
        if (!active_[c]) continue;
        curves[c].clear();
        curves[c].reserve(kMaxCurveSamples);  // sampling appends without allocating
    }
    sampler_ = std::make_unique<Sampler>();
    sampler_->running = true;
    sampler_->reader = std::move(reader);
    sampler_->thread = std::thread([this, sampler = sampler_.get()] {
        std::unique_lock<std::mutex> hold(*lock_);
        while (!sampler->stop) {
            hold.unlock();
            const bool goOn = TakeDueSamples(BoxMilliseconds(), sampler->reader);
            hold.lock();
            if (!goOn) {
                sampler->running = false;
                return;
            }
            sampler->wake.wait_for(hold, std::chrono::milliseconds(SleepMs()),
                                   [&] { return sampler->stop; });
        }
    });
}

bool CGraph::TakeDueSamples(uint32_t now, const CurveReader& reader) {
    auto hold = DataLock();
    if (!sampler_)
        for (int c = 0; c < 4; ++c) active_[c] = ActiveSource(curveFunctions[c]);
    while (static_cast<int32_t>(now - nextSample_) >= 0) {
        for (int c = 0; c < 4; ++c) {
            if (!active_[c]) continue;
            auto& curve = curves[c];
            if (curve.size() >= kMaxCurveSamples) {
                xMaximum = static_cast<double>(curve.size()) * interval;
                return false;
            }
            curve.push_back(reader ? reader(curveFunctions[c], nextSample_) : 0.0);
            if (static_cast<double>(curve.size()) * interval > xMaximum) xMaximum *= 2;
        }
        nextSample_ += StepMs();
    }
    return true;
}

void CGraph::SetInterval(double value) {
    if (value < 0.2) return;
    auto hold = DataLock();
    interval = value;
    StartRange();
    for (auto& curve : curves) curve.clear();
}

void CGraph::SetYAxis(double min, double max) {
    if (!(min < max)) return;
    auto hold = DataLock();
    yMinimum = yMinimum2 = min;
    yMaximum = yMaximum2 = max;
}

void CGraph::ShiftX(int32_t amount) {
    auto hold = DataLock();
    xMinimum += amount;
    xMaximum += amount;
    xMinimum2 += amount;
    xMaximum2 += amount;
    // The offset keeps up with the range, whose left end it is.
    xOffset += amount;
}

void CGraph::FillCurve(int curve, const std::vector<double>& values) {
    if (curve < 0 || curve > 3) return;
    auto hold = DataLock();
    auto& samples = curves[curve];
    samples.assign(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(
                                                        std::min(values.size(), kMaxCurveSamples)));
    yMaximum = yMaximum2;
    yMinimum = yMinimum2;
    xMinimum = xMinimum2;
    xMaximum = (LongestCount() - 1) * interval + xOffset;
    xMinimum2 = xOffset;
    xMaximum2 = xMaximum;
    offsetDisplay = 0;
}

void CGraph::ClearCurve(int curve) {
    if (curve < 0 || curve > 3) return;
    auto hold = DataLock();
    curves[curve].clear();
}

bool CGraph::AddPoint(int curve, double value) {
    if (curve < 0 || curve > 3) return false;
    auto hold = DataLock();
    if (curves[curve].size() >= kMaxCurveSamples) return false;
    curves[curve].push_back(value);
    return true;
}

void CGraph::FitX() {
    auto hold = DataLock();
    xMaximum = interval * (LongestCount() - 1);
}

std::vector<double> CGraph::CurveSnapshot(int curve) const {
    if (curve < 0 || curve > 3) return {};
    auto hold = DataLock();
    return curves[curve];
}
