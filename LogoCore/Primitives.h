// The primitive tables: what a built-in procedure is before it is entered
// into the name table, and how each folder contributes its own.
//
// Every folder (the interpreter core, the box driver, the project) supplies
// one family of rows; the application hands all families to InitLogoCore,
// which assembles the numbered table in token order. So a lower folder never
// needs to know a higher one's handlers.
#pragma once

#include <cstdint>
#include <span>
#include <string>

class CHandleData;
class CLogoTask;

// A handler gets the running task, a zero-terminated array of evaluated
// inputs that it owns (it releases each one, also before raising), the
// option of its row and the name it was called by. It returns 0 (no
// output), a value with one reference for the caller, or an error.
using PrimitiveHandler = CHandleData* (*)(CLogoTask* task, CHandleData** inputs, int32_t option,
                                          const std::string& calledName);

inline constexpr int32_t kUnlimitedInputs = 2147483647;

// A numbered primitive; its spelled names come from LogoCore.dat.
struct PrimitiveRow {
    PrimitiveHandler handler;
    int32_t token;
    int32_t precedence;
    int32_t option;
    int32_t minInputs;
    int32_t defaultInputs;
    int32_t maxInputs;
};

// A primitive whose name is built in (infix operators, dot-primitives).
struct NamedPrimitiveRow {
    PrimitiveHandler handler;
    int32_t token;
    const char* name;
    int32_t precedence;
    int32_t option;
    int32_t minInputs;
    int32_t maxInputs;
    int32_t defaultInputs;
};

// A row whose input count is fixed.
constexpr PrimitiveRow FixedRow(PrimitiveHandler handler, int32_t token, int32_t option,
                                int32_t inputs) {
    return {handler, token, 0, option, inputs, inputs, inputs};
}

// A row that takes two inputs unparenthesised and any number from one up in
// parentheses (list, sum, and, ...).
constexpr PrimitiveRow GatheringRow(PrimitiveHandler handler, int32_t token, int32_t option) {
    return {handler, token, 0, option, 1, 2, kUnlimitedInputs};
}

struct PrimitiveFamily {
    std::span<const PrimitiveRow> numbered;
    std::span<const NamedPrimitiveRow> named;
};

// The interpreter core's own family: the language, arithmetic, words and
// lists, and the requests to the main thread.
PrimitiveFamily CorePrimitiveFamily();

// Handler of the rows whose behaviour a later part of the system brings: it
// releases its inputs and raises a Logo error saying that the primitive is
// not available yet.
CHandleData* PrimitiveNotAvailable(CLogoTask* task, CHandleData** inputs, int32_t option,
                                   const std::string& calledName);

// Handler that does nothing and outputs nothing (the words that open and
// close a definition, the stop primitive, which the evaluator intercepts).
CHandleData* PrimitiveNothing(CLogoTask* task, CHandleData** inputs, int32_t option,
                              const std::string& calledName);
