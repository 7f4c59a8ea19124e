// The two handlers every family may use.
#include "LogoCore/LogoErrors.h"
#include "LogoCore/PrimitiveSupport.h"
#include "LogoCore/Primitives.h"
#include "platform/TextCatalog.h"

CHandleData* PrimitiveNotAvailable(CLogoTask*, CHandleData** inputs, int32_t,
                                   const std::string& calledName) {
    HandlerInputs in(inputs);
    RaiseError(-20, {platform::FormatResource(kTextNotAvailable, {calledName})});
}

CHandleData* PrimitiveNothing(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    return nullptr;
}
