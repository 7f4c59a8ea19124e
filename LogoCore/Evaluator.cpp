// The evaluator: items, primitive and procedure calls, infix nodes,
// parenthesised calls and the execution of bodies.
#include "LogoCore/Evaluator.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/LogoProcedure.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/VariableList.h"
#include "platform/BlockPool.h"
#include "platform/NumberText.h"
#include "platform/TextCatalog.h"
#include "platform/Threads.h"

namespace {

constexpr int32_t kTokenOutput = 113;
constexpr int32_t kTokenStop = 116;

// A procedure's input array (its inputs and a zero) comes from a pool when
// it is of the usual size: every call makes one. The slot before the array
// keeps the size it was made for, since a definition read meanwhile may
// change the procedure's count of inputs.
constexpr int32_t kPooledSlots = 8;
using InputArrayPool = platform::BlockPool<kPooledSlots * sizeof(CHandleData*)>;

CHandleData** NewInputArray(int32_t count) {
    const int32_t slots = count + 2;
    auto** block = slots > kPooledSlots ? new CHandleData*[slots]
                                        : static_cast<CHandleData**>(InputArrayPool::Allocate());
    std::fill_n(block, slots, nullptr);
    block[0] = reinterpret_cast<CHandleData*>(static_cast<intptr_t>(slots));
    return block + 1;
}

void DeleteInputArray(CHandleData** inputs) {
    CHandleData** block = inputs - 1;
    if (reinterpret_cast<intptr_t>(block[0]) > kPooledSlots)
        delete[] block;
    else
        InputArrayPool::Free(block);
}

bool IsSignal(const CHandleData* h, int32_t number) {
    return h == ErrorHandle(number);
}

std::string NameOf(CHandleData* item) {
    if (IsCell(item) && !item->Name().empty()) return item->Name();
    return PrintedText(item);
}

void CheckRunnable(CLogoTask* task) {
    if (task->StopRequested()) RaiseError(kErrorStopRequest);
    if (platform::StackNearlyExhausted()) RaiseError(-67);
}

// An error that a conversion left with "%1" in place gets the name of the
// primitive that received the input.
CHandleData* NameInError(CHandleData* error, const std::string& name) {
    if (IsCell(error) && error->Type() == kTypeString &&
        error->Text().find("%1") != std::string::npos)
        return MakeError(error, {name});
    return error;
}

CHandleData* CallHandler(CHandleData* primitive, CLogoTask* task, CHandleData** inputs,
                         bool passSignal = false) {
    const PrimitiveDescriptor& d = primitive->Primitive();
    CHandleData* result;
    try {
        result = d.handler(task, inputs, d.option, primitive->Name());
    } catch (LogoError& e) {
        e.handle = NameInError(e.handle, primitive->Name());
        throw;
    }
    if (IsOutputSignal(result) && !passSignal) RaiseError(kErrorOutputSignal);
    // An error a handler outputs travels on as a value (printing it shows
    // its message); only a raised error leaves.
    return result;
}

// Evaluates one input of a primitive. The output primitive's signal inside
// it hands over the value it carries.
CHandleData* EvaluateInput(CHandleData* item, CLogoTask* task, InputStream* stream,
                           const std::string& receiver) {
    try {
        return Evaluate(item, task, stream, false);
    } catch (LogoError& e) {
        if (!IsSignal(e.handle, kErrorOutputSignal)) throw;
        CHandleData* value = task->TakeOutput();
        if (!value) RaiseError(-18, {NameOf(item), receiver});
        return value;
    }
}

// The values of a primitive's inputs. Most primitives take a few, so they
// are kept in place: a call then allocates nothing for them.
class ValueList {
  public:
    void push_back(CHandleData* value) {
        if (size_ < kInPlace) {
            inPlace_[size_] = value;
        } else {
            if (size_ == kInPlace) more_.assign(inPlace_.begin(), inPlace_.end());
            more_.push_back(value);
        }
        ++size_;
    }
    std::size_t size() const { return size_; }
    CHandleData** data() { return size_ <= kInPlace ? inPlace_.data() : more_.data(); }
    CHandleData** begin() { return data(); }
    CHandleData** end() { return data() + size_; }
    void clear() {
        size_ = 0;
        more_.clear();
    }

