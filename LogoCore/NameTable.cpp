// The name table's operations.
#include "LogoCore/NameTable.h"

#include <cctype>
#include <new>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/LogoProcedure.h"
#include "platform/Utf8.h"

using Guard = std::lock_guard<std::recursive_mutex>;

CHandleList& NameTable() {
    static CHandleList table(true);
    return table;
}

namespace {

// The shared pattern of the definition operations. `make` builds a new cell
// with a fresh token; `change` gives an existing entry its new value.
// Cells with an empty name are never entered, so they need neither the
// table's lock nor a search.
template <typename Make, typename Change>
CHandleData* Define(std::string_view name, int32_t state, Make make, Change change) {
    if (name.empty()) {
        CHandleData* cell = make(NextToken());
        cell->SetState(state, false, 0);
        return cell;
    }
    CHandleList& table = NameTable();
    Guard guard(table.Lock());
    if (CHandleData* found = table.FindByName(name)) {
        if (found->State() == kStateKeyword) {
            Release(found);
            return ErrorHandle(kErrorRedefinePrimitive);
        }
        change(found);
        found->SetState(state, false, 0);
        return found;
    }
    CHandleData* cell = make(NextToken());
    table.Insert(cell, state);
    return cell;
}

template <typename Make, typename Change>
CHandleData* DefineOrNoMemory(std::string_view name, int32_t state, Make make, Change change) {
    try {
        return Define(name, state, make, change);
    } catch (const std::bad_alloc&) {
        return ErrorHandle(kErrorNoMemory);
    }
}

}  // namespace

CHandleData* DefineName(std::string_view name, int32_t type, int32_t state) {
    return DefineOrNoMemory(
        name, state,
        [&](int32_t token) { return new CHandleData(name, CHandleData::OfType{type}, token); },
        [&](CHandleData* cell) { cell->SetType(type); });
}

CHandleData* DefineInteger(std::string_view name, int32_t value, int32_t state) {
    return DefineOrNoMemory(
        name, state, [&](int32_t token) { return new CHandleData(name, value, token); },
        [&](CHandleData* cell) { cell->SetInteger(value); });
}

CHandleData* DefineBoolean(std::string_view name, bool value, int32_t state) {
    return DefineOrNoMemory(
        name, state, [&](int32_t token) { return new CHandleData(name, value, token); },
        [&](CHandleData* cell) { cell->SetBoolean(value); });
}

CHandleData* DefineString(std::string_view name, std::string_view value, int32_t state) {
    return DefineOrNoMemory(
        name, state, [&](int32_t token) { return new CHandleData(name, value, token); },
        [&](CHandleData* cell) { cell->SetString(value); });
}

CHandleData* DefineList(std::string_view name, CLogoList* list, int32_t state) {
    return DefineOrNoMemory(
        name, state, [&](int32_t token) { return new CHandleData(name, list, token); },
        [&](CHandleData* cell) { cell->SetList(list); });
}

CHandleData* DefineProcedureName(std::string_view name, int32_t state) {
    return DefineOrNoMemory(
        name, state, [&](int32_t token) { return new CHandleData(name, token); },
        [&](CHandleData* cell) { cell->SetProcedureName(); });
}

CHandleData* DefineReal(std::string_view name, double value, int32_t state) {
    const double rounded = RoundReal(value);
    CHandleData* cell = DefineOrNoMemory(
        name, state, [&](int32_t token) { return new CHandleData(name, rounded, token); },
        [&](CHandleData* c) { c->SetReal(rounded); });
    if (IsErrorNumber(cell)) RaiseError(ErrorNumberOf(cell));
    return cell;
}

CHandleData* MakeInfixNode(CHandleData* op, CHandleData* left, CHandleData* right, int32_t state) {
    CHandleData* cell = CHandleData::MakeInfix(op, left, right, NextToken());
    cell->SetState(state, false, 0);
    return cell;
}

CHandleData* MakeCallNode(CHandleData* callee, CHandleData* argumentTree, int32_t state) {
    CHandleData* cell = CHandleData::MakeCall(callee, argumentTree, NextToken());
    cell->SetState(state, false, 0);
    return cell;
}

