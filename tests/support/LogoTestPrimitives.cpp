#include "LogoTestPrimitives.h"

#include <chrono>
#include <thread>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoList.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/VariableList.h"
#include "platform/TextCatalog.h"

CaptureHost::CaptureHost() {
    SetTaskHost(this);
}
CaptureHost::~CaptureHost() {
    SetTaskHost(nullptr);
}

void CaptureHost::Print(std::string_view text) {
    std::lock_guard<std::mutex> guard(lock_);
    text_ += text;
}

void CaptureHost::TaskEnded() {
    std::lock_guard<std::mutex> guard(lock_);
    ++ended_;
    changed_.notify_all();
}

std::string CaptureHost::Text() {
    std::lock_guard<std::mutex> guard(lock_);
    return text_;
}

int CaptureHost::Ended() {
    std::lock_guard<std::mutex> guard(lock_);
    return ended_;
}

bool CaptureHost::WaitForEnded(int n, int milliseconds) {
    std::unique_lock<std::mutex> lock(lock_);
    return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                             [&] { return ended_ >= n; });
}

void CaptureHost::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    text_.clear();
    ended_ = 0;
}

namespace {

void ReleaseInputs(CHandleData** in) {
    for (; *in; ++in) Release(*in);
}

// The text of a list, without its brackets, compiled as a body of its own.
CHandleData* CompileList(CLogoTask* task, CHandleData* list) {
    CLogoList* l = GetList(list, true);
    std::string text = l->ListToString(true, true);
    return task->CompileText(text.substr(1, text.size() - 2), kStateLocal);
}

CHandleData* RunList(CLogoTask* task, CHandleData* list) {
    CHandleData* code = CompileList(task, list);
    try {
        CHandleData* result = task->RunCompiled(code);
        Release(code);
        return result;
    } catch (...) {
        Release(code);
        throw;
    }
}

CHandleData* Print(CLogoTask*, CHandleData** in, int32_t, const std::string&) {
    CurrentTaskHost().Print(GetString(in[0], true) + "\r\n");
    return nullptr;
}

CHandleData* Output(CLogoTask* task, CHandleData** in, int32_t, const std::string&) {
    task->SetOutput(in[0]);
    RaiseError(kErrorOutputSignal);
}

CHandleData* Arithmetic(CLogoTask*, CHandleData** in, int32_t option, const std::string&) {
    int32_t result = option == 62 ? 1 : 0;
    bool first = true;
    for (; *in; ++in, first = false) {
        int32_t v;
        try {
            v = GetInteger(*in, true);
        } catch (...) {
            ReleaseInputs(in + 1);  // a handler owns every input, also when it fails
            throw;
        }
        if (option == 62)
            result *= v;
        else if (option == 61 && !first)
            result -= v;
        else
            result += v;
    }
    return DefineInteger("", result, kStateTemp);
}

CHandleData* Less(CLogoTask*, CHandleData** in, int32_t, const std::string&) {
    const int32_t a = GetInteger(in[0], true);
    const int32_t b = GetInteger(in[1], true);
    return DefineBoolean("", a < b, kStateTemp);
}

CHandleData* Equal(CLogoTask*, CHandleData** in, int32_t, const std::string&) {
    const std::string a = GetString(in[0], true);
    const std::string b = GetString(in[1], true);
    return DefineBoolean("", a == b, kStateTemp);
}

CHandleData* Run(CLogoTask* task, CHandleData** in, int32_t, const std::string&) {
    return RunList(task, in[0]);
}

CHandleData* If(CLogoTask* task, CHandleData** in, int32_t option, const std::string&) {
    bool condition;
    try {
        condition = GetBoolean(in[0], true);
    } catch (...) {
        ReleaseInputs(in + 1);
        throw;
    }
    CHandleData* chosen = condition ? in[1] : (option ? in[2] : nullptr);
    for (CHandleData** p = in + 1; *p; ++p)
        if (*p != chosen) Release(*p);
    return chosen ? RunList(task, chosen) : nullptr;
}

CHandleData* Make(CLogoTask* task, CHandleData** in, int32_t, const std::string&) {
    const std::string name = ":" + GetString(in[0], true);
    SetVariable(*task->Scope(), name, in[1], kStateGlobal);
    return nullptr;
}

CHandleData* Local(CLogoTask* task, CHandleData** in, int32_t, const std::string&) {
    task->MakeLocal(":" + GetString(in[0], true));
    return nullptr;
}

CHandleData* Thing(CLogoTask* task, CHandleData** in, int32_t, const std::string&) {
    const std::string name = ":" + GetString(in[0], true);
    CHandleData* value = task->FindVariable(name);
    if (!value || value->Type() == kTypeEmpty) {
        Release(value);
        RaiseError(-17, {name});
    }
    return value;
}

CHandleData* Wait(CLogoTask* task, CHandleData** in, int32_t, const std::string&) {
    int32_t tenths = GetInteger(in[0], true);
    for (; tenths > 0; --tenths) {
        if (task->StopRequested()) RaiseError(kErrorStopRequest);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (task->StopRequested()) RaiseError(kErrorStopRequest);
    return nullptr;
}

CHandleData* Launch(CLogoTask* task, CHandleData** in, int32_t, const std::string&) {
    CHandleData* code = CompileList(task, in[0]);
    try {
        task->Launch(code, false);
    } catch (...) {
        Release(code);
        throw;
    }
    Release(code);
    return nullptr;
}

struct Row {
    const char* name;
    PrimitiveHandler handler;
    int32_t token, option, minInputs, defaultInputs, maxInputs, precedence;
};

}  // namespace

// Registered anew each time: another test may have given a name other work.
void RegisterTestPrimitives() {
    {
        const Row rows[] = {
            {"to", PrimitiveNothing, 1, 0, 0, 0, 0, 0},
            {"end", PrimitiveNothing, 2, 0, 0, 0, 0, 0},
            {"stop", PrimitiveNothing, 116, 0, 0, 0, 0, 0},
            {"output", Output, 113, 113, 1, 1, 1, 0},
            {"op", Output, 113, 113, 1, 1, 1, 0},
            {"print", Print, 20, 1, 1, 1, 1, 0},
            {"sum", Arithmetic, 60, 60, 1, 2, kUnlimitedInputs, 0},
            {"difference", Arithmetic, 61, 61, 2, 2, 2, 0},
            {"product", Arithmetic, 62, 62, 1, 2, kUnlimitedInputs, 0},
            {"run", Run, 115, 0, 1, 1, 1, 0},
            {"if", If, 102, 0, 2, 2, 2, 0},
            {"ifelse", If, 103, 1, 3, 3, 3, 0},
            {"make", Make, 10, 1, 2, 2, 2, 0},
            {"local", Local, 13, 0, 1, 1, 1, 0},
            {"thing", Thing, 17, 17, 1, 1, 1, 0},
            {"wait", Wait, 50, 1, 1, 1, 1, 0},
            {"launch", Launch, 100, 0, 1, 1, 1, 0},
            {"+", Arithmetic, 88, 60, 2, 2, 2, 4},
            {"-", Arithmetic, 89, 61, 2, 2, 2, 4},
            {"*", Arithmetic, 90, 62, 2, 2, 2, 5},
            {"/", Arithmetic, 91, 63, 2, 2, 2, 5},
            {"<", Less, 92, 92, 2, 2, 2, 1},
            {">", Less, 93, 93, 2, 2, 2, 1},
            {"=", Equal, 94, 94, 2, 2, 2, 1},
            {"<=", Less, 95, 95, 2, 2, 2, 1},
            {">=", Less, 96, 96, 2, 2, 2, 1},
            {"<>", Equal, 97, 97, 2, 2, 2, 1},
        };
        for (const Row& r : rows)
            RegisterPrimitive(r.name, r.handler, r.token, r.option, r.defaultInputs, r.minInputs,
                              r.maxInputs, r.precedence);
    }
}

CHandleData* RunHere(const std::string& text) {
    CLogoTask* task = CLogoTask::Create(DefaultSelection(), true);
    try {
        CHandleData* result = task->RunText(text);
        CLogoTask::Destroy(task);
        return result;
    } catch (...) {
        CLogoTask::Destroy(task);
        throw;
    }
}

std::string ErrorOf(const std::string& text) {
    try {
        Release(RunHere(text));
    } catch (const LogoError& e) {
        // As a task prints it: a bare error number's text has no line end yet.
        std::string message = ErrorText(e.handle);
        Release(e.handle);
        if (!message.empty() && message.back() != '\n') message += "\r\n";
        return message;
    }
    return "";
}

std::string Define(const std::string& text) {
    std::string error;
    CLogoTask* task = CLogoTask::Create(DefaultSelection(), true);
    try {
        task->DefineText(text);
    } catch (const LogoError& e) {
        error = ErrorText(e.handle);
        Release(e.handle);
    }
    CLogoTask::Destroy(task);
    return error;
}

std::string Message(int n, const std::vector<std::string>& args) {
    return platform::FormatMessageText(platform::ResourceText(20000 + (n < 0 ? -n : n)), args) +
           "\r\n";
}