  private:
    static constexpr std::size_t kInPlace = 8;
    std::array<CHandleData*, kInPlace> inPlace_{};
    std::vector<CHandleData*> more_;
    std::size_t size_ = 0;
};

void ReleaseAll(ValueList& values) {
    for (CHandleData* v : values) Release(v);
    values.clear();
}

// Evaluates items until the stream ends or the limit is reached. An item
// that outputs nothing is named as such, not taken for a missing input.
ValueList CollectValues(CLogoTask* task, InputStream* stream, std::size_t limit,
                        const std::string& receiver) {
    ValueList values;
    try {
        while (values.size() < limit && !stream->AtEnd()) {
            CHandleData* item = *stream->cursor++;
            CHandleData* value = EvaluateInput(item, task, stream, receiver);
            if (!value) RaiseError(-18, {NameOf(item), receiver});
            values.push_back(value);
        }
    } catch (...) {
        ReleaseAll(values);
        throw;
    }
    return values;
}

CHandleData* CallWithValues(CHandleData* primitive, CLogoTask* task, ValueList& values,
                            bool passSignal = false) {
    values.push_back(nullptr);
    return CallHandler(primitive, task, values.data(), passSignal);
}

CHandleData* CallPrimitiveAt(CHandleData* primitive, CLogoTask* task, InputStream* stream,
                             bool passSignal);

CHandleData* EvaluateVariable(CHandleData* item, CLogoTask* task) {
    CHandleData* variable = task->FindVariable(item->Name());
    if (!variable || variable->Type() == kTypeEmpty) {
        Release(variable);
        RaiseError(-17, {item->Name()});
    }
    return variable;  // the scope's cell: never changed in place, so it may be shared
}

// One infix node whose left side is worked out: its right side, then the
// operator on both. Adopts the left value.
CHandleData* ApplyInfix(CHandleData* node, CHandleData* left, CLogoTask* task,
                        InputStream* stream) {
    CHandleData* op = node->InfixOperator();
    if (!op) return left;  // an argument holder: only its left side counts
    if (!left) RaiseError(-18, {op->Name(), NameOf(node->InfixLeft())});
    CHandleData* right;
    try {
        right = Evaluate(node->InfixRight(), task, stream, false);
    } catch (...) {
        Release(left);
        throw;
    }
    if (!right) {
        Release(left);
        RaiseError(-18, {op->Name(), NameOf(node->InfixRight())});
    }
    CHandleData* inputs[] = {left, right, nullptr};
    return CallHandler(op, task, inputs);
}

// A line of a + b + c ... nests to the left as deep as it is long, so the
// left spine is walked with a stack of our own: the line's length never
// meets the thread's stack. Right sides nest only as deep as the reader's
// stack lets them, and are evaluated by recursion. Only the outermost
// node's right side may take inputs from the stream.
CHandleData* EvaluateInfix(CHandleData* node, CLogoTask* task, InputStream* stream) {
    std::vector<CHandleData*> spine;  // the nodes below this one, outermost first
    CHandleData* innermost = node;
    for (CHandleData* left = node->InfixLeft(); IsCell(left) && left->Type() == kTypeInfix;
         left = left->InfixLeft()) {
        if (IsError(left)) RaiseShared(left);
        CheckRunnable(task);
        spine.push_back(left);
        innermost = left;
    }
    CHandleData* value = Evaluate(innermost->InfixLeft(), task, nullptr, false);
    for (auto at = spine.rbegin(); at != spine.rend(); ++at)
        value = ApplyInfix(*at, value, task, nullptr);
    return ApplyInfix(node, value, task, stream);
}

// Collects a procedure's inputs and runs it. Inside parentheses the
// arguments must all be used.
CHandleData* CallProcedure(CHandleData* callee, CLogoTask* task, InputStream* stream,
                           bool useAll = false) {
    CLogoProcedure* procedure = callee->Procedure();
    CHandleData** inputs = CollectInputs(procedure, task, stream, callee->Name());
    try {
        if (useAll && !stream->AtEnd()) RaiseError(-74);
        CHandleData* result = Execute(procedure, task, inputs, callee->Name());
        FreeInputs(inputs, procedure->InputCount());
        return result;
    } catch (...) {
        FreeInputs(inputs, procedure->InputCount());
        throw;
    }
}

// One item of a body at statement level.
CHandleData* RunItem(CHandleData* item, CLogoTask* task, InputStream* stream,
                     bool passSignal = true) {
    if (IsError(item)) RaiseShared(item);
    switch (item->Type()) {
        case kTypePrimitive:
            return CallPrimitiveAt(item, task, stream, passSignal);
        case kTypeProcedure:
            return CallProcedure(item, task, stream);
        case kTypeInteger:
        case kTypeReal:
        case kTypeString:
        case kTypeList:
        case kTypeBoolean:
        case kTypeVariable:
        case kTypeInfix:
            return Evaluate(item, task, nullptr, false);
        case kTypeCall:
            return CallParenthesised(item, task);
        case kTypeDeleted:
            RaiseInternal("CLogoProcedure - Trying to Execute a deleted handle");
        default:
            RaiseError(-1, {PrintedText(item)});
    }
}

// Keeps a procedure and the scope of its call for as long as it runs.
class CallFrame {
  public:
    CallFrame(CLogoProcedure* procedure, CLogoTask* task, bool named)
        : procedure_(procedure), task_(task), named_(named) {
        if (named_) task_->PushScope(task_->NewScope());
        procedure_->AddRef();
    }
    ~CallFrame() {
        if (named_) task_->PopScope();
        procedure_->Release();
    }
    CallFrame(const CallFrame&) = delete;
    CallFrame& operator=(const CallFrame&) = delete;