CHandleData* RegisterPrimitive(std::string_view name, PrimitiveHandler handler, int32_t token,
                               int32_t option, int32_t defaultInputs, int32_t minInputs,
                               int32_t maxInputs, int32_t precedence) {
    const std::string lower = platform::LowerCase(name);
    CHandleList& table = NameTable();
    Guard guard(table.Lock());
    try {
        CHandleData* cell = table.FindByName(lower);
        if (cell) {
            Release(cell);  // the table keeps its own reference
        } else {
            cell = new CHandleData(lower, CHandleData::OfType{kTypePrimitive}, token);
            if (!table.Insert(cell, kStateKeyword)) {
                Release(cell);
                return ErrorHandle(kErrorNoMemory);
            }
        }
        cell->SetPrimitive(handler, option, defaultInputs, minInputs, maxInputs, precedence);
        cell->SetState(kStateKeyword, false, 0);
        return cell;
    } catch (const std::bad_alloc&) {
        return ErrorHandle(kErrorNoMemory);
    }
}

CHandleData* RegisterUserWord(std::string_view name, PrimitiveHandler handler, int32_t token,
                              int32_t option, int32_t inputs) {
    CHandleList& table = NameTable();
    Guard guard(table.Lock());
    if (CHandleData* found = FindName(name)) {
        Release(found);  // the table keeps its own reference
        if (found->Type() == kTypePrimitive && found->Primitive().handler == handler) {
            // Tasks may be calling the word at this moment: its descriptor
            // is never rewritten. The same word stays; another option gets
            // a cell of its own.
            if (found->Primitive().option == option) return found;
            EraseUserWord(name, handler);
        } else if (found->Type() != kTypeProcedureName) {
            RaiseError(kErrorNameInUse, {std::string(name)});
        }
    }
    return RegisterPrimitive(name, handler, token, option, inputs, inputs, inputs, 0);
}

void EraseUserWord(std::string_view name, PrimitiveHandler handler) {
    CHandleList& table = NameTable();
    Guard guard(table.Lock());
    CHandleData* found = FindName(name);
    if (!found) return;
    const bool ours = found->Type() == kTypePrimitive && found->Primitive().handler == handler;
    Release(found);  // nothing for a primitive: the pointer stays valid
    if (!ours) return;
    table.RemoveByName(name);
    // Code compiled while the word existed still calls its cell, and
    // primitives are not reference counted: the cell is kept, not freed.
    static std::vector<CHandleData*>* retired = new std::vector<CHandleData*>;
    retired->push_back(found);
}

CHandleData* LookupProcedureName(std::string_view name, int32_t state) {
    CHandleList& table = NameTable();
    Guard guard(table.Lock());
    CHandleData* found = table.FindByName(name);
    if (!found) {
        CHandleData* made = DefineName(name, kTypeProcedureName, state);
        // An entered cell comes back with the table's reference only.
        if (IsCell(made) && !name.empty() && state != kStateTemp && state != kStateError)
            Reference(made);
        return made;
    }
    const int32_t type = found->Type();
    if (type == kTypePrimitive || type == kTypeProcedure || type == kTypeProcedureName)
        return found;
    Release(found);
    return nullptr;
}

CHandleData* FindName(std::string_view name) {
    return NameTable().FindByName(name);
}
CHandleData* FindToken(int32_t token) {
    return NameTable().FindByToken(token);
}

bool IsDefined(std::string_view name) {
    CHandleData* found = FindName(name);
    if (!found) return false;
    const bool defined = found->Type() != kTypeProcedureName;
    Release(found);
    return defined;
}

void EraseName(std::string_view name) {
    NameTable().RemoveByName(name);
}
void RemoveAllWithState(int32_t state) {
    NameTable().RemoveAllWithState(state);
}

bool IsDelimiter(unsigned char c) {
    if ((c >= 1 && c <= 32) || c == 127) return true;
    switch (c) {
        case ':':
        case '"':
        case '+':
        case '-':
        case '*':
        case '/':
        case '<':
        case '=':
        case '>':
        case '|':
        case '(':
        case ')':
        case '[':
        case ']':
            return true;
        default:
            return false;
    }
}

