#include "LogoCore/PrimitiveSupport.h"

#include <cmath>

#include "LogoCore/Evaluator.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/NameTable.h"

HandlerInputs::HandlerInputs(CHandleData** inputs) : inputs_(inputs), count_(0) {
    while (inputs_ && inputs_[count_]) ++count_;
}

HandlerInputs::~HandlerInputs() {
    for (int i = 0; i < count_; ++i) Release(inputs_[i]);
}

CHandleData* HandlerInputs::Take(int index) {
    CHandleData* input = inputs_[index];
    inputs_[index] = nullptr;  // the guard's count stays; Release ignores null
    return input;
}

bool IsWordValue(const CHandleData* h) {
    if (!IsCell(h)) return false;
    const int32_t type = h->Type();
    return type == kTypeInteger || type == kTypeReal || type == kTypeString || type == kTypeBoolean;
}

bool IsListValue(const CHandleData* h) {
    return IsCell(h) && h->Type() == kTypeList;
}

namespace {

// Made once and never released: every logical primitive shares them.
CHandleData* SharedBoolean(bool value) {
    static CHandleData* const kTrue = DefineBoolean("", true, kStateTemp);
    static CHandleData* const kFalse = DefineBoolean("", false, kStateTemp);
    return value ? kTrue : kFalse;
}

}  // namespace

CHandleData* BooleanValue(bool value) {
    CHandleData* shared = SharedBoolean(value);
    Reference(shared);
    return shared;
}

CHandleData* TrueValue() {
    return BooleanValue(true);
}

CHandleData* FalseValue() {
    return BooleanValue(false);
}

CHandleData* MakeInteger(int32_t value) {
    return DefineInteger("", value, kStateTemp);
}

CHandleData* MakeWord(const std::string& text) {
    return DefineString("", text, kStateTemp);
}

CHandleData* MakeListValue(CLogoList* list) {
    return DefineList("", list, kStateTemp);
}

CHandleData* NormaliseNumber(double value) {
    const double rounded = RoundReal(value);
    if (rounded == std::floor(rounded) && std::fabs(rounded) < 2147483647.0)
        return MakeInteger(static_cast<int32_t>(rounded));
    return DefineReal("", rounded, kStateTemp);
}

void RaiseWrongInput(const std::string& calledName, const std::string& inputText) {
    RaiseError(-4, {calledName, inputText});
}

void RaiseWrongInput(const std::string& calledName, CHandleData* input) {
    RaiseWrongInput(calledName, IsCell(input) ? GetString(input, false) : std::string());
}

CHandleData* CompileListInput(CLogoTask* task, CHandleData* input, const std::string& calledName) {
    if (IsCell(input) && input->Type() == kTypeProcedure) {
        Reference(input);
        return input;
    }
    if (!IsCell(input) || input->Type() != kTypeList) RaiseWrongInput(calledName, input);
    CLogoList* list = input->ListValue();
    if (list->Size() == 0) return nullptr;
    // Counted before the reading, so that an entry the reading makes, or
    // one that comes or goes meanwhile, has the list read again next time.
    const uint64_t changes = NameTable().Changes();
    if (CHandleData* kept = task->ListCode().Find(list, changes)) return kept;
    const std::string text = list->ListToString(false, true);
    CHandleData* code =
        task->CompileText(std::string_view(text).substr(1, text.size() - 2), kStateUser);
    if (IsCell(code) && code->Type() == kTypeProcedure) task->ListCode().Keep(list, code, changes);
    return code;
}

CHandleData* RunAsCommand(CLogoTask* task, CHandleData* code, bool passSignal) {
    CHandleData* result = task->RunCompiled(code, passSignal);
    if (!result || IsOutputSignal(result)) return result;
    if (IsError(result)) throw LogoError{result};
    std::string text;
    {
        ReleaseAtEnd guard(result);
        text = GetString(result, false);
    }
    RaiseError(-47, {text});
}

CHandleData* RunListAsCommand(CLogoTask* task, CHandleData* list, const std::string& calledName,
                              bool passSignal) {
    CHandleData* code = CompileListInput(task, list, calledName);
    ReleaseAtEnd guard(code);
    return RunAsCommand(task, code, passSignal);
}

void CheckStopRequest(CLogoTask* task) {
    if (task->StopRequested()) RaiseError(kErrorStopRequest);
}

std::string_view WithoutBrackets(std::string_view text) {
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
        return text.substr(1, text.size() - 2);
    return text;
}
