// User procedures: inputs and body.
#include "LogoCore/LogoProcedure.h"

#include "LogoCore/HandleData.h"

CLogoProcedure::CLogoProcedure(std::string_view name) : name_(name) {}

CLogoProcedure::~CLogoProcedure() {
    for (CHandleData* item : body_) ::Release(item);
}

void CLogoProcedure::AddInput(std::string_view name) {
    inputs_.push_back(!name.empty() && name[0] == ':' ? std::string(name)
                                                      : ":" + std::string(name));
}

void CLogoProcedure::AddToBody(CHandleData* cell) {
    Reference(cell);
    body_.back() = cell;
    body_.push_back(nullptr);
}
