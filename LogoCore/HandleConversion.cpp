// Conversions of value cells to text, numbers, truth values and lists, and
// the rounding and printing of reals.
#include <cmath>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "platform/NumberText.h"
#include "platform/TextCatalog.h"
#include "platform/Utf8.h"

namespace {

// Error -64 carries the number's text: its message has no other way to
// say which number was too big.
// Error -4 keeps "%1" in place for the name of the primitive that received
// the input; the evaluator fills it in later.
[[noreturn]] void RaiseWrongInput(CHandleData* h) {
    RaiseError(-4, {"%1", GetString(h, false, false)});
}

bool NeedsBars(const std::string& text) {
    if (text.find_first_of(" \t") == std::string::npos) return false;
    if (text.size() >= 2 && text[0] == '"' && text[1] == '|') return false;
    if (!text.empty() && text.back() == '|') return false;
    return true;
}

}  // namespace

std::string FormatReal(double x) {
    std::string text = platform::FormatFixed8(x);
    while (text.size() > 1 && text.back() == '0') text.pop_back();
    if (text.size() > 1 && (text.back() == '.' || text.back() == ',')) text.pop_back();
    if (text == "-0") text = "0";  // a value that rounds to nothing has no sign
    return text;
}

double RoundReal(double x) {
    if (x > 2147483647.0 || x < -2147483648.0) RaiseError(-64, {platform::FormatGeneral8(x)});
    if (std::trunc(x) == x) return x;
    const double v = x * 100000000.0;
    const double whole = v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5);
    return whole / 100000000.0;
}

std::string GetString(CHandleData* h, bool release, bool quoted) {
    if (IsErrorNumber(h)) {
        CHandleData* error = MakeError(h);
        std::string text = IsCell(error) ? error->Text() : ErrorText(error);
        Release(error);
        return text;
    }
    if (h == nullptr) RaiseInternal("Bad Handle in GetString()");
    ReleaseAtEnd guard(h, release);
    switch (h->Type()) {
        case kTypeProcedureName:
            return h->Name();
        case kTypeInteger:
            return std::to_string(h->IntegerValue());
        case kTypeReal:
            return FormatReal(h->RealValue());
        case kTypeString:
            if (quoted && NeedsBars(h->Text())) return "\"|" + h->Text() + "|";
            return h->Text();
        case kTypeList: {
            CLogoList* list = h->ListValue();
            list->AddRef();
            return list->ListToString(true, quoted);
        }
        case kTypeBoolean:
            return platform::ResourceText(h->BooleanValue() ? kTextTrue : kTextFalse);
        case kTypeReservedText:
            return h->Text();
        case kTypeDeleted:
            RaiseInternal("Tried to access a DELETED handle in GetString()");
        default:
            RaiseInternal("Bad Handle in GetString()");
    }
}

int32_t GetInteger(CHandleData* h, bool release) {
    if (!IsCell(h)) RaiseInternal("Bad Handle in GetInteger()");
    ReleaseAtEnd guard(h, release);
    switch (h->Type()) {
        case kTypeInteger:
            return h->IntegerValue();
        case kTypeReal: {
            const double x = h->RealValue();
            if (!(x > -2147483649.0 && x < 2147483648.0))
                RaiseError(-64, {platform::FormatGeneral8(x)});
            return static_cast<int32_t>(x);  // toward zero
        }
        case kTypeString: {
            const std::string& text = h->Text();
            const platform::ParsedInteger n = platform::ParseInteger(text);
            if (n.outOfRange) RaiseError(-64, {text});
            if (n.used == 0 || n.used != text.size()) RaiseWrongInput(h);
            return static_cast<int32_t>(n.value);
        }
        case kTypeList:
        case kTypeBoolean:
            RaiseWrongInput(h);
        default:
            RaiseInternal("Bad Handle in GetInteger()");
    }
}

double GetReal(CHandleData* h, bool release) {
    if (!IsCell(h)) RaiseInternal("Bad Handle in GetReal()");
    ReleaseAtEnd guard(h, release);
    switch (h->Type()) {
        case kTypeInteger:
            return h->IntegerValue();
        case kTypeReal:
            return RoundReal(h->RealValue());
        case kTypeString: {
            const std::string& text = h->Text();
            const platform::ParsedReal r = platform::ParseReal(text);
            // "nan" reads as a number in C; it is no number a student means.
            if (r.used == 0 || r.used != text.size() || std::isnan(r.value)) RaiseWrongInput(h);
            if (r.outOfRange || std::fabs(r.value) > 2147483647.0) RaiseError(-64, {text});
            return RoundReal(r.value);
        }
        case kTypeList:
        case kTypeBoolean:
            RaiseWrongInput(h);
        default:
            RaiseInternal("Bad Handle in GetReal()");
    }
}

bool GetBoolean(CHandleData* h, bool release) {
    if (!IsCell(h)) RaiseInternal("Bad Handle in GetBoolean()");
    ReleaseAtEnd guard(h, release);
    switch (h->Type()) {
        case kTypeBoolean:
            return h->BooleanValue();
        case kTypeString:
            if (platform::EqualsIgnoringCase(h->Text(), platform::ResourceText(kTextTrue)))
                return true;
            if (platform::EqualsIgnoringCase(h->Text(), platform::ResourceText(kTextFalse)))
                return false;
            RaiseWrongInput(h);
        case kTypeInteger:
        case kTypeReal:
        case kTypeList:
            RaiseWrongInput(h);
        default:
            RaiseInternal("Bad Handle in GetBoolean()");
    }
}

CLogoList* GetList(CHandleData* h, bool release) {
    if (!IsCell(h)) RaiseInternal("Bad Handle in GetList()");
    ReleaseAtEnd guard(h, release);
    switch (h->Type()) {
        case kTypeInteger:
        case kTypeReal:
        case kTypeBoolean: {
            auto* list = new CLogoList();
            list->Add(h);
            return list;
        }
        case kTypeString: {
            auto* word = new CHandleData("", GetString(h, false, true), kNoToken);
            word->SetState(kStateTemp, false, 0);
            auto* list = new CLogoList();
            list->Adopt(word);
            return list;
        }
        case kTypeList:
            h->ListValue()->AddRef();
            return h->ListValue();
        default:
            RaiseInternal("Bad Handle in GetList()");
    }
}