bool IsValidName(std::string_view text) {
    if (text.empty()) return false;
    const auto first = static_cast<unsigned char>(text[0]);
    if (std::isdigit(first) || IsDelimiter(first)) return false;
    if (platform::CountCharacters(text) >= 256) return false;
    for (char c : text)
        if (IsDelimiter(static_cast<unsigned char>(c))) return false;
    return true;
}

CHandleData* DeclareVariableName(std::string_view name, int32_t state) {
    CHandleList& table = NameTable();
    Guard guard(table.Lock());
    CHandleData* found = table.FindByName(name);
    if (found && found->Type() == kTypeVariable) {
        // Running bodies refer to this very entry: only its state changes,
        // never its value, so no task ever sees it half renewed.
        found->SetState(state, false, 0);
        return found;
    }
    CHandleData* entry = DefineName(name, kTypeVariable, state);
    if (found) {
        // An existing entry comes back with a reference for the caller
        // already; the one of the search goes.
        Release(found);
    } else if (IsCell(entry)) {
        Reference(entry);  // a new entry is the table's alone
    }
    return IsCell(entry) ? entry : nullptr;
}

namespace {

// Counts, for each candidate, how often the procedure's body refers to it
// (inside infix and call nodes too). An infix tree is as deep as its line
// is long: the parts still to visit wait on a stack of our own.
void CountReferences(const CLogoProcedure& procedure,
                     const std::unordered_set<CHandleData*>& candidates,
                     std::unordered_map<CHandleData*, int32_t>& counts) {
    std::vector<CHandleData*> pending(procedure.Body(), procedure.Body() + procedure.BodyLength());
    while (!pending.empty()) {
        CHandleData* item = pending.back();
        pending.pop_back();
        if (!IsCell(item)) continue;
        if (candidates.count(item)) ++counts[item];
        if (item->Type() == kTypeInfix) {
            pending.push_back(item->InfixOperator());
            pending.push_back(item->InfixLeft());
            pending.push_back(item->InfixRight());
        } else if (item->Type() == kTypeCall) {
            pending.push_back(item->Callee());
            for (CHandleData* const* a = item->CallArguments(); a && *a; ++a) pending.push_back(*a);
        }
    }
}

// Entries removed from the table that something else still held when they
// went (code compiled earlier, a task still running or unwinding), one
// reference each. Procedures that call themselves or each other hold each
// other's entries through their bodies, so they must be looked at again
// once their holders let go. Guarded by the table's lock; never destroyed,
// since a task still ending at exit may look at it.
std::vector<CHandleData*>& Retired() {
    static auto* retired = new std::vector<CHandleData*>;
    return *retired;
}

// Trial deletion over the retired entries: those that only the bodies of
// other retired entries hold are garbage and let go of their procedures;
// the others stay retired.
void CollectRetired() {
    std::vector<CHandleData*>& retired = Retired();
    std::unordered_set<CHandleData*> candidates(retired.begin(), retired.end());
    for (bool changed = true; changed;) {
        std::unordered_map<CHandleData*, int32_t> internal;
        for (CHandleData* cell : candidates) {
            if (cell->Type() == kTypeProcedure)
                CountReferences(*cell->Procedure(), candidates, internal);
        }
        changed = false;
        for (auto it = candidates.begin(); it != candidates.end();) {
            if ((*it)->Count() - 1 > internal[*it]) {
                it = candidates.erase(it);
                changed = true;
            } else {
                ++it;
            }
        }
    }
    std::vector<CHandleData*> kept;
    for (CHandleData* cell : retired)
        if (!candidates.count(cell)) kept.push_back(cell);
    retired.swap(kept);
    for (CHandleData* cell : candidates)
        if (cell->Type() == kTypeProcedure) cell->SetProcedureName();
    for (CHandleData* cell : candidates) Release(cell);
}

}  // namespace

void RemoveProcedures() {
    CHandleList& table = NameTable();
    Guard guard(table.Lock());
    std::vector<CHandleData*>& retired = Retired();
    for (CHandleData* cell : table.Snapshot()) {
        if (cell->State() == kStateProc)
            retired.push_back(cell);  // the snapshot's reference
        else
            Release(cell);
    }
    table.RemoveAllWithState(kStateProc);
    CollectRetired();
}

void CollectRemovedProcedures() {
    CHandleList& table = NameTable();
    Guard guard(table.Lock());
    if (!Retired().empty()) CollectRetired();
}
