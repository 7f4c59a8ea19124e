// The primitives of talking to outputs and page objects.
#include <memory>
#include <string>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoCoreStartup.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/Parser.h"
#include "LogoCore/PrimitiveFamilies.h"
#include "LogoCore/PrimitiveSupport.h"
#include "LogoCore/ProjectAccess.h"
#include "platform/TextCatalog.h"
#include "platform/Utf8.h"

namespace {

// Name values 9..16 are the outputs A..H, of the output names and of the
// setup's names of output ports alike; other port values select nothing.
constexpr int32_t kFirstOutputValue = 9;
constexpr int32_t kLastOutputValue = 16;

void SelectOutput(TalkToContext& selection, int32_t value) {
    if (selection.mode == 0)
        selection.outputs = value - kFirstOutputValue + 1;
    else
        selection.outputs |= 1 << (value - kFirstOutputValue);
}

// Selects what the name stands for; true when it was an output. A name found
// nowhere raises -4 with "%1" left for the called name.
bool SelectName(TalkToContext& selection, ProjectAccess* project, const std::string& name) {
    int32_t value = 0;
    if (project) {
        if (const auto found = project->LookupName(platform::LowerCase(name))) {
            if (project->IsProceduresPage(found->object)) {
                selection.textBox = found->object;
                selection.textHolder = found->object;
                selection.colourHolder = found->object;
                return false;
            }
            if (found->portValue == 0) {
                selection.Store(found->objectType, found->object);
                return false;
            }
            value = found->portValue;
        }
    }
    if (value == 0) {
        const auto& outputs = OutputNameMap();
        const auto it = outputs.find(name);
        if (it == outputs.end()) RaiseError(-4, {"%1", name});
        value = it->second;
    }
    if (value < kFirstOutputValue || value > kLastOutputValue) return false;
    SelectOutput(selection, value);
    return true;
}

// An error met while selecting, worded with the primitive's name.
[[noreturn]] void RaiseSelectionError(LogoError& error, const std::string& calledName) {
    error.handle = MakeError(error.handle, {calledName});
    throw error;
}

// A list item's name: a word that came quoted loses its quote and its bars.
std::string ItemName(CHandleData* item, const std::string& calledName) {
    const std::string text = GetString(item, false);
    std::string name = text;
    if (!name.empty() && name.front() == '"') name = Unbar(std::string_view(name).substr(1));
    if (name.empty()) RaiseWrongInput(calledName, text);
    return name;
}

// Puts the whole saved selection back however the run ends.
class SelectionRestorer {
  public:
    explicit SelectionRestorer(TalkToContext& selection)
        : selection_(selection), saved_(selection) {}
    ~SelectionRestorer() { selection_ = saved_; }
    SelectionRestorer(const SelectionRestorer&) = delete;
    SelectionRestorer& operator=(const SelectionRestorer&) = delete;

  private:
    TalkToContext& selection_;
    TalkToContext saved_;
};

// With no project open, talk-to and ask still select outputs by their
// output names, so that a student can drive the box before making a
// project; only page objects and port names from the setup need one.

CHandleData* TalkTo(CLogoTask* task, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    CHandleData* input = in[0];
    if (!(IsWordValue(input) || IsListValue(input))) RaiseWrongInput(calledName, input);
    const std::shared_ptr<ProjectAccess> project = OpenProject();
    const ListReference names(GetList(input, false));

    TalkToContext& selection = task->Selection();
    const int32_t mode = selection.mode;
    const int32_t outputs = selection.outputs;
    selection.mode = names->Size() > 1 ? 1 : 0;
    selection.outputs = 0;
    bool selected = false;
    try {
        for (std::size_t i = 0; i < names->Size(); ++i) {
            const std::string name = ItemName(names->ElementAt(i), calledName);
            if (SelectName(selection, project.get(), name)) selected = true;
        }
    } catch (LogoError& error) {
        // The box never sees a half-made output selection.
        selection.mode = mode;
        selection.outputs = outputs;
        RaiseSelectionError(error, calledName);
    }
    // Naming only page objects keeps the outputs as they were.
    if (!selected) {
        selection.mode = mode;
        selection.outputs = outputs;
    }
    return nullptr;
}

CHandleData* Ask(CLogoTask* task, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    CHandleData* list = in[1];
    if (!IsCell(list) || list->Type() != kTypeList) RaiseWrongInput(calledName, list);
    const std::string name = GetString(in[0], false);
    if (name.empty()) RaiseWrongInput(calledName, name);
    const std::shared_ptr<ProjectAccess> project = OpenProject();

    TalkToContext& selection = task->Selection();
    const SelectionRestorer restore(selection);
    const int32_t mode = selection.mode;
    const int32_t outputs = selection.outputs;
    selection.mode = 0;
    selection.outputs = 0;
    try {
        if (!SelectName(selection, project.get(), name)) {
            selection.mode = mode;
            selection.outputs = outputs;
        }
    } catch (LogoError& error) {
        RaiseSelectionError(error, calledName);
    }

    const std::string text = list->ListValue()->ListToString(false, true);
    const std::string_view code = std::string_view(text).substr(1, text.size() - 2);
    if (code.empty()) RaiseWrongInput(calledName, text);
    CHandleData* result = task->RunText(code);
    if (IsError(result)) throw LogoError{result};
    return result;
}

// A name with a blank in it reads back as one word only between bars.
bool NeedsBars(const std::string& name) {
    return name.find_first_of(" \t") != std::string::npos;
}

CHandleData* Objects(CLogoTask*, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const std::shared_ptr<ProjectAccess> project = OpenProject();
    if (!project) RaiseError(-61, {calledName});
    const std::string& reserved = platform::ResourceText(kTextProceduresName);
    const ListReference names(new CLogoList());
    for (const std::string& name : project->PageObjectNames()) {
        if (platform::EqualsIgnoringCase(name, reserved)) continue;
        names->Adopt(MakeWord(NeedsBars(name) ? Bar(name) : name));
    }
    return MakeListValue(names.Get());
}

// clang-format off
constexpr PrimitiveRow kRows[] = {
    FixedRow(TalkTo, 120, 0, 1),
    FixedRow(Ask, 121, 0, 2),
    FixedRow(Objects, 122, 0, 0),
};
// clang-format on

}  // namespace

PrimitiveFamily TalkToPrimitives() {
    return {kRows, {}};
}