  private:
    CLogoProcedure* procedure_;
    CLogoTask* task_;
    bool named_;
};

void BindInputs(CLogoProcedure* procedure, CLogoTask* task, CHandleData** inputs, bool again) {
    if (!inputs) return;
    const auto& names = procedure->Inputs();
    for (std::size_t i = 0; i < names.size(); ++i) {
        CHandleData* value = inputs[i];
        inputs[i] = nullptr;  // the scope owns it now
        if (again)
            task->RebindInput(names[i], value);
        else
            task->BindInput(names[i], value);
    }
}

// The error that leaves a named procedure names it, once: an error already
// worded so passes through enclosing procedures unchanged.
CHandleData* AttributeError(CHandleData* error, const std::string& name) {
    if (IsCell(error) && error->Attributed()) return error;
    std::string text = WithoutLineEnd(ErrorText(error));
    if (!text.empty() && text.back() == '.') text.pop_back();
    Release(error);
    CHandleData* attributed = MakeError(-23, {text, name});
    if (IsCell(attributed)) attributed->SetAttributed(true);
    return attributed;
}

// Set once a call in last position stood for "output f ...": the call that
// ends the chain must then output, as the output primitive wants.
struct OutputChain {
    const std::string* output = nullptr;  // the primitive's name as written
    std::string callee;

    CHandleData* Missing() const { return MakeError(-18, {callee, *output}); }
};

CHandleData* RunBody(CLogoProcedure* procedure, CLogoTask* task, CHandleData** inputs,
                     const std::string& name, OutputChain& chain) {
    const bool named = !name.empty();
    std::vector<CHandleData*> tailInputs;
    CHandleData* result = nullptr;
    for (;;) {
        const bool again = !tailInputs.empty();
        BindInputs(procedure, task, again ? tailInputs.data() : inputs, again);
        tailInputs.clear();
        InputStream stream{procedure->Body()};
        bool tailCall = false;
        while (!stream.AtEnd()) {
            CHandleData* item = *stream.cursor++;
            if (task->StopRequested()) RaiseError(kErrorStopRequest);
            CHandleData* value;
            CHandleData* output = nullptr;  // the output primitive before a call of itself
            if (named && IsCell(item) && item->Type() == kTypePrimitive &&
                item->Token() == kTokenOutput && !stream.AtEnd() && IsCell(*stream.cursor) &&
                (*stream.cursor)->Type() == kTypeProcedure &&
                (*stream.cursor)->Procedure() == procedure) {
                output = item;
                item = *stream.cursor++;
            }
            if (named && IsCell(item) && item->Type() == kTypeProcedure &&
                item->Procedure() == procedure) {
                // A call of itself as the last item (or as the input of
                // output there) rebinds in this scope and starts again:
                // self-recursion in last position needs no stack.
                CHandleData** next = CollectInputs(procedure, task, &stream, item->Name());
                if (stream.AtEnd()) {
                    tailInputs.assign(next, next + procedure->InputCount() + 1);
                    DeleteInputArray(next);
                    if (output) chain = {&output->Name(), item->Name()};
                    tailCall = true;
                    break;
                }
                try {
                    value = Execute(procedure, task, next, item->Name());
                } catch (...) {
                    FreeInputs(next, procedure->InputCount());
                    throw;
                }
                FreeInputs(next, procedure->InputCount());
                if (output) {
                    // What the output primitive would have done with it.
                    if (!value) RaiseError(-18, {item->Name(), output->Name()});
                    return value;
                }
            } else {
                value = RunItem(item, task, &stream);
            }
            if (!value) continue;
            // A named procedure ends with what the output primitive left;
            // an anonymous one hands the signal on.
            if (IsOutputSignal(value)) {
                if (!named) return value;
                CHandleData* output = task->TakeOutput();
                if (!output && chain.output) throw LogoError{chain.Missing()};
                return output;
            }
            if (procedure->BodyLength() != 1) {
                const std::string text = PrintedText(value);
                Release(value);
                RaiseError(-1, {text});
            }
            result = value;
        }
        if (!tailCall) {
            if (!result && chain.output) throw LogoError{chain.Missing()};
            return result;
        }
        platform::YieldWhenSliceUsed();
        try {
            CheckRunnable(task);
        } catch (...) {
            for (CHandleData* value : tailInputs) Release(value);
            throw;
        }
    }
}

}  // namespace

