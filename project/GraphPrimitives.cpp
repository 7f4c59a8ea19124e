// The primitives of the current graph: curves, ranges and sampling. What
// changes the graph goes to the main thread; the reporters copy the data
// under the graph's lock, so a curve being sampled is never read torn.
#include <cmath>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/MainThreadCall.h"
#include "LogoCore/PrimitiveSupport.h"
#include "platform/NumberText.h"
#include "project/GraphText.h"
#include "project/KinetraDoc.h"
#include "project/PrimitiveInputs.h"
#include "project/ProjectFiles.h"
#include "project/ProjectPrimitiveHandlers.h"
#include "project/ProjectRequests.h"

namespace {

constexpr int32_t kErrorBadRange = -46;
constexpr int32_t kErrorOutOfRange = -14;
constexpr int32_t kErrorBadInterval = -51;
constexpr int32_t kErrorNotForThisObject = -15;
constexpr double kLowestY = -99999;
constexpr double kHighestY = 999999;

// Curve numbers 1-4 as indexes 0-3; else -4.
int CurveIndex(CHandleData* input, const std::string& calledName) {
    const double number = NumberInput(input, calledName);
    if (number != std::floor(number) || number < 1 || number > 4)
        RaiseWrongInput(calledName, input);
    return static_cast<int>(number) - 1;
}

CGraph& CurrentGraph(CLogoTask* task, CKinetraDoc& doc, const std::string& calledName) {
    const CPageObject* object = doc.FindObject(CurrentOfKind(task, kGraphObject, calledName));
    if (!object) RaiseError(kErrorNoPageObject, {});
    const CGraph* graph = object->As<CGraph>();
    if (!graph) RaiseError(kErrorNotForThisObject, {"**graph**"});
    return const_cast<CGraph&>(*graph);
}

}  // namespace

CHandleData* GraphCommand(CLogoTask* task, CHandleData** inputs, int32_t option,
                          const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    ProjectRequest request = RequestOn(task, *doc, kGraphObject, calledName);
    uint32_t number = 0;
    switch (option) {
        case 460:
            number = kClearCurve;
            request.numbers[0] = CurveIndex(in[0], calledName);
            break;
        case 461:
            number = kClearCurve;
            request.numbers[0] = -1;
            break;
        case 463:
        case 472:
            number = kSetGrid;
            request.flag = option == 472;
            break;
        case 464:
            // A number goes onto curve 1; [n value] onto curve n.
            number = kAddPoint;
            request.flag = true;
            if (IsListValue(in[0])) {
                const std::vector<double> point = NumbersInput(in[0], calledName, 2);
                if (point[0] != std::floor(point[0]) || point[0] < 1 || point[0] > 4)
                    RaiseWrongInput(calledName, in[0]);
                request.numbers[0] = static_cast<int32_t>(point[0]) - 1;
                request.values[0] = point[1];
            } else {
                request.values[0] = NumberInput(in[0], calledName);
            }
            break;
        case 468:
            number = kFillCurve;
            request.numbers[0] = CurveIndex(in[0], calledName);
            request.list = NumbersInput(in[1], calledName);
            break;
        case 469: {
            number = kSetInterval;
            const double value = NumberInput(in[0], calledName);
            if (value < 0.2 || value > 99999) RaiseError(kErrorBadInterval, {});
            request.values[0] = value;
            break;
        }
        case 470: {
            number = kShiftX;
            const double amount = NumberInput(in[0], calledName);
            if (!(std::fabs(amount) < 2147483647.0)) RaiseWrongInput(calledName, in[0]);
            request.numbers[0] = static_cast<int32_t>(std::lround(amount));
            break;
        }
        case 471: {
            number = kSetYAxis;
            const std::vector<double> range = NumbersInput(in[0], calledName, 2);
            if (!(range[1] > range[0])) RaiseError(kErrorBadRange, {});
            for (const double bound : range)
                if (bound < kLowestY || bound > kHighestY)
                    RaiseError(kErrorOutOfRange, {GetString(in[0], false), "-99999", "999999"});
            request.values[0] = range[0];
            request.values[1] = range[1];
            break;
        }
        case 473:
        case 474:
            number = kStartSample;
            request.flag = option == 473;
            break;
    }
    Release(CallProject(number, request));
    return nullptr;
}

CHandleData* GraphSetting(CLogoTask* task, CHandleData** inputs, int32_t option,
                          const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    const int curve = option == 467 ? CurveIndex(in[0], calledName) : 0;
    const std::string first = GetString(in[0], false);
    const std::string second = ListText(in[1]);
    auto hold = doc->Lock();
    CGraph& graph = CurrentGraph(task, *doc, calledName);
    auto data = graph.DataLock();
    if (option == 467) {
        graph.curveFunctions[curve] = second;
    } else {
        graph.xCaption = first;
        graph.yCaption = second;
    }
    doc->SetModified(true);
    return nullptr;
}

CHandleData* GraphReporter(CLogoTask* task, CHandleData** inputs, int32_t option,
                           const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    const int curve = option == 462 ? CurveIndex(in[0], calledName) : 0;
    auto hold = doc->Lock();
    CGraph& graph = CurrentGraph(task, *doc, calledName);
    if (option == 466) {
        auto data = graph.DataLock();
        return NormaliseNumber(graph.interval);
    }
    return RealList(graph.CurveSnapshot(curve));
}

CHandleData* ExportCurves(CLogoTask* task, CHandleData** inputs, int32_t,
                          const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    const std::string path = WordInput(in[0], calledName);
    std::string csv;
    {
        auto hold = doc->Lock();
        csv = CurvesCsv(CurrentGraph(task, *doc, calledName), platform::DecimalSeparator());
    }
    SaveFileSafely(
        path, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(csv.data()), csv.size()));
    return nullptr;
}
