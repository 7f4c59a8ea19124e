// The value cell: every value the interpreter handles (numbers, words,
// lists, truth values, name-table entries, variables, parsed instructions,
// errors) is one reference-counted CHandleData, passed by pointer.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "LogoCore/Primitives.h"

class CLogoList;
class CLogoProcedure;

// Handle types; the label of each is HandleTypeLabel().
enum HandleType : int32_t {
    kTypeEmpty = 0,
    kTypePrimitive = 1,
    kTypeProcedure = 2,
    kTypeProcedureName = 3,
    kTypeInteger = 4,
    kTypeReal = 5,
    kTypeString = 6,
    kTypeList = 7,
    kTypeBoolean = 8,
    kTypeReservedText = 9,
    kTypeVariable = 10,
    kTypeInfix = 11,
    kTypeCall = 12,
    kTypeDeleted = 13,
};

// Name states; the label of each is NameStateLabel().
enum NameState : int32_t {
    kStateUser = 1,
    kStateKeyword = 2,
    kStateProc = 4,
    kStateGlobal = 5,
    kStateLocal = 6,
    kStateError = 7,
    kStateTask = 8,
    kStateTemp = 9,
    kStateBusy = 10,
};

inline constexpr int32_t kNoToken = -1;
inline constexpr int32_t kFirstUserToken = 65536;
inline constexpr int32_t kScopeToken = 1073741824;
inline constexpr std::size_t kMaxNameLength = 255;

const char* HandleTypeLabel(int32_t type);
const char* NameStateLabel(int32_t state);

// What a primitive cell holds (handle type 1).
struct PrimitiveDescriptor {
    PrimitiveHandler handler = nullptr;
    int32_t option = 0;
    int32_t defaultInputs = 0;
    int32_t minInputs = 0;
    int32_t maxInputs = 0;
    int32_t precedence = 0;
};

// The next token for a cell the name table's operations make; from 65536 up.
int32_t NextToken();
// The token the next call of NextToken() would give (for tests and diagnostics).
int32_t PeekNextToken();

class CHandleData {
  public:
    static constexpr const char* kClassName = "CHandleData";

    // Every new cell has count 1: the one reference its maker receives.
    // Empty cell: no name, token -1, type 0.
    CHandleData();
    // Copy: the other's name, state and value (Assign), token -1.
    explicit CHandleData(const CHandleData& other);
    CHandleData& operator=(const CHandleData&) = delete;
    // Cells come from a pool of blocks of their size: the C library's
    // allocator would add a third to each.
    static void* operator new(std::size_t size);
    static void operator delete(void* cell) noexcept;
    // A cell of the type with a fresh empty value.
    struct OfType {
        int32_t type;
    };
    CHandleData(std::string_view name, OfType type, int32_t token);
    // A scope's copy of a value (token kScopeToken).
    CHandleData(std::string_view name, CHandleData* value);
    // The same, named as the holder is when that is the name: a variable's
    // cells share the name of its entry instead of each keeping a copy,
    // which for a list of loop counters would cost more than the numbers.
    CHandleData(std::string_view name, const CHandleData* nameHolder, CHandleData* value);
    CHandleData(std::string_view name, std::string_view text, int32_t token);
    CHandleData(std::string_view name, int32_t integer, int32_t token);
    CHandleData(std::string_view name, double real, int32_t token);
    CHandleData(std::string_view name, bool boolean, int32_t token);
    CHandleData(std::string_view name, CLogoList* list, int32_t token);  // copies the list
    CHandleData(std::string_view name, int32_t token);                   // procedure name
    // Infix node: operator (a primitive, or null), left, right. Adopts the
    // references it is given.
    static CHandleData* MakeInfix(CHandleData* op, CHandleData* left, CHandleData* right,
                                  int32_t token);
    // Parenthesised call: the argument tree is flattened into the call's
    // zero-terminated argument array. Adopts the references it is given.
    static CHandleData* MakeCall(CHandleData* callee, CHandleData* argumentTree, int32_t token);

    int32_t Token() const { return token_; }
    const std::string& Name() const;
    int32_t State() const { return state_.load(std::memory_order_relaxed); }
    int32_t Type() const { return type_.load(std::memory_order_relaxed); }
    int32_t Count() const { return count_.load(std::memory_order_relaxed); }

    // Setters: each frees the old value first. On a variable reference the
    // value goes into a new cell that the reference then refers to.
    void SetType(int32_t type);
    void SetInteger(int32_t value);
    void SetReal(double value);
    void SetString(std::string_view text);
    void SetList(CLogoList* list);
    void SetBoolean(bool value);
    void SetProcedureName();
    void SetPrimitive(PrimitiveHandler handler, int32_t option, int32_t defaultInputs,
                      int32_t minInputs, int32_t maxInputs, int32_t precedence);
    void Assign(CHandleData* other);
    void SetState(int32_t state, bool recursive, int32_t onlyIf);
    void FreeValue();