std::string PrintedText(CHandleData* value, bool quoted) {
    if (!IsCell(value)) return {};
    switch (value->Type()) {
        case kTypeInteger:
            return std::to_string(value->IntegerValue());
        case kTypeReal:
            return platform::FormatGeneral(value->RealValue());
        case kTypeString:
            return quoted ? "\"|" + value->Text() + "|" : value->Text();
        case kTypeList: {
            std::string text;
            value->ListValue()->AppendText(text, quoted, [](CHandleData* item, bool quotedItem) {
                return PrintedText(item, quotedItem);
            });
            return text;
        }
        case kTypeBoolean:
            return (quoted ? "\"" : "") +
                   platform::ResourceText(value->BooleanValue() ? kTextTrue : kTextFalse);
        case kTypePrimitive:
        case kTypeProcedure:
        case kTypeProcedureName:
            return value->Name();
        case kTypeEmpty:
            return "*** UNKNOWN type ***";
        default:
            return "*** ERROR ***";
    }
}

CHandleData* Evaluate(CHandleData* item, CLogoTask* task, InputStream* stream, bool release) {
    ReleaseAtEnd guard(item, release);
    if (!item) return nullptr;
    if (IsError(item)) RaiseShared(item);
    CheckRunnable(task);
    switch (item->Type()) {
        case kTypePrimitive:
            return CallPrimitive(item, task, stream);
        case kTypeProcedure:
            return CallProcedure(item, task, stream);
        case kTypeProcedureName:
            RaiseError(-1, {item->Name()});
        case kTypeInteger:
        case kTypeReal:
        case kTypeString:
        case kTypeList:
        case kTypeBoolean:
            Reference(item);
            return item;
        case kTypeReservedText:
            RaiseShared(item);
        case kTypeVariable:
            return EvaluateVariable(item, task);
        case kTypeInfix:
            return EvaluateInfix(item, task, stream);
        case kTypeCall:
            return CallParenthesised(item, task);
        case kTypeDeleted:
            RaiseError(-20, {"Tried to Evaluate a deleted handle"});
        default:
            RaiseInternal("Invalid handle type in call to Evaluate()");
    }
}

CHandleData* CallPrimitive(CHandleData* primitive, CLogoTask* task, InputStream* stream) {
    return CallPrimitiveAt(primitive, task, stream, false);
}

namespace {

CHandleData* CallPrimitiveAt(CHandleData* primitive, CLogoTask* task, InputStream* stream,
                             bool passSignal) {
    const PrimitiveDescriptor& d = primitive->Primitive();
    if (primitive->Token() == kTokenStop) {
        Release(task->TakeOutput());
        if (passSignal) return OutputSignal();
        RaiseError(kErrorOutputSignal);
    }
    if (task->StopRequested()) RaiseError(kErrorStopRequest);
    const std::string& name = primitive->Name();
    if (!stream) {
        if (d.minInputs > 0) RaiseError(-3, {name});
        CHandleData* none[] = {nullptr};
        return CallHandler(primitive, task, none, passSignal);
    }
    const auto wanted = static_cast<std::size_t>(d.defaultInputs);
    ValueList values = CollectValues(task, stream, wanted, name);
    if (values.size() < wanted) {
        ReleaseAll(values);
        RaiseError(-3, {name});
    }
    return CallWithValues(primitive, task, values, passSignal);
}

}  // namespace

