// Variable scopes.
#include "LogoCore/VariableList.h"

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/NameTable.h"

using Guard = std::lock_guard<std::recursive_mutex>;

CVariableList& GlobalScope() {
    // Made after the name table, so destroyed before it: releasing the
    // variables may ask the table.
    NameTable();
    static CVariableList global;
    return global;
}

// The scope's lock (when shared) is held while the parent's is taken: locks
// go from the inner scope outwards, then to the name table.
CHandleData* CVariableList::Find(std::string_view name) {
    auto guard = variables_.Hold();
    if (CHandleData* found = variables_.FindByName(name)) return found;
    return parent_ ? parent_->Find(name) : nullptr;
}

void CVariableList::Declare(std::string_view name, CHandleData* value, int32_t state) {
    auto guard = variables_.Hold();
    CHandleData* entry = DeclareVariableName(name, state);
    auto* cell = new CHandleData(name, entry, value);
    Release(entry);
    variables_.RemoveByName(name);
    if (!variables_.Insert(cell, state)) Release(cell);
    Release(value);
}

void CVariableList::Rebind(std::string_view name, CHandleData* value, int32_t state) {
    auto guard = variables_.Hold();
    CHandleData* old = variables_.FindByName(name);
    if (!old) {
        Declare(name, value, state);
        return;
    }
    auto* cell = new CHandleData(name, old, value);
    const bool replaced = variables_.Replace(old, cell, state);
    Release(old);
    if (!replaced) {
        Release(cell);
        Declare(name, value, state);
        return;
    }
    Release(value);
}

void CVariableList::Remove(std::string_view name) {
    auto guard = variables_.Hold();
    variables_.RemoveByName(name);
}

void CVariableList::Clear() {
    auto guard = variables_.Hold();
    variables_.RemoveAllWithState(0);
}

void CVariableList::Set(std::string_view name, CHandleData* value, int32_t state) {
    auto guard = variables_.Hold();
    if (CHandleData* found = variables_.FindByName(name)) {
        Release(found);
        Declare(name, value, state);
        return;
    }
    if (parent_)
        parent_->Set(name, value, state);
    else
        Declare(name, value, state);
}

CHandleData* LookupVariableName(std::string_view name, int32_t state) {
    CHandleData* entry;
    {
        CHandleList& table = NameTable();
        Guard guard(table.Lock());
        if (CHandleData* found = table.FindByName(name)) {
            if (found->Type() == kTypeVariable) return found;
            Release(found);
            return nullptr;
        }
        entry = DefineName(name, kTypeVariable, state);
        if (!IsCell(entry)) return nullptr;
        Reference(entry);  // the caller's, beside the table's
    }
    // Outside the table's lock: scopes are locked before the name table.
    GlobalScope().Declare(name, nullptr, state);
    return entry;
}

void SetVariable(CVariableList& current, std::string_view name, CHandleData* value, int32_t state) {
    CHandleData* entry = FindName(name);
    if (!entry) {
        GlobalScope().Declare(name, value, state);
        return;
    }
    const int32_t type = entry->Type();
    Release(entry);
    if (type != kTypeVariable) {
        const std::string text = GetString(value, true);
        RaiseError(-4, {"%1", text});
    }
    current.Set(name, value, state);
}
