#include "LogoCore/KinxError.h"

#include "platform/TextCatalog.h"
#include "platform/Utf8.h"

namespace {

std::string Cut(std::string_view text) {
    return std::string(platform::FirstCharacters(text, CKinxError::kMaxArgument));
}

}  // namespace

CKinxError::CKinxError(int32_t id, std::string_view first, std::string_view second)
    : id_(id), first_(Cut(first)), second_(Cut(second)) {}

std::string CKinxError::Message() const {
    return platform::FormatResource(id_, {first_, second_});
}
