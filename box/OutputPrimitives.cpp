// The primitives that drive the box's outputs. Except all-off and all-on,
// each acts on the outputs the calling task chose with talk-to: one output
// id, or a mask.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>
#include <thread>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/PrimitiveSupport.h"
#include "box/BoxPrimitiveHandlers.h"
#include "box/LinkState.h"
#include "box/OutputCommands.h"
#include "box/TimedOutputs.h"

namespace {

// Message 20100: the called name needs an output chosen with talk-to.
constexpr int32_t kErrorNoOutput = -100;
constexpr int32_t kErrorBadOption = -1;
// The wait primitive, which the timed switch-on stands in for without a box.
constexpr int32_t kWaitToken = 50;

struct Outputs {
    bool several;
    int id;        // when one output is selected
    uint8_t mask;  // when several are
};

// The task's output selection, checked: the driver ends the program on an
// output id outside 1-8, so a task that has selected nothing (a fresh one
// has not) gets a Logo error instead.
Outputs SelectedOutputs(CLogoTask* task, const std::string& calledName) {
    if (task) {
        const TalkToContext& selection = task->Selection();
        if (selection.mode == 0) {
            if (selection.outputs >= 1 && selection.outputs <= kBoxOutputs)
                return {false, selection.outputs, 0};
        } else {
            const auto mask = static_cast<uint8_t>(selection.outputs & 0xFF);
            if (mask != 0) return {true, 0, mask};
        }
    }
    RaiseError(kErrorNoOutput, {calledName});
}

// After a command: the rest of the time slice goes to the box's reader and
// the other tasks, so that a tight loop of commands does not starve them.
void GiveWay() {
    std::this_thread::yield();
}

// Without a box no frame would ever end a timed output: the amount is
// waited out as the wait primitive waits, so that a program keeps its
// timing. Takes over the amount.
CHandleData* WaitInstead(CLogoTask* task, CHandleData* amount, const std::string& calledName) {
    CHandleData* wait = FindToken(kWaitToken);
    if (!IsCell(wait) || wait->Type() != kTypePrimitive) {
        Release(wait);
        Release(amount);
        RaiseInternal("No wait primitive for " + calledName);
    }
    ReleaseAtEnd hold(wait);
    CHandleData* inputs[] = {amount, nullptr};
    return wait->Primitive().handler(task, inputs, 0, calledName);
}

}  // namespace

CHandleData* BoxAllOutputs(CLogoTask*, CHandleData** inputs, int32_t option, const std::string&) {
    HandlerInputs in(inputs);
    if (option == 1)
        ControlBox_AllOn();
    else
        ControlBox_AllOff();
    return nullptr;
}

// On (132), off (133), direction 1 (134) and 0 (135), reverse (137).
CHandleData* BoxOutputCommand(CLogoTask* task, CHandleData** inputs, int32_t option,
                              const std::string& calledName) {
    HandlerInputs in(inputs);
    const Outputs outputs = SelectedOutputs(task, calledName);
    bool sent = true;
    switch (option) {
        case 132:
        case 133: {
            const bool on = option == 132;
            if (outputs.several)
                ControlBox_OutputsOnOff(outputs.mask, on);
            else
                sent = ControlBox_SetOutputState(outputs.id, on);
            break;
        }
        case 134:
        case 135: {
            const int direction = option == 134 ? 1 : 0;
            if (outputs.several)
                ControlBox_SetDirectionMask(outputs.mask, direction);
            else
                ControlBox_SetDirection(outputs.id, direction);
            break;
        }
        case 137:
            if (outputs.several)
                ControlBox_ReverseMask(outputs.mask);
            else
                ControlBox_OutputReverse(outputs.id);
            break;
        default:
            RaiseError(kErrorBadOption, {calledName});
    }
    if (sent) GiveWay();
    return nullptr;
}

CHandleData* BoxSetPower(CLogoTask* task, CHandleData** inputs, int32_t,
                         const std::string& calledName) {
    HandlerInputs in(inputs);
    const int32_t level = IntegerInRange(in[0], 0, 8);
    const Outputs outputs = SelectedOutputs(task, calledName);
    if (outputs.several)
        ControlBox_SetPowerMask(outputs.mask, level);
    else
        ControlBox_SetPower(outputs.id, level);
    GiveWay();
    return nullptr;
}

// Of several outputs, the lowest-numbered one's power.
CHandleData* BoxPower(CLogoTask* task, CHandleData** inputs, int32_t,
                      const std::string& calledName) {
    HandlerInputs in(inputs);
    const Outputs outputs = SelectedOutputs(task, calledName);
    const int id = outputs.several ? std::countr_zero(outputs.mask) + 1 : outputs.id;
    return MakeInteger(ControlBox_GetPower(id));
}

// Switches the outputs on for the amount and returns when they are off
// again; a task told to stop leaves the wait early (the outputs still end
// by the frame stream) and ends here.
CHandleData* BoxOnFor(CLogoTask* task, CHandleData** inputs, int32_t,
                      const std::string& calledName) {
    HandlerInputs in(inputs);
    const double amount = GetReal(in[0], false);
    if (amount < 1) RaiseWrongInput(calledName, in[0]);
    const Outputs outputs = SelectedOutputs(task, calledName);
    if (!Link().portOpen.load()) return WaitInstead(task, in.Take(0), calledName);

    // Tenths of a second or rotation steps: whole ones, as wait counts them,
    // and no more than an int holds.
    const auto whole = static_cast<int32_t>(std::min(amount, 2147483647.0));
    const StopCheck stopped = [task] { return task->StopRequested() != kRunning; };
    if (outputs.several)
        ControlBox_OnFor(outputs.mask, whole, stopped);
    else
        ControlBox_OnForOne(outputs.id, whole, stopped);
    CheckStopRequest(task);
    return nullptr;
}

CHandleData* BoxSetPulse(CLogoTask* task, CHandleData** inputs, int32_t,
                         const std::string& calledName) {
    HandlerInputs in(inputs);
    const int32_t a = IntegerInRange(in[0], 0, 255);
    const int32_t b = IntegerInRange(in[1], 0, 255);
    const Outputs outputs = SelectedOutputs(task, calledName);
    if (outputs.several)
        ControlBox_SetPulseMask(outputs.mask, a, b);
    else
        ControlBox_SetPulse(outputs.id, a, b);
    GiveWay();
    return nullptr;
}
