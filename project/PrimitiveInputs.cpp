#include "project/PrimitiveInputs.h"

#include <cmath>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/MainThreadCall.h"
#include "LogoCore/Parser.h"
#include "LogoCore/PrimitiveSupport.h"
#include "project/KinetraDoc.h"

namespace {

constexpr int32_t kErrorNoOpenProject = -61;

bool NeedsBars(const std::string& name) {
    return name.find_first_of(" \t") != std::string::npos;
}

}  // namespace

std::shared_ptr<CKinetraDoc> OpenDocumentFor(const std::string& calledName) {
    std::shared_ptr<CKinetraDoc> doc = CKinetraDoc::Current();
    if (!doc) RaiseError(kErrorNoOpenProject, {calledName});
    return doc;
}

std::string WordInput(CHandleData* input, const std::string& calledName) {
    if (!IsWordValue(input)) RaiseWrongInput(calledName, input);
    return GetString(input, false);
}

std::pair<int32_t, int32_t> NumberPair(CHandleData* input, const std::string& calledName) {
    if (!IsListValue(input) || input->ListValue()->Size() != 2) RaiseWrongInput(calledName, input);
    int32_t numbers[2];
    for (std::size_t i = 0; i < 2; ++i) {
        CHandleData* item = input->ListValue()->ElementAt(i);
        if (!IsWordValue(item)) RaiseWrongInput(calledName, input);
        double value;
        try {
            value = GetReal(item, false);
        } catch (const LogoError& error) {
            Release(error.handle);
            RaiseWrongInput(calledName, input);
        }
        if (!(std::fabs(value) < 2147483647.0)) RaiseWrongInput(calledName, input);
        numbers[i] = static_cast<int32_t>(std::lround(value));
    }
    return {numbers[0], numbers[1]};
}

std::string ListText(CHandleData* input) {
    std::string text = GetString(input, false);
    if (IsListValue(input) && text.size() >= 2) text = text.substr(1, text.size() - 2);
    return text;
}

double NumberInput(CHandleData* input, const std::string& calledName) {
    if (!IsWordValue(input)) RaiseWrongInput(calledName, input);
    try {
        return GetReal(input, false);
    } catch (const LogoError& error) {
        Release(error.handle);
        RaiseWrongInput(calledName, input);
    }
}

std::vector<double> NumbersInput(CHandleData* input, const std::string& calledName,
                                 std::size_t count) {
    if (!IsListValue(input)) RaiseWrongInput(calledName, input);
    const std::size_t size = input->ListValue()->Size();
    if (count != 0 && size != count) RaiseWrongInput(calledName, input);
    std::vector<double> numbers;
    numbers.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        CHandleData* item = input->ListValue()->ElementAt(i);
        if (!IsWordValue(item)) RaiseWrongInput(calledName, input);
        try {
            numbers.push_back(GetReal(item, false));
        } catch (const LogoError& error) {
            Release(error.handle);
            RaiseWrongInput(calledName, input);
        }
    }
    return numbers;
}

CHandleData* RealList(const std::vector<double>& numbers) {
    const ListReference list(new CLogoList());
    for (const double number : numbers) list->Adopt(NormaliseNumber(number));
    return MakeListValue(list.Get());
}

int32_t CurrentOfKind(CLogoTask* task, int32_t type, const std::string& calledName) {
    const TalkToContext& s = task->Selection();
    int32_t serial = 0;
    switch (type) {
        case kPictureBoxObject:
            serial = s.pictureBox;
            break;
        case kGraphObject:
            serial = s.graph;
            break;
        case kButtonObject:
            serial = s.button;
            break;
        case kSliderObject:
            serial = s.slider;
            break;
        case kMonitorObject:
            serial = s.monitor;
            break;
        case kTextBoxObject:
            serial = s.textBox;
            break;
    }
    if (serial == 0) RaiseError(-22, {ObjectKindName(type), calledName});
    return serial;
}

std::string TargetName(CKinetraDoc& doc, int32_t serial) {
    if (doc.IsProceduresPage(serial)) return kProceduresTarget;
    const CPageObject* object = doc.FindObject(serial);
    if (!object) RaiseError(kErrorNoPageObject, {});
    return object->Name();
}

ProjectRequest RequestOn(CLogoTask* task, CKinetraDoc& doc, int32_t type,
                         const std::string& calledName) {
    ProjectRequest request;
    request.calledName = calledName;
    const int32_t serial = CurrentOfKind(task, type, calledName);
    auto hold = doc.Lock();
    request.name = TargetName(doc, serial);
    return request;
}

CHandleData* NameList(const std::vector<std::string>& names) {
    const ListReference list(new CLogoList());
    for (const std::string& name : names) list->Adopt(MakeWord(NeedsBars(name) ? Bar(name) : name));
    return MakeListValue(list.Get());
}

CHandleData* NumberList(std::initializer_list<int32_t> numbers) {
    const ListReference list(new CLogoList());
    for (const int32_t number : numbers) list->Adopt(MakeInteger(number));
    return MakeListValue(list.Get());
}
