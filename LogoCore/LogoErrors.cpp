// Error values: making them, their texts, raising them.
#include "LogoCore/LogoErrors.h"

#include <cstdlib>
#include <new>

#include "LogoCore/HandleData.h"
#include "platform/TextCatalog.h"
#include "platform/Utf8.h"

namespace {

constexpr std::size_t kMaxMessageLength = 4096;

std::string NumberedErrorText(int32_t number) {
    return "Error " + std::to_string(number) + "\r\n";
}

std::string TemplateOf(int32_t number) {
    const int64_t magnitude = number < 0 ? -static_cast<int64_t>(number) : number;
    if (magnitude > 99999) return {};
    return platform::ResourceText(kErrorMessageBase + static_cast<int32_t>(magnitude));
}

}  // namespace

CHandleData* MakeError(int32_t number, const std::vector<std::string>& arguments) {
    return MakeError(ErrorHandle(number), arguments);
}

CHandleData* MakeError(CHandleData* numberOrError, const std::vector<std::string>& arguments) {
    if (numberOrError == nullptr) return nullptr;
    std::string templ;
    if (IsErrorNumber(numberOrError)) {
        const int32_t number = ErrorNumberOf(numberOrError);
        if (number == kErrorOutputSignal || number == kErrorStopRequest) return numberOrError;
        templ = TemplateOf(number);
        if (templ.empty()) templ = NumberedErrorText(number);
    } else {
        templ = numberOrError->Type() == kTypeString ? numberOrError->Text() : std::string();
        Release(numberOrError);
    }
    // A finished message already ends its line; wording it again must not
    // add a second line end.
    templ = WithoutLineEnd(std::move(templ));

    std::string text = platform::FormatMessageText(templ, arguments);
    // Counted in characters, so that a long argument is never cut inside one.
    if (text.size() > kMaxMessageLength)
        text = std::string(platform::FirstCharacters(text, kMaxMessageLength));
    text += "\r\n";
    try {
        auto* error = new CHandleData("", text, kNoToken);
        error->SetState(kStateError, false, 0);
        return error;
    } catch (const std::bad_alloc&) {
        return ErrorHandle(-7);
    }
}

std::string ErrorText(const CHandleData* h) {
    if (!IsError(h)) return {};
    if (IsErrorNumber(h)) {
        const int32_t number = ErrorNumberOf(h);
        if (number == kErrorOutputSignal || number == kErrorStopRequest) return {};
        std::string text = TemplateOf(number);
        return text.empty() ? NumberedErrorText(number) : text;
    }
    std::string text = h->Type() == kTypeString ? h->Text() : std::string();
    return text.empty() ? NumberedErrorText(0) : text;
}

void RaiseError(int32_t number) {
    throw LogoError{ErrorHandle(number)};
}

void RaiseError(int32_t number, const std::vector<std::string>& arguments) {
    throw LogoError{MakeError(number, arguments)};
}

void RaiseInternal(const std::string& text) {
    throw InternalError(text);
}

void RaiseShared(CHandleData* error) {
    Reference(error);
    throw LogoError{error};
}

bool EndsWithLineEnd(const std::string& text) {
    return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
}

std::string WithoutLineEnd(std::string text) {
    if (EndsWithLineEnd(text)) text.resize(text.size() - 2);
    return text;
}

std::string WithLineEnd(std::string text) {
    if (!EndsWithLineEnd(text)) text += "\r\n";
    return text;
}