    // The value, for code that has checked the type.
    int32_t IntegerValue() const { return value_.integer; }
    double RealValue() const { return value_.real; }
    bool BooleanValue() const { return value_.integer != 0; }
    const std::string& Text() const { return *value_.word.text; }
    CLogoList* ListValue() const { return value_.list; }
    CLogoProcedure* Procedure() const { return value_.procedure; }
    const PrimitiveDescriptor& Primitive() const { return *value_.primitive; }
    CHandleData* Referred() const { return value_.referred; }
    CHandleData* InfixOperator() const { return value_.infix.op; }
    CHandleData* InfixLeft() const { return value_.infix.left; }
    CHandleData* InfixRight() const { return value_.infix.right; }
    CHandleData* Callee() const { return value_.call.callee; }
    CHandleData* const* CallArguments() const { return value_.call.arguments; }

    // An error value's mark that the error was already worded with the name
    // of the procedure it left.
    bool Attributed() const { return value_.word.attributed != 0; }
    void SetAttributed(bool attributed) { value_.word.attributed = attributed ? 1 : 0; }

    // Reference counting; see Reference() and Release() below.
    void AddCount() { count_.fetch_add(1, std::memory_order_relaxed); }
    int32_t DropCount() { return count_.fetch_sub(1, std::memory_order_acq_rel) - 1; }

    // Frees the value, then destroys the cell; only Release calls it, when
    // the last reference goes. Never deeper than one value on the stack:
    // see HandleData.cpp.
    void Free();

  private:
    // A name, immutable once made and shared by the cells that carry it.
    struct SharedName {
        std::atomic<int32_t> holders{1};
        std::string text;
    };

    ~CHandleData();
    void SetName(std::string_view name);
    void ShareName(const CHandleData& other);
    void DropName();
    void StoreState(int32_t state) { state_.store(state, std::memory_order_relaxed); }
    void StoreType(int32_t type) { type_.store(type, std::memory_order_relaxed); }
    void MakeValueCell();  // for setters on a variable reference
    CHandleData* ValueTarget();

    union Value {
        PrimitiveDescriptor* primitive;
        CLogoProcedure* procedure;
        int32_t integer;
        double real;
        struct {
            std::string* text;
            int32_t attributed;
        } word;
        CLogoList* list;
        CHandleData* referred;
        struct {
            CHandleData* op;
            CHandleData* left;
            CHandleData* right;
        } infix;
        struct {
            CHandleData* callee;
            CHandleData** arguments;
        } call;
    };

    int32_t token_ = kNoToken;
    // Atomic so that a task reading an entry while the main thread redefines it
    // sees one state or the other, never a torn one.
    std::atomic<int32_t> state_{kStateUser};
    std::atomic<int32_t> type_{kTypeEmpty};
    std::atomic<int32_t> count_{1};
    union {
        SharedName* name_ = nullptr;  // null for the empty name: most cells have none
        CHandleData* nextWaiting_;    // while it waits to be freed
    };
    Value value_{};
};

// Four words of header, the name and a value of three pointers: every value
// a program makes is one of these, so it must not grow.
static_assert(sizeof(CHandleData) == 48, "a value cell is 48 bytes");

// Handles that are bare error numbers: a negative number in place of a pointer.
inline CHandleData* ErrorHandle(int32_t number) {
    return reinterpret_cast<CHandleData*>(static_cast<intptr_t>(number));
}
inline bool IsErrorNumber(const CHandleData* h) {
    return reinterpret_cast<intptr_t>(h) < 0;
}
inline int32_t ErrorNumberOf(const CHandleData* h) {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(h));
}
// A real cell pointer: neither null nor a bare error number.
inline bool IsCell(const CHandleData* h) {
    return reinterpret_cast<intptr_t>(h) > 0;
}
// An error: a bare error number, or a cell in the error state. Null is not.
inline bool IsError(const CHandleData* h) {
    return IsErrorNumber(h) || (h != nullptr && h->State() == kStateError);
}

// Reference counting. Release ignores null, error numbers and primitives.
void Reference(CHandleData* h);
void Release(CHandleData* h);

// Releases a handle when the scope ends, however it ends; a fault while
// another exception unwinds is swallowed, since the first one wins.
class ReleaseAtEnd {
  public:
    explicit ReleaseAtEnd(CHandleData* h, bool release = true) : h_(release ? h : nullptr) {}
    ~ReleaseAtEnd() noexcept(false);
    ReleaseAtEnd(const ReleaseAtEnd&) = delete;
    ReleaseAtEnd& operator=(const ReleaseAtEnd&) = delete;

  private:
    CHandleData* h_;
};

// Conversions. With release set the handle is released afterwards, also
// when the conversion raises.
std::string GetString(CHandleData* h, bool release, bool quoted = false);
int32_t GetInteger(CHandleData* h, bool release);
double GetReal(CHandleData* h, bool release);
bool GetBoolean(CHandleData* h, bool release);
CLogoList* GetList(CHandleData* h, bool release);

// "%1.8f" without trailing zeros or a trailing separator.
std::string FormatReal(double x);
// Range check (error -64) and rounding to 8 decimals.
double RoundReal(double x);