CHandleData* CallParenthesised(CHandleData* node, CLogoTask* task) {
    CHandleData* callee = node->Callee();
    CHandleData* const* arguments = node->CallArguments();
    CHandleData* const none[] = {nullptr};
    InputStream stream{arguments ? arguments : none};
    if (IsError(callee)) RaiseShared(callee);
    switch (callee->Type()) {
        case kTypePrimitive: {
            if (!arguments) return CallPrimitive(callee, task, nullptr);
            const PrimitiveDescriptor& d = callee->Primitive();
            if (callee->Token() == kTokenStop || task->StopRequested())
                return CallPrimitive(callee, task, nullptr);
            const std::string& name = callee->Name();
            ValueList values = CollectValues(task, &stream, SIZE_MAX, name);
            const auto got = static_cast<int64_t>(values.size());
            const bool unlimited = d.maxInputs == kUnlimitedInputs;
            const bool valid = unlimited ? got >= 1 && got >= d.minInputs : got == d.maxInputs;
            if (!valid) {
                const int64_t needed = unlimited ? std::max<int64_t>(1, d.minInputs) : d.maxInputs;
                ReleaseAll(values);
                if (got < needed) RaiseError(-3, {name});
                RaiseError(-74);
            }
            return CallWithValues(callee, task, values);
        }
        case kTypeProcedure:
            return CallProcedure(callee, task, &stream, true);
        case kTypeProcedureName:
            RaiseError(-1, {callee->Name()});
        case kTypeInfix: {
            CHandleData* result = Evaluate(callee, task, &stream, false);
            if (!stream.AtEnd()) {
                Release(result);
                RaiseError(-74);
            }
            return result;
        }
        default:
            RaiseError(-74);
    }
}

CHandleData** CollectInputs(CLogoProcedure* procedure, CLogoTask* task, InputStream* stream,
                            const std::string& name) {
    const int32_t count = procedure->InputCount();
    auto** inputs = NewInputArray(count);
    try {
        for (int32_t i = 0; i < count; ++i) {
            if (task->StopRequested()) RaiseError(kErrorStopRequest);
            if (!stream || stream->AtEnd()) RaiseError(-3, {name});
            CHandleData* item = *stream->cursor++;
            CHandleData* value;
            try {
                value = Evaluate(item, task, stream, false);
            } catch (LogoError& e) {
                if (IsSignal(e.handle, kErrorOutputSignal)) RaiseError(-18, {NameOf(item), name});
                if (IsSignal(e.handle, kErrorStopRequest)) throw;
                // Worded with the procedure's name, unless already finished.
                if (IsErrorNumber(e.handle) || !e.handle->Attributed())
                    e.handle = MakeError(e.handle, {name});
                throw;
            }
            if (!value) RaiseError(-18, {NameOf(item), name});
            inputs[i] = value;
        }
    } catch (...) {
        FreeInputs(inputs, count);
        throw;
    }
    return inputs;
}

void FreeInputs(CHandleData** inputs, int32_t count) {
    if (!inputs) return;
    for (int32_t i = 0; i < count; ++i) Release(inputs[i]);
    DeleteInputArray(inputs);
}

CHandleData* Execute(CLogoProcedure* procedure, CLogoTask* task, CHandleData** inputs,
                     const std::string& name) {
    if (procedure->BodyLength() == 0) return nullptr;
    CheckRunnable(task);
    const bool named = !name.empty();
    CallFrame frame(procedure, task, named);
    OutputChain chain;
    try {
        return RunBody(procedure, task, inputs, name, chain);
    } catch (LogoError& e) {
        if (!named || IsSignal(e.handle, kErrorStopRequest)) throw;
        if (IsSignal(e.handle, kErrorOutputSignal)) {
            CHandleData* value = task->TakeOutput();
            if (value || !chain.output) return value;
            e.handle = chain.Missing();
        }
        e.handle = AttributeError(e.handle, name);
        throw;
    }
}

CHandleData* EvaluateExpression(CLogoProcedure* procedure, CLogoTask* task,
                                const std::string& what) {
    if (!procedure || procedure->BodyLength() == 0) RaiseError(-17, {what});
    procedure->AddRef();
    struct Drop {
        CLogoProcedure* p;
        ~Drop() { p->Release(); }
    } drop{procedure};
    InputStream stream{procedure->Body()};
    CHandleData* item = *stream.cursor++;
    if (task->StopRequested()) RaiseError(kErrorStopRequest);
    CHandleData* value = RunItem(item, task, &stream, false);
    if (!value) RaiseError(-17, {what});
    if (!stream.AtEnd()) {
        Release(value);
        RaiseError(-4, {"%1", PrintedText(*stream.cursor)});
    }
    return value;
}
