// The two handlers every family may use.
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/Primitives.h"
#include "platform/TextCatalog.h"

namespace {

void ReleaseInputs(CHandleData** inputs) {
    for (CHandleData** in = inputs; in && *in; ++in) Release(*in);
}

}  // namespace

CHandleData* PrimitiveNotAvailable(CLogoTask*, CHandleData** inputs, int32_t,
                                   const std::string& calledName) {
    ReleaseInputs(inputs);
    RaiseError(-20, {platform::FormatResource(kTextNotAvailable, {calledName})});
}

CHandleData* PrimitiveNothing(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    ReleaseInputs(inputs);
    return nullptr;
}
