// Value cells: construction, setters, states and freeing.
#include "LogoCore/HandleData.h"

#include <cstring>
#include <vector>

#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/LogoProcedure.h"
#include "platform/BlockPool.h"
#include "platform/Utf8.h"

namespace {

std::atomic<int32_t> g_nextToken{kFirstUserToken};

const std::string kEmptyName;

}  // namespace

int32_t NextToken() {
    return g_nextToken.fetch_add(1, std::memory_order_relaxed);
}
int32_t PeekNextToken() {
    return g_nextToken.load(std::memory_order_relaxed);
}

const char* HandleTypeLabel(int32_t type) {
    switch (type) {
        case kTypePrimitive:
            return "ADDRESS";
        case kTypeProcedure:
            return "PROCEDURE";
        case kTypeProcedureName:
            return "PROCEDURE NAME";
        case kTypeInteger:
            return "INTEGER";
        case kTypeReal:
            return "REAL";
        case kTypeString:
            return "String";
        case kTypeList:
            return "LIST";
        case kTypeBoolean:
            return "BOOLEAN";
        case kTypeVariable:
            return "VARIABLE REFERENCE";
        default:
            return "";
    }
}

const char* NameStateLabel(int32_t state) {
    switch (state) {
        case kStateUser:
            return "USER";
        case kStateKeyword:
            return "KEYWORD";
        case kStateProc:
            return "PROC";
        case kStateGlobal:
            return "GLOBAL";
        case kStateLocal:
            return "LOCAL";
        case kStateError:
            return "ERROR";
        case kStateTask:
            return "TASK";
        case kStateTemp:
            return "TEMP";
        default:
            return "";
    }
}

using CellPool = platform::BlockPool<sizeof(CHandleData)>;

void* CHandleData::operator new(std::size_t size) {
    if (size != sizeof(CHandleData)) RaiseInternal("A value cell of the wrong size");
    return CellPool::Allocate();
}

void CHandleData::operator delete(void* cell) noexcept {
    CellPool::Free(cell);
}

CHandleData::CHandleData() = default;

CHandleData::CHandleData(const CHandleData& other) {
    ShareName(other);
    StoreState(other.State());
    Assign(const_cast<CHandleData*>(&other));
}

CHandleData::CHandleData(std::string_view name, OfType type, int32_t token) : token_(token) {
    SetName(name);
    SetType(type.type);
}

CHandleData::CHandleData(std::string_view name, CHandleData* value) : token_(kScopeToken) {
    SetName(name);
    if (IsCell(value)) Assign(value);
}

CHandleData::CHandleData(std::string_view name, const CHandleData* nameHolder, CHandleData* value)
    : token_(kScopeToken) {
    if (IsCell(nameHolder) && nameHolder->Name() == name)
        ShareName(*nameHolder);
    else
        SetName(name);
    if (IsCell(value)) Assign(value);
}

CHandleData::CHandleData(std::string_view name, std::string_view text, int32_t token)
    : token_(token) {
    SetName(name);
    StoreType(kTypeString);
    value_.word.text = new std::string(text);
}

CHandleData::CHandleData(std::string_view name, int32_t integer, int32_t token) : token_(token) {
    SetName(name);
    StoreType(kTypeInteger);
    value_.integer = integer;
}

CHandleData::CHandleData(std::string_view name, double real, int32_t token) : token_(token) {
    SetName(name);
    StoreType(kTypeReal);
    value_.real = real;
}

CHandleData::CHandleData(std::string_view name, bool boolean, int32_t token) : token_(token) {
    SetName(name);
    StoreType(kTypeBoolean);
    value_.integer = boolean ? 1 : 0;
}

CHandleData::CHandleData(std::string_view name, CLogoList* list, int32_t token) : token_(token) {
    SetName(name);
    StoreType(kTypeList);
    value_.list = list ? CLogoList::CopyOf(*list) : new CLogoList();
}

CHandleData::CHandleData(std::string_view name, int32_t token) : token_(token) {
    SetName(name);
    StoreType(kTypeProcedureName);
}

CHandleData* CHandleData::MakeInfix(CHandleData* op, CHandleData* left, CHandleData* right,
                                    int32_t token) {
    auto* cell = new CHandleData();
    cell->token_ = token;
    cell->StoreType(kTypeInfix);
    cell->value_.infix.op = op;
    cell->value_.infix.left = left;
    cell->value_.infix.right = right;
    return cell;
}

