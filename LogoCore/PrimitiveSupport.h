// What the primitive handlers share: owning their inputs, making the values
// they output, compiling and running the lists they are given, and raising
// their errors with the name they were called by.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CHandleData;
class CLogoList;
class CLogoTask;

// A handler owns its inputs. This guard releases, when the handler ends
// however it ends, every input the handler has not taken over.
class HandlerInputs {
  public:
    explicit HandlerInputs(CHandleData** inputs);
    ~HandlerInputs();
    HandlerInputs(const HandlerInputs&) = delete;
    HandlerInputs& operator=(const HandlerInputs&) = delete;

    int Count() const { return count_; }
    // The input, still owned by the guard.
    CHandleData* operator[](int index) const { return inputs_[index]; }
    // The input, now owned by the caller.
    CHandleData* Take(int index);

  private:
    CHandleData** inputs_;
    int count_;
};

// The kinds of value inputs are told apart by: a word here is any value
// taken by its text (a word, a number or a truth value).
bool IsWordValue(const CHandleData* h);
bool IsListValue(const CHandleData* h);

// The process-wide true and false values, with one more reference.
CHandleData* TrueValue();
CHandleData* FalseValue();
CHandleData* BooleanValue(bool value);

// New unnamed values for a handler's output.
CHandleData* MakeInteger(int32_t value);
CHandleData* MakeWord(const std::string& text);
// A list value holding the list's items; the list keeps its own reference.
CHandleData* MakeListValue(CLogoList* list);

// The result of an arithmetic primitive: out of the 32-bit range raises -64
// (with the value in "%1.8g"), a fraction is rounded to 8 decimals, and a
// whole value below 2147483647 in magnitude becomes an integer.
CHandleData* NormaliseNumber(double value);

// -4: the called name and the input's text.
[[noreturn]] void RaiseWrongInput(const std::string& calledName, const std::string& inputText);
[[noreturn]] void RaiseWrongInput(const std::string& calledName, CHandleData* input);

// A list input as code for this task: compiled code is used as it is, a
// list is compiled from its text without the outer brackets. Null when
// the list is empty (nothing runs). Any other input raises -4 with the
// called name. The input stays the caller's; the code has one reference.
CHandleData* CompileListInput(CLogoTask* task, CHandleData* input, const std::string& calledName);

// Runs code in the task's current scope as a command: a value it outputs
// raises -47 with the value's text, an error result is raised. Null code
// does nothing. With passSignal, the output primitive inside the code
// comes back as OutputSignal() (Evaluator.h) for the handler to return,
// instead of being raised; otherwise the result is always null.
CHandleData* RunAsCommand(CLogoTask* task, CHandleData* code, bool passSignal = false);

// Compiles and runs a list input as a command (the two steps above); the
// code is released however the run ends.
CHandleData* RunListAsCommand(CLogoTask* task, CHandleData* list, const std::string& calledName,
                              bool passSignal = false);

// Text with its outer brackets taken off, when it has them (a list's text
// as Logo instructions).
std::string_view WithoutBrackets(std::string_view text);

// Raises -65 when the task was asked to stop.
void CheckStopRequest(CLogoTask* task);
