// Reference counting of value cells.
#include <exception>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/NameTable.h"

void Reference(CHandleData* h) {
    if (!IsCell(h)) return;
    const int32_t type = h->Type();
    if (type == kTypePrimitive) return;  // primitives are not counted
    if (type == kTypeDeleted) RaiseInternal("Trying to reference a deleted handle");
    h->AddCount();
}

void Release(CHandleData* h) {
    if (!IsCell(h)) return;
    const int32_t type = h->Type();
    if (type == kTypePrimitive) return;
    if (type == kTypeDeleted) RaiseInternal("Trying to dereference a deleted handle");
    if (h->DropCount() > 0) return;

    // Only a named cell can be in the name table (an empty name is never
    // entered, and a cell's name never changes), so only such a cell need
    // ask; a scope's variable never is. When the table lists it, the table
    // lets go of its entry, and that release destroys the cell.
    if (!h->Name().empty() && h->Token() != kScopeToken) {
        h->AddCount();
        if (NameTable().IsListed(h)) return;
        if (h->DropCount() > 0) return;  // someone took a reference meanwhile
    }
    h->Free();
}

ReleaseAtEnd::~ReleaseAtEnd() noexcept(false) {
    if (!h_) return;
    if (std::uncaught_exceptions() == 0) {
        Release(h_);
        return;
    }
    try {
        Release(h_);
    } catch (...) {
    }
}
