// Compiling and running text on a task, and the entries the application
// uses to run Logo.
#include <string>

#include "LogoCore/Evaluator.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoProcedure.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/NameTable.h"
#include "platform/TextCatalog.h"

namespace {

constexpr int32_t kTextProceduresLine = 2122;

// Raises the error the reader reported, which the task keeps.
void RaiseReported(CHandleData*& reported) {
    CHandleData* error = reported;
    reported = nullptr;
    if (error) throw LogoError{error};
}

}  // namespace

// Every error is shown: a reading goes on past a definition that lacks its
// closing word, and what it meets later must not pass unseen. The first is
// the one raised.
void CLogoTask::ReportError(CHandleData* error) {
    CurrentTaskHost().Print(parser_.DefinitionMode() ? DefinitionErrorText(error)
                                                     : ErrorText(error));
    if (compileError_) {
        Release(error);
        return;
    }
    compileError_ = true;
    Release(reportedError_);
    reportedError_ = error;
}

std::string CLogoTask::DefinitionErrorText(CHandleData* error) const {
    const std::string text = ErrorText(error);
    if (parser_.ErrorLine() <= 0) return text;
    return WithLineEnd(platform::FormatResource(
        kTextProceduresLine, {WithoutLineEnd(text), std::to_string(parser_.ErrorLine())}));
}

CHandleData* CLogoTask::CompileText(std::string_view text, int32_t state) {
    if (text.empty()) return nullptr;
    compileError_ = false;
    CHandleData* procedure = DefineName("", kTypeProcedure, state);
    if (IsErrorNumber(procedure)) RaiseError(ErrorNumberOf(procedure));
    parser_.SetTarget(procedure);
    parser_.SetDefinitionMode(false);
    try {
        parser_.Parse(std::string(text) + "\n", *this, state);
    } catch (...) {
        parser_.SetTarget(nullptr);
        Release(procedure);
        throw;
    }
    parser_.SetTarget(nullptr);
    if (compileError_ && reportedError_) {
        Release(procedure);
        RaiseReported(reportedError_);
    }
    return procedure;
}

CHandleData* CLogoTask::RunCompiled(CHandleData* procedure, bool passSignal) {
    if (IsError(procedure)) RaiseShared(procedure);
    if (!procedure) return nullptr;
    Reference(procedure);
    CHandleData* result;
    try {
        CHandleData* none[] = {nullptr};
        result = Execute(procedure->Procedure(), this, none, "");
    } catch (...) {
        Release(procedure);
        throw;
    }
    Release(procedure);
    if (IsOutputSignal(result) && !passSignal) RaiseError(kErrorOutputSignal);
    return result;
}

CHandleData* CLogoTask::RunText(std::string_view text) {
    CHandleData* procedure = CompileText(text, kStateUser);
    try {
        CHandleData* result = RunCompiled(procedure);
        Release(procedure);
        return result;
    } catch (...) {
        Release(procedure);
        throw;
    }
}

void CLogoTask::LaunchText(std::string_view text) {
    CHandleData* procedure = CompileText(text, kStateUser);
    if (procedure && procedure->Procedure()->BodyLength() == 0) {
        // Blanks and comments only: no task to start.
        Release(procedure);
        procedure = nullptr;
    }
    if (!procedure) {
        if (notifyOnEnd_) CurrentTaskHost().TaskEnded();
        return;
    }
    try {
        Launch(procedure, notifyOnEnd_);
    } catch (...) {
        Release(procedure);
        throw;
    }
    Release(procedure);
}

void CLogoTask::DefineText(std::string_view text) {
    RemoveProcedures();
    RemoveAllWithState(kStateTemp);
    compileError_ = false;
    parser_.SetDefinitionMode(true);
    parser_.SetTarget(nullptr);
    try {
        parser_.Parse(text, *this, kStateProc);
    } catch (const InternalError& e) {
        // A fault of the reader while defining is an ordinary error.
        const std::string what = e.what();
        ReportError(what.compare(0, 5, "L0029") == 0 ? MakeError(-73) : MakeError(-20, {what}));
    } catch (...) {
        parser_.SetDefinitionMode(false);
        throw;
    }
    parser_.SetDefinitionMode(false);
    if (compileError_) RaiseReported(reportedError_);
}

void RunForObject(std::string_view text, int32_t pageObject) {
    CLogoTask* launcher = CLogoTask::Create(DefaultSelection(), false);
    launcher->SetPageObject(pageObject);
    try {
        launcher->LaunchText(text);
    } catch (const LogoError& e) {
        launcher->SetPageObject(0);
        const bool shown = launcher->CompileErrorReported();
        CLogoTask::Destroy(launcher);
        // The reader shows its errors as it meets them: once is enough.
        if (!shown) throw;
        Release(e.handle);
        return;
    } catch (...) {
        launcher->SetPageObject(0);
        CLogoTask::Destroy(launcher);
        throw;
    }
    launcher->SetPageObject(0);  // the launched task reports for the object
    CLogoTask::Destroy(launcher);
}

std::string RunForCommandCentre(std::string_view text) {
    CLogoTask* launcher;
    try {
        launcher = CLogoTask::Create(DefaultSelection(), false, true);
    } catch (const LogoError& e) {
        std::string message = ErrorText(e.handle);
        Release(e.handle);
        return message;
    }
    launcher->SetNotifyOnEnd(true);
    std::string message;
    try {
        launcher->LaunchText(text);
    } catch (const LogoError& e) {
        if (launcher->CompileErrorReported()) {
            // Already shown when it was read: the command simply ends.
            CurrentTaskHost().TaskEnded();
        } else {
            message = ErrorText(e.handle);
        }
        Release(e.handle);
    }
    CLogoTask::Destroy(launcher);
    return message;
}

void DefineProcedures(std::string_view text, bool silent) {
    CurrentTaskHost().AllOutputsOff();
    StopAll();
    CLogoTask* task = CLogoTask::Create(DefaultSelection(), true);
    try {
        task->DefineText(text);
    } catch (const LogoError& e) {
        // A reported error was shown when it was read; one that ended the
        // reading at once is shown here.
        if (!task->CompileErrorReported())
            CurrentTaskHost().Print(task->DefinitionErrorText(e.handle));
        Release(e.handle);
    }
    if (!silent) CurrentTaskHost().ProceduresDefined();
    CLogoTask::Destroy(task);
}
