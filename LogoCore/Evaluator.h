// The evaluator: walks compiled bodies, collecting each primitive's and
// procedure's inputs from the items that follow it.
#pragma once

#include <cstdint>
#include <string>

class CHandleData;
class CLogoProcedure;
class CLogoTask;

// A cursor into a zero-terminated array of items. Collecting an input
// evaluates the item under the cursor and moves past everything that
// evaluation consumed.
struct InputStream {
    CHandleData* const* cursor;
    bool AtEnd() const { return *cursor == nullptr; }
};

// The output and stop primitives' signal (-24) where the evaluator can
// take it as a result: at statement level in a body, and from a list run
// by a control primitive that passes it on. Leaving a procedure this way
// needs no unwinding; anywhere else it is raised as before.
inline CHandleData* OutputSignal() {
    return reinterpret_cast<CHandleData*>(static_cast<intptr_t>(-24));
}
inline bool IsOutputSignal(const CHandleData* h) {
    return h == OutputSignal();
}

// Each returns a value with one reference for the caller, or null when
// nothing was output; errors are raised as LogoError.
CHandleData* Evaluate(CHandleData* item, CLogoTask* task, InputStream* stream, bool release);
CHandleData* CallPrimitive(CHandleData* primitive, CLogoTask* task, InputStream* stream);
CHandleData* CallParenthesised(CHandleData* node, CLogoTask* task);

// The inputs of a user procedure: one slot per input and a zero. The
// caller frees the array with FreeInputs after Execute.
CHandleData** CollectInputs(CLogoProcedure* procedure, CLogoTask* task, InputStream* stream,
                            const std::string& name);
// Releases the values still in the first count slots and frees the array.
void FreeInputs(CHandleData** inputs, int32_t count);

// Runs a body. A non-empty name runs it as a named procedure in a scope of
// its own; an empty one runs it in the caller's scope.
CHandleData* Execute(CLogoProcedure* procedure, CLogoTask* task, CHandleData** inputs,
                     const std::string& name);
// A body of exactly one expression: its value.
// "what" names the expression in the -17 raised when it outputs nothing.
CHandleData* EvaluateExpression(CLogoProcedure* procedure, CLogoTask* task,
                                const std::string& what = "");

// The printed text of a value in error messages ("%g" for reals).
std::string PrintedText(CHandleData* value, bool quoted = false);
