// The primitives of control: conditionals, loops, waiting, running lists, tasks, the error trap and
// logic.
#include <memory>
#include <string>
#include <string_view>

#include "LogoCore/BoxSeam.h"
#include "LogoCore/Evaluator.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoCoreStartup.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/PrimitiveFamilies.h"
#include "LogoCore/PrimitiveSupport.h"
#include "LogoCore/VariableList.h"
#include "platform/Threads.h"
#include "platform/Utf8.h"

namespace {

constexpr int32_t kOptionIfElse = 1;
constexpr int32_t kOptionStopAll = 1;
constexpr int32_t kOptionForever = 106;
constexpr int32_t kOptionRepeat = 114;
constexpr int32_t kOptionCount = 118;
constexpr int32_t kOptionLaunchForever = 110;
constexpr int32_t kOptionAnd = 107;
constexpr int32_t kOptionOr = 112;

// How often wait-until tests its condition when no input frame comes.
constexpr int kConditionFrameMilliseconds = 19;

bool IsCode(CHandleData* h) {
    return IsCell(h) && (h->Type() == kTypeList || h->Type() == kTypeProcedure);
}

// Runs code and gives back what it outputs; an error result is raised.
CHandleData* RunForValue(CLogoTask* task, CHandleData* code, bool passSignal = false) {
    CHandleData* result = task->RunCompiled(code, passSignal);
    if (IsOutputSignal(result)) return result;
    if (IsError(result)) throw LogoError{result};
    return result;
}

CHandleData* Conditional(CLogoTask* task, CHandleData** inputs, int32_t option,
                         const std::string& calledName) {
    HandlerInputs in(inputs);
    const bool condition = GetBoolean(in[0], false);
    if (option == kOptionIfElse) {
        // The list not chosen goes before the chosen one runs, which may take long.
        Release(in.Take(condition ? 2 : 1));
        return RunListAsCommand(task, in[condition ? 1 : 2], calledName, true);
    }
    return condition ? RunListAsCommand(task, in[1], calledName, true) : nullptr;
}

CHandleData* WaitUntil(CLogoTask* task, CHandleData** inputs, int32_t,
                       const std::string& calledName) {
    HandlerInputs in(inputs);
    CHandleData* code = CompileListInput(task, in[0], calledName);
    ReleaseAtEnd guard(code);
    if (!code) RaiseError(-17, {calledName, GetString(in[0], false)});
    auto holds = [&] {
        return GetBoolean(EvaluateExpression(code->Procedure(), task, calledName), true);
    };
    while (!holds()) {
        CheckStopRequest(task);
        ControlBox_WaitFrame(kConditionFrameMilliseconds);
    }
    return nullptr;
}

// Forever (also ".loop") and repeat.
CHandleData* Loop(CLogoTask* task, CHandleData** inputs, int32_t option,
                  const std::string& calledName) {
    HandlerInputs in(inputs);
    if (option != kOptionForever && option != kOptionRepeat)
        RaiseInternal("Bad option passed to logocommand__loop");
    const bool counting = option == kOptionRepeat;
    int32_t counter = 42;  // forever never counts it down
    if (counting) {
        counter = GetInteger(in[0], false);
        if (counter < 0) RaiseWrongInput(calledName, in[0]);
    }
    CHandleData* code = CompileListInput(task, in[counting ? 1 : 0], calledName);
    if (!code) RaiseWrongInput(calledName, "[]");
    ReleaseAtEnd guard(code);
    while (counter > 0) {
        if (counting) --counter;
        CheckStopRequest(task);
        RunAsCommand(task, code);
        platform::SleepMilliseconds(LoopPauseMilliseconds());
    }
    return nullptr;
}

// The scope of a loop variable: pushed for the loop, popped however it ends.
class LoopScope {
  public:
    explicit LoopScope(CLogoTask* task) : task_(task), scope_(task->NewScope()) {
        task_->PushScope(scope_);
    }
    ~LoopScope() { task_->PopScope(); }
    LoopScope(const LoopScope&) = delete;
    LoopScope& operator=(const LoopScope&) = delete;

