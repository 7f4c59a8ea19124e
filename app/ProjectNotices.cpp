#include "app/ProjectNotices.h"

#include "LogoCore/MainThreadCall.h"
#include "app/MainThreadChannel.h"
#include "box/SensorSetup.h"

void RegisterProjectNotices() {
    // wParam: the frame's digital-state mask; lParam: the inputs whose
    // counters changed. Without an open project nothing runs.
    SetNoticeHandler(kInputEvents, [](const platform::ThreadMessage& notice) {
        if (const std::shared_ptr<CSetupData> setup = ActiveSetup())
            setup->RunInputEvents(static_cast<uint32_t>(notice.wParam),
                                  static_cast<uint32_t>(notice.lParam));
    });
}