namespace {

// Prefix order: an infix node gives its operator, then its left and right
// parts, so the evaluator can read it back with the operator's input count.
// The tree of a long argument list or sum is as deep as it is long: the
// parts still to visit wait on a stack of our own.
void Flatten(CHandleData* root, std::vector<CHandleData*>& out) {
    std::vector<CHandleData*> pending{root};
    while (!pending.empty()) {
        CHandleData* node = pending.back();
        pending.pop_back();
        if (IsCell(node) && node->Type() == kTypeInfix) {
            if (node->InfixOperator()) {
                Reference(node->InfixOperator());
                out.push_back(node->InfixOperator());
            }
            pending.push_back(node->InfixRight());
            pending.push_back(node->InfixLeft());
            continue;
        }
        if (node == nullptr) continue;
        Reference(node);
        out.push_back(node);
    }
}

}  // namespace

CHandleData* CHandleData::MakeCall(CHandleData* callee, CHandleData* argumentTree, int32_t token) {
    std::vector<CHandleData*> arguments;
    arguments.reserve(10);
    Flatten(argumentTree, arguments);
    Release(argumentTree);  // the array now holds what the tree held

    auto* array = new CHandleData*[arguments.size() + 1];
    std::memcpy(array, arguments.data(), arguments.size() * sizeof(CHandleData*));
    array[arguments.size()] = nullptr;

    auto* cell = new CHandleData();
    cell->token_ = token;
    cell->StoreType(kTypeCall);
    cell->value_.call.callee = callee;
    cell->value_.call.arguments = array;
    return cell;
}

CHandleData::~CHandleData() {
    DropName();
}

namespace {

// Freeing a value releases what it holds, which may free further cells: a
// list nested a million deep would free itself a million calls deep. So
// only the outermost free on a thread frees at once; a cell whose last
// reference goes meanwhile waits in a chain, linked through its name slot
// (its name has no more use), and the outermost free takes the cells in
// turn. The stack stays flat at any depth and nothing is allocated; a
// number or a word, which holds no cells, is freed at once.
thread_local bool t_freeing = false;
thread_local CHandleData* t_waiting = nullptr;

}  // namespace

void CHandleData::Free() {
    switch (Type()) {
        case kTypeList:
        case kTypeVariable:
        case kTypeInfix:
        case kTypeCall:
        case kTypeProcedure:
            break;
        default:  // a value that holds no cells frees nothing more
            FreeValue();
            delete this;
            return;
    }
    if (t_freeing) {
        DropName();
        nextWaiting_ = t_waiting;
        t_waiting = this;
        return;
    }
    t_freeing = true;
    try {
        FreeValue();
        delete this;
        while (CHandleData* cell = t_waiting) {
            t_waiting = cell->nextWaiting_;
            cell->name_ = nullptr;
            cell->FreeValue();
            delete cell;
        }
    } catch (...) {
        // Cells still waiting go with the thread's next free.
        t_freeing = false;
        throw;
    }
    t_freeing = false;
}

const std::string& CHandleData::Name() const {
    return name_ ? name_->text : kEmptyName;
}

void CHandleData::SetName(std::string_view name) {
    if (name.empty()) return;
    name_ = new SharedName{{1}, std::string(platform::FirstCharacters(name, kMaxNameLength))};
}

void CHandleData::ShareName(const CHandleData& other) {
    name_ = other.name_;
    if (name_) name_->holders.fetch_add(1, std::memory_order_relaxed);
}

void CHandleData::DropName() {
    if (name_ && name_->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) delete name_;
    name_ = nullptr;
}

void CHandleData::FreeValue() {
    const int32_t saved = State();
    if (saved == kStateBusy) return;  // already being freed: also ends cycles
    StoreState(kStateBusy);
    Value old = value_;
    switch (Type()) {
        case kTypePrimitive:
            delete old.primitive;
            break;
        case kTypeProcedure:
            old.procedure->Release();
            break;
        case kTypeString:
        case kTypeReservedText:
            delete old.word.text;
            break;
        case kTypeList:
            old.list->Release();
            break;
        case kTypeVariable:
            Release(old.referred);
            break;
        case kTypeInfix:
            Release(old.infix.op);
            Release(old.infix.left);
            Release(old.infix.right);
            break;
        case kTypeCall:
            Release(old.call.callee);
            for (CHandleData** a = old.call.arguments; *a; ++a) Release(*a);
            delete[] old.call.arguments;
            break;
        default:
            break;
    }
    value_ = Value{};
    StoreState(saved);
    StoreType(kTypeDeleted);
}