    // Takes over the caller's reference to the value (null: no value).
    void Set(const std::string& name, CHandleData* value) {
        scope_->Declare(name, value, kStateLocal);
    }

  private:
    CLogoTask* task_;
    CVariableList* scope_;  // the task takes it back when it is popped
};

// The value of the expression that follows the variable name in a loop's
// first input ([i 10], [x [a b c]]).
CHandleData* LoopRange(CLogoTask* task, CLogoList* header, CHandleData* first,
                       const std::string& calledName) {
    const std::string text = header->ListToString(false, true, 1);
    CHandleData* expression = task->CompileText(WithoutBrackets(text), kStateUser);
    if (!expression) RaiseWrongInput(calledName, first);
    ReleaseAtEnd guard(expression);
    return EvaluateExpression(expression->Procedure(), task, calledName);
}

// For-each (dolist) and count (dotimes) loops.
CHandleData* ForLoop(CLogoTask* task, CHandleData** inputs, int32_t option,
                     const std::string& calledName) {
    HandlerInputs in(inputs);
    CHandleData* first = in[0];
    if (!IsCell(first) || first->Type() != kTypeList || first->ListValue()->Size() < 2)
        RaiseWrongInput(calledName, first);
    CLogoList* header = first->ListValue();
    const std::string name = GetString(header->ElementAt(0), false);
    if (!IsValidName(name)) RaiseWrongInput(calledName, name);

    CHandleData* range = LoopRange(task, header, first, calledName);
    ReleaseAtEnd rangeGuard(range);
    CLogoList* items = nullptr;
    std::size_t rounds = 0;
    if (option == kOptionCount) {
        const int32_t count = GetInteger(range, false);
        if (count < 0) RaiseWrongInput(calledName, range);
        rounds = static_cast<std::size_t>(count);
    } else {
        if (!IsCell(range) || range->Type() != kTypeList) RaiseWrongInput(calledName, range);
        items = range->ListValue();
        rounds = items->Size();
    }

    LoopScope scope(task);
    const std::string variable = ":" + platform::LowerCase(name);
    scope.Set(variable, nullptr);
    CHandleData* body = CompileListInput(task, in[1], calledName);
    ReleaseAtEnd bodyGuard(body);
    for (std::size_t i = 0; i < rounds; ++i) {
        CheckStopRequest(task);
        scope.Set(variable, items ? items->GetAt(i) : MakeInteger(static_cast<int32_t>(i + 1)));
        if (CHandleData* value = RunForValue(task, body)) RaiseError(-1, {GetString(value, true)});
        platform::YieldWhenSliceUsed();
    }
    return nullptr;
}

CHandleData* Run(CLogoTask* task, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    CHandleData* code = IsCode(in[0]) ? CompileListInput(task, in[0], calledName)
                                      : task->CompileText(GetString(in[0], false), kStateUser);
    ReleaseAtEnd guard(code);
    return RunForValue(task, code, true);
}

// The evaluator takes the signal where it can, and raises it elsewhere.
CHandleData* Output(CLogoTask* task, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    task->SetOutput(in.Take(0));
    return OutputSignal();
}

// Stop this task (stopme) or every task (stopall).
CHandleData* Stop(CLogoTask* task, CHandleData** inputs, int32_t option, const std::string&) {
    HandlerInputs in(inputs);
    if (option != kOptionStopAll) {
        // The evaluator sees the request at its next check.
        StopTask(task);
        return nullptr;
    }
    StopEverything();
    return nullptr;
}

// While a task launches another, it is not the task of its page object:
// the new task must not report to the object.
class PageObjectCleared {
  public:
    explicit PageObjectCleared(CLogoTask* task) : task_(task), object_(task->PageObject()) {
        task_->SetPageObject(0);
    }
    ~PageObjectCleared() { task_->SetPageObject(object_); }
    PageObjectCleared(const PageObjectCleared&) = delete;
    PageObjectCleared& operator=(const PageObjectCleared&) = delete;

