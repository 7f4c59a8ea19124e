// The primitives of printing, time, the keyboard and mouse, the computer and the windows.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/MainThreadCall.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/NumberFormat.h"
#include "LogoCore/Parser.h"
#include "LogoCore/PrimitiveFamilies.h"
#include "LogoCore/PrimitiveSupport.h"
#include "platform/Clock.h"
#include "platform/FontFamilies.h"
#include "platform/MemoryStatus.h"
#include "platform/Threads.h"

namespace {

constexpr int32_t kErrorBadOption = -1;
constexpr int32_t kErrorCannotReadFile = -42;

// A handler's output list; the list and the items added so far go away if
// the handler raises before it is made into a value.
class OutputList {
  public:
    OutputList() : list_(new CLogoList()) {}
    ~OutputList() { list_->Release(); }
    OutputList(const OutputList&) = delete;
    OutputList& operator=(const OutputList&) = delete;

    void Adopt(CHandleData* item) { list_->Adopt(item); }
    CHandleData* Value() { return MakeListValue(list_); }

  private:
    CLogoList* list_;
};

// Print (option 1) ends the line; type (option 0) does not.
CHandleData* Print(CLogoTask*, CHandleData** inputs, int32_t option, const std::string&) {
    HandlerInputs in(inputs);
    std::string text = GetString(in[0], false);
    if (option == 1) text += "\r\n";
    CurrentTaskHost().Print(text);
    return nullptr;
}

// ---- Time ----

// The start times of timers 0 to 3, shared by every task; before a reset a
// timer counts from the clock's origin, the start of Kinetra.
std::array<std::atomic<int64_t>, 4> timerStarts{};

std::atomic<int64_t>& TimerOf(int32_t option, const std::string& calledName) {
    if (option < 0 || option >= static_cast<int32_t>(timerStarts.size()))
        RaiseError(kErrorBadOption, {calledName});
    return timerStarts[static_cast<std::size_t>(option)];
}

// Tenths of a second since the timer's start.
CHandleData* ReadTimer(CLogoTask*, CHandleData** inputs, int32_t option,
                       const std::string& calledName) {
    HandlerInputs in(inputs);
    const int64_t start = TimerOf(option, calledName).load();
    const int64_t elapsed = platform::Milliseconds() - start;
    const int64_t tenths = (elapsed < 0 ? -elapsed : elapsed) / 100;
    return MakeInteger(static_cast<int32_t>(std::min<int64_t>(tenths, INT32_MAX)));
}

CHandleData* ResetTimer(CLogoTask*, CHandleData** inputs, int32_t option,
                        const std::string& calledName) {
    HandlerInputs in(inputs);
    TimerOf(option, calledName).store(platform::Milliseconds());
    return nullptr;
}

// Waits n tenths of a second, looking at the stop request every step.
CHandleData* Wait(CLogoTask* task, CHandleData** inputs, int32_t, const std::string& calledName) {
    constexpr int64_t kStepMs = 100;
    HandlerInputs in(inputs);
    const int32_t tenths = GetInteger(in[0], false);
    if (tenths < 1) RaiseWrongInput(calledName, in[0]);  // as given: 0.5, not 0
    const int64_t end = platform::Milliseconds() + int64_t{tenths} * 100;
    for (int64_t now = platform::Milliseconds(); now < end; now = platform::Milliseconds()) {
        platform::SleepMilliseconds(static_cast<int>(std::min(kStepMs, end - now)));
        CheckStopRequest(task);
    }
    return nullptr;
}

// ---- Number format ----

// Decimal comma (option 78) or decimal point (79). The choice is kept for
// the next start; a profile that cannot be written does not undo it.
CHandleData* NumberFormat(CLogoTask*, CHandleData** inputs, int32_t option, const std::string&) {
    HandlerInputs in(inputs);
    ChooseDecimalSeparator(option == 78 ? ',' : '.');
    return nullptr;
}

// ---- Requests to the main thread ----

// The call's result; an error in the reply is raised again with the
// primitive's name.
template <typename Call>
CHandleData* WithCalledName(const std::string& calledName, Call call) {
    try {
        return call();
    } catch (const LogoError& e) {
        throw LogoError{MakeError(e.handle, {calledName})};
    }
}

CHandleData* AskMainThread(uint32_t message, void* block, const std::string& calledName) {
    return WithCalledName(calledName, [&] { return CallMainThread(message, block); });
}

// Any key down (155), a mouse button down (156), the shift key down (166).
CHandleData* KeyState(CLogoTask*, CHandleData** inputs, int32_t option,
                      const std::string& calledName) {
    HandlerInputs in(inputs);
    switch (option) {
        case 155:
            return AskMainThread(kKeyDown, nullptr, calledName);
        case 156:
            return AskMainThread(kMouseDown, nullptr, calledName);
        case 166:
            return AskMainThread(kShift, nullptr, calledName);
        default:
            RaiseError(kErrorBadOption, {calledName});
    }
}

// Waits, without a time limit, for the next typed character.
CHandleData* ReadCharacter(CLogoTask* task, CHandleData** inputs, int32_t,
                           const std::string& calledName) {
    HandlerInputs in(inputs);
    CheckStopRequest(task);
    // The task ends its own wait when it is stopped: stopping Logo releases
    // only the waiters the main thread knows of already.
    return WithCalledName(calledName, [task] {
        return WaitForCharacter([task] { return task->StopRequested() != kRunning; });
    });
}

// Clears (560), hides (561) or shows (563) the command centre: the block is
// the token as a 32-bit integer.
CHandleData* CommandCentreWindow(CLogoTask*, CHandleData** inputs, int32_t option,
                                 const std::string& calledName) {
    HandlerInputs in(inputs);
    int32_t token = option;
    Release(AskMainThread(kCommandCentre, &token, calledName));
    return nullptr;
}

// Hides (option 0) or shows (1) the tool bars: the block is that flag as a
// 32-bit integer.
CHandleData* ToolBars(CLogoTask*, CHandleData** inputs, int32_t option,
                      const std::string& calledName) {
    HandlerInputs in(inputs);
    int32_t show = option;
    Release(AskMainThread(kToolBars, &show, calledName));
    return nullptr;
}

// ---- The computer ----

// [x y]: the mouse pointer on the screen.
CHandleData* MousePosition(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    const ScreenPoint point = CurrentTaskHost().PointerPosition();
    OutputList list;
    list.Adopt(MakeInteger(point.x));
    list.Adopt(MakeInteger(point.y));
    return list.Value();
}

// [free-megabytes used-virtual-megabytes load-percent]. Memory figures that
// cannot be read raise "can't read the file" naming the file, rather than
// giving numbers that mean nothing.
CHandleData* Memory(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    std::string badFile;
    const auto status = platform::ReadMemoryStatus(&badFile);
    if (!status) RaiseError(kErrorCannotReadFile, {badFile});
    OutputList list;
    list.Adopt(DefineReal("", platform::AvailableMegabytes(*status), kStateTemp));
    list.Adopt(DefineReal("", platform::UsedVirtualMegabytes(*status), kStateTemp));
    list.Adopt(MakeInteger(platform::MemoryLoadPercent(*status)));
    return list.Value();
}

// The installed font families; a name with blanks is put between bars so
// that it reads back as one word.
CHandleData* Fonts(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    OutputList list;
    for (const std::string& family : platform::FontFamilies())
        list.Adopt(
            MakeWord(family.find_first_of(" \t") == std::string::npos ? family : Bar(family)));
    return list.Value();
}

// clang-format off
constexpr PrimitiveRow kRows[] = {
    FixedRow(Print, 20, 1, 1),
    FixedRow(Print, 21, 0, 1),
    FixedRow(Wait, 50, 1, 1),
    FixedRow(ReadTimer, 52, 3, 0),
    FixedRow(ReadTimer, 53, 2, 0),
    FixedRow(ReadTimer, 54, 1, 0),
    FixedRow(ReadTimer, 55, 0, 0),
    FixedRow(ResetTimer, 56, 3, 0),
    FixedRow(ResetTimer, 57, 2, 0),
    FixedRow(ResetTimer, 58, 1, 0),
    FixedRow(ResetTimer, 59, 0, 0),
    FixedRow(NumberFormat, 78, 78, 0),
    FixedRow(NumberFormat, 79, 79, 0),
    FixedRow(KeyState, 155, 155, 0),
    FixedRow(KeyState, 156, 156, 0),
    FixedRow(MousePosition, 157, 157, 0),
    FixedRow(ReadCharacter, 161, 161, 0),
    FixedRow(KeyState, 166, 166, 0),
    FixedRow(PrimitiveNothing, 490, 0, 0),
    FixedRow(Memory, 491, 0, 0),
    FixedRow(Fonts, 540, 540, 0),
    FixedRow(CommandCentreWindow, 560, 560, 0),
    FixedRow(CommandCentreWindow, 561, 561, 0),
    FixedRow(ToolBars, 562, 0, 0),
    FixedRow(CommandCentreWindow, 563, 563, 0),
    FixedRow(ToolBars, 564, 1, 0),
};
// clang-format on

}  // namespace

PrimitiveFamily ComputerPrimitives() {
    return {kRows, {}};
}