void CHandleData::SetType(int32_t type) {
    FreeValue();
    switch (type) {
        case kTypeProcedure:
            value_.procedure = new CLogoProcedure(Name());
            break;
        case kTypeString:
        case kTypeReservedText:
            value_.word.text = new std::string();
            break;
        case kTypeList:
            value_.list = new CLogoList();
            value_.list->Reserve(20);
            break;
        default:
            break;
    }
    StoreType(type);
}

// A setter applied to a variable reference stores into a new cell, so that
// a value shared with other holders never changes under them.
CHandleData* CHandleData::ValueTarget() {
    if (Type() != kTypeVariable) return this;
    Release(value_.referred);
    value_.referred = new CHandleData();
    return value_.referred;
}

void CHandleData::SetInteger(int32_t value) {
    CHandleData* target = ValueTarget();
    target->FreeValue();
    target->value_.integer = value;
    target->StoreType(kTypeInteger);
}

void CHandleData::SetReal(double value) {
    CHandleData* target = ValueTarget();
    target->FreeValue();
    target->value_.real = value;
    target->StoreType(kTypeReal);
}

void CHandleData::SetBoolean(bool value) {
    CHandleData* target = ValueTarget();
    target->FreeValue();
    target->value_.integer = value ? 1 : 0;
    target->StoreType(kTypeBoolean);
}

void CHandleData::SetString(std::string_view text) {
    auto* copy = new std::string(text);  // before freeing: the text may be our own
    CHandleData* target = ValueTarget();
    target->FreeValue();
    target->value_.word.text = copy;
    target->StoreType(kTypeString);
}

void CHandleData::SetList(CLogoList* list) {
    CLogoList* copy = list ? CLogoList::CopyOf(*list) : new CLogoList();
    CHandleData* target = ValueTarget();
    target->FreeValue();
    target->value_.list = copy;
    target->StoreType(kTypeList);
}

void CHandleData::SetProcedureName() {
    FreeValue();
    StoreType(kTypeProcedureName);
}

void CHandleData::SetPrimitive(PrimitiveHandler handler, int32_t option, int32_t defaultInputs,
                               int32_t minInputs, int32_t maxInputs, int32_t precedence) {
    auto* descriptor =
        new PrimitiveDescriptor{handler, option, defaultInputs, minInputs, maxInputs, precedence};
    FreeValue();
    value_.primitive = descriptor;
    StoreType(kTypePrimitive);
    count_.store(1, std::memory_order_relaxed);
}

void CHandleData::Assign(CHandleData* other) {
    CHandleData* source = other;
    if (IsCell(source) && source->Type() == kTypeVariable) {
        source = source->Referred();
        if (!IsCell(source)) {
            FreeValue();
            StoreType(kTypeEmpty);
            return;
        }
    }
    if (!IsCell(source)) return;
    switch (source->Type()) {
        case kTypeInteger:
            SetInteger(source->IntegerValue());
            break;
        case kTypeReal:
            SetReal(source->RealValue());
            break;
        case kTypeString:
            SetString(source->Text());
            break;
        case kTypeList:
            SetList(source->ListValue());
            break;
        case kTypeBoolean:
            SetBoolean(source->BooleanValue());
            break;
        default:
            break;
    }
}

void CHandleData::SetState(int32_t state, bool recursive, int32_t onlyIf) {
    const int32_t current = State();
    if (current == kStateKeyword) return;
    if (onlyIf != 0 && onlyIf != current) return;
    if (recursive && current != kStateBusy) {
        StoreState(kStateBusy);  // marks the cell while its elements change: ends cycles
        if (Type() == kTypeList) value_.list->SetState(state, recursive, onlyIf);
    }
    StoreState(state);
    if (Type() == kTypeVariable && IsCell(value_.referred))
        value_.referred->SetState(state, false, 0);
}