  private:
    CLogoTask* task_;
    int32_t object_;
};

// Launch, and launch of a list run forever (through ".loop").
CHandleData* Launch(CLogoTask* task, CHandleData** inputs, int32_t option,
                    const std::string& calledName) {
    HandlerInputs in(inputs);
    std::string text = GetString(in[0], false, true);
    if (text.empty() || text == "[]") RaiseWrongInput(calledName, text);
    if (option == kOptionLaunchForever) text = ".loop " + text;
    const std::string_view body = WithoutBrackets(text);
    if (body.empty()) RaiseWrongInput(calledName, text);
    PageObjectCleared cleared(task);
    CHandleData* code = task->CompileText(body, kStateUser);
    ReleaseAtEnd guard(code);
    task->Launch(code, false);
    return nullptr;
}

// Runs code and catches the error that ends it as its result. The output
// and stop signals and a stop request are not errors: they pass on.
CHandleData* RunTrapped(CLogoTask* task, CHandleData* code) {
    try {
        return task->RunCompiled(code, true);
    } catch (const LogoError& e) {
        if (e.handle == ErrorHandle(kErrorOutputSignal) ||
            e.handle == ErrorHandle(kErrorStopRequest))
            throw;
        return e.handle;
    }
}

CHandleData* Carefully(CLogoTask* task, CHandleData** inputs, int32_t,
                       const std::string& calledName) {
    HandlerInputs in(inputs);
    CHandleData* code = CompileListInput(task, in[0], calledName);
    ReleaseAtEnd guard(code);
    if (!IsCode(in[1])) RaiseWrongInput(calledName, in[1]);
    if (!code) return nullptr;

    CHandleData* result = RunTrapped(task, code);
    if (IsOutputSignal(result)) return result;
    task->SetLastError(nullptr);
    if (!IsError(result)) return result;
    {
        ReleaseAtEnd errorGuard(result);
        task->SetLastError(MakeWord(ErrorText(result)));
    }
    CHandleData* recovery = CompileListInput(task, in[1], calledName);
    ReleaseAtEnd recoveryGuard(recovery);
    return RunForValue(task, recovery);
}

CHandleData* ErrorMessage(CLogoTask* task, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    std::string text = task->LastError() ? GetString(task->LastError(), false) : std::string();
    text.erase(text.find_last_not_of(" \t\r\n") + 1);
    return MakeWord(text);
}

// And, or: every input is converted, even when the first already decides.
CHandleData* AndOr(CLogoTask*, CHandleData** inputs, int32_t option,
                   const std::string& calledName) {
    HandlerInputs in(inputs);
    if (option != kOptionAnd && option != kOptionOr) RaiseError(-1, {calledName});
    bool all = true;
    bool any = false;
    for (int i = 0; i < in.Count(); ++i) {
        const bool value = GetBoolean(in[i], false);
        all = all && value;
        any = any || value;
    }
    return BooleanValue(option == kOptionAnd ? all : any);
}

CHandleData* Not(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    return BooleanValue(!GetBoolean(in[0], false));
}

// clang-format off
constexpr PrimitiveRow kRows[] = {
    FixedRow(Launch, 100, 0, 1),
    FixedRow(WaitUntil, 101, 1, 1),
    FixedRow(Conditional, 102, 0, 2),
    FixedRow(Conditional, 103, 1, 3),
    FixedRow(Stop, 104, 0, 0),
    FixedRow(Stop, 105, 1, 0),
    FixedRow(Loop, 106, 106, 1),
    GatheringRow(AndOr, 107, 107),
    FixedRow(Carefully, 108, 0, 2),
    FixedRow(ErrorMessage, 109, 0, 0),
    FixedRow(Launch, 110, 110, 1),
    FixedRow(Not, 111, 0, 1),
    GatheringRow(AndOr, 112, 112),
    FixedRow(Output, 113, 113, 1),
    FixedRow(Loop, 114, 114, 2),
    FixedRow(Run, 115, 0, 1),
    FixedRow(ForLoop, 117, 117, 2),
    FixedRow(ForLoop, 118, 118, 2),
};

constexpr NamedPrimitiveRow kNamedRows[] = {
    {Loop, 106, ".loop", 0, 106, 1, 1, 1},
};
// clang-format on

}  // namespace

PrimitiveFamily ControlPrimitives() {
    return {kRows, kNamedRows};
}
