#include "app/ProjectNotices.h"

#include <exception>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/MainThreadCall.h"
#include "app/MainThreadChannel.h"
#include "box/SensorSetup.h"
#include "project/ObjectActions.h"
#include "project/ProjectRequests.h"

namespace {

constexpr int32_t kErrorInternal = -98;

}  // namespace

void RegisterProjectNotices() {
    // wParam: the frame's digital-state mask; lParam: the inputs whose
    // counters changed. Without an open project nothing runs.
    SetNoticeHandler(kInputEvents, [](const platform::ThreadMessage& notice) {
        if (const std::shared_ptr<CSetupData> setup = ActiveSetup())
            setup->RunInputEvents(static_cast<uint32_t>(notice.wParam),
                                  static_cast<uint32_t>(notice.lParam));
    });
    // A button may start its second list then; an error of starting it
    // (too many tasks) has no task to show it in and is dropped.
    SetNoticeHandler(kObjectTaskEnded, [](const platform::ThreadMessage& notice) {
        try {
            ObjectTaskFinished(static_cast<int32_t>(notice.wParam));
        } catch (const LogoError& error) {
            Release(error.handle);
        }
    });
    // The project's requests: the document belongs to this thread. An error
    // goes back to the Logo thread that asked, whatever it was.
    for (const uint32_t number : ProjectRequestNumbers()) {
        SetRequestHandler(number, [number](CallerRecord* caller, void* block) {
            CHandleData* result;
            try {
                result = ServeProjectRequest(number, *static_cast<ProjectRequest*>(block));
            } catch (const LogoError& error) {
                result = error.handle;
            } catch (const std::exception&) {
                result = MakeError(kErrorInternal);
            }
            // These return once the screen shows the change.
            if (number == kActivate || number == kClearDrawing || number == kSetLimits ||
                number == kSetValue)
                DeferReply(caller, result);
            else
                ReplyToCaller(caller, result);
        });
    }
}
