#include "project/PrimitiveInputs.h"

#include <cmath>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/Parser.h"
#include "LogoCore/PrimitiveSupport.h"
#include "project/KinetraDoc.h"

namespace {

constexpr int32_t kErrorNoProject = -61;

bool NeedsBars(const std::string& name) {
    return name.find_first_of(" \t") != std::string::npos;
}

}  // namespace

std::shared_ptr<CKinetraDoc> OpenDocumentFor(const std::string& calledName) {
    std::shared_ptr<CKinetraDoc> doc = CKinetraDoc::Current();
    if (!doc) RaiseError(kErrorNoProject, {calledName});
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
