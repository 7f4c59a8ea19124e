// The primitives of variables: setting, declaring, reading and erasing them.
#include <memory>
#include <string>
#include <vector>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoCoreStartup.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/MainThreadCall.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/PrimitiveFamilies.h"
#include "LogoCore/PrimitiveSupport.h"
#include "LogoCore/ProjectAccess.h"
#include "LogoCore/VariableList.h"
#include "platform/TextCatalog.h"
#include "platform/Utf8.h"

namespace {

constexpr int32_t kOptionSwapped = 14;  // name: the value comes first
constexpr int32_t kTextBoxType = 7;
constexpr int32_t kTextMakeLine = 1401;

// A variable's name in the name table and the scopes carries a colon.
std::string Prefixed(const std::string& name) {
    return ":" + name;
}

std::string Unprefixed(const std::string& name) {
    return !name.empty() && name.front() == ':' ? name.substr(1) : name;
}

// The name input of a primitive that reads or erases a variable.
std::string WordInput(CHandleData* input, const std::string& calledName) {
    if (!IsWordValue(input)) RaiseWrongInput(calledName, input);
    return GetString(input, false);
}

// A found variable without a value counts as absent, as for the evaluator.
bool HasValue(const CHandleData* variable) {
    return variable && variable->Type() != kTypeEmpty;
}

CHandleData* Make(CLogoTask* task, CHandleData** inputs, int32_t option,
                  const std::string& calledName) {
    HandlerInputs in(inputs);
    const int nameIndex = option == kOptionSwapped ? 1 : 0;
    CHandleData* nameInput = in[nameIndex];
    if (!IsWordValue(nameInput)) RaiseWrongInput(calledName, nameInput);
    const std::string name = GetString(nameInput, false);
    if (!IsValidName(name)) RaiseWrongInput(calledName, name);
    SetVariable(*task->Scope(), Prefixed(name), in.Take(1 - nameIndex), kStateGlobal);
    return nullptr;
}

// Local names are stored lower-cased, so that listings show one spelling.
std::string LocalName(const std::string& text, const std::string& calledName) {
    std::string name;
    for (char c : text)
        if (c != '[' && c != ']') name += c;
    name = platform::LowerCase(Unprefixed(name));
    if (name.empty()) RaiseWrongInput(calledName, text);
    return Prefixed(name);
}

CHandleData* Local(CLogoTask* task, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    CHandleData* input = in[0];
    std::vector<std::string> names;
    if (IsWordValue(input)) {
        names.push_back(GetString(input, false));
    } else if (IsCell(input) && input->Type() == kTypeVariable) {
        names.push_back(input->Name());
    } else if (IsCell(input) && input->Type() == kTypeList) {
        CLogoList* list = input->ListValue();
        for (std::size_t i = 0; i < list->Size(); ++i) {
            CHandleData* item = list->ElementAt(i);
            if (!IsWordValue(item)) RaiseWrongInput(calledName, input);
            names.push_back(GetString(item, false));
        }
    } else {
        RaiseWrongInput(calledName, input);
    }
    if (task->Scope() == &GlobalScope()) RaiseError(-16, {});
    for (const std::string& name : names) task->MakeLocal(LocalName(name, calledName));
    return nullptr;
}

CHandleData* IsName(CLogoTask* task, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const std::string name = WordInput(in[0], calledName);
    CHandleData* variable = task->FindVariable(Prefixed(name));
    ReleaseAtEnd guard(variable);
    return BooleanValue(HasValue(variable) && !IsError(variable));
}

CHandleData* Thing(CLogoTask* task, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const std::string name = WordInput(in[0], calledName);
    CHandleData* variable = task->FindVariable(Prefixed(name));
    if (!HasValue(variable)) {
        Release(variable);
        RaiseError(-17, {name});
    }
    // The scope's cell: never changed in place, so it may be handed out.
    return variable;
}

CHandleData* Erase(CLogoTask* task, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const std::string name = Prefixed(WordInput(in[0], calledName));
    // Only the nearest scope that has it loses it: an outer variable of the
    // same name shows again.
    for (CVariableList* scope = task->Scope(); scope; scope = scope->Parent()) {
        if (CHandleData* found = scope->Variables().FindByName(name)) {
            Release(found);
            scope->Remove(name);
            break;
        }
    }
    return nullptr;
}

CHandleData* EraseAll(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    GlobalScope().Clear();
    return nullptr;
}

// Releases the cells of a snapshot however the handler ends.
class SnapshotCells {
  public:
    explicit SnapshotCells(std::vector<CHandleData*> cells) : cells_(std::move(cells)) {}
    ~SnapshotCells() {
        for (CHandleData* cell : cells_) Release(cell);
    }
    SnapshotCells(const SnapshotCells&) = delete;
    SnapshotCells& operator=(const SnapshotCells&) = delete;
    const std::vector<CHandleData*>& Cells() const { return cells_; }

  private:
    std::vector<CHandleData*> cells_;
};

std::string KindName(int32_t type) {
    for (const auto& [code, name] : ObjectKindTable())
        if (code == type) return name;
    return {};
}

// The value as it is typed: a word or truth value gets its quote, so that the
// line reads back as the same value.
std::string ValueLineText(CHandleData* value) {
    std::string text = GetString(value, false, true);
    const int32_t type = value->Type();
    if ((type == kTypeString || type == kTypeBoolean) && (text.empty() || text.front() != '"'))
        text.insert(text.begin(), '"');
    return text;
}

// Writes every global variable that has a value as a line that sets it
// again, into the current text box or the procedures page.
CHandleData* WriteVariables(CLogoTask* task, CHandleData** inputs, int32_t,
                            const std::string& calledName) {
    HandlerInputs in(inputs);
    const std::shared_ptr<ProjectAccess> project = OpenProject();
    if (!project) RaiseError(-61, {calledName});
    const int32_t target = task->Selection().textBox;
    if (target == 0) RaiseError(-22, {KindName(kTextBoxType), calledName});

    InsertTextRequest request;
    request.target =
        project->IsProceduresPage(target) ? kProceduresTarget : project->PageObjectName(target);
    const SnapshotCells variables(GlobalScope().Variables().Snapshot());
    for (CHandleData* variable : variables.Cells()) {
        // Names the reader met but nobody set have nothing to write.
        if (!HasValue(variable)) continue;
        request.text = platform::FormatResource(
            kTextMakeLine, {"\"" + Unprefixed(variable->Name()), ValueLineText(variable)});
        Release(CallMainThread(kInsertText, &request));
    }
    return nullptr;
}

// clang-format off
constexpr PrimitiveRow kRows[] = {
    FixedRow(Make, 10, 1, 2),
    FixedRow(Erase, 11, 0, 1),
    FixedRow(EraseAll, 12, 0, 0),
    FixedRow(Local, 13, 0, 1),
    FixedRow(Make, 14, 14, 2),
    FixedRow(IsName, 15, 15, 1),
    FixedRow(WriteVariables, 16, 0, 0),
    FixedRow(Thing, 17, 17, 1),
};
// clang-format on

}  // namespace

PrimitiveFamily VariablePrimitives() {
    return {kRows, {}};
}
