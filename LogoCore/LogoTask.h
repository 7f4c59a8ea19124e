// Tasks: every piece of Logo that runs is a CLogoTask on a thread of its
// own, with its own reader, chain of variable scopes and selection of
// outputs and page objects.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "LogoCore/ListCodeCache.h"
#include "LogoCore/Parser.h"

class CHandleData;
class CVariableList;
struct TaskCompletion;

// Which outputs and page objects a task's commands address; copied by value.
struct TalkToContext {
    int32_t mode = 0;     // 0: one output; otherwise a set
    int32_t outputs = 0;  // the output 1..8, or a mask with bit 0 for A
    int32_t pictureBox = 0;
    int32_t button = 0;
    int32_t textBox = 0;
    int32_t graph = 0;
    int32_t slider = 0;
    int32_t monitor = 0;
    int32_t textHolder = 0;
    int32_t colourHolder = 0;
    int32_t currentObject = 0;

    // The object goes into the slot of its kind (its page-object type
    // code), into each most-recent slot whose kinds include it, and becomes
    // the current object.
    void Store(int32_t type, int32_t object);
    // Clears every slot that holds the object.
    void Forget(int32_t object);
    bool operator==(const TalkToContext&) const = default;
};

// A point on the screen, in pixels from its top left corner.
struct ScreenPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// What tasks need of the application; the front end installs its own.
// Every member may be called from any thread.
class TaskHost {
  public:
    virtual ~TaskHost() = default;
    // Text for the command centre; line ends are "\r\n".
    virtual void Print(std::string_view text) = 0;
    // A task whose end the main thread waits for has ended.
    virtual void TaskEnded() {}
    // All tasks were told to stop.
    virtual void TasksStopped() {}
    // The button or slider whose action started a task: its task ended.
    virtual void PageObjectTaskFinished(int32_t /*object*/) {}
    // Before procedures are defined anew: every box output off.
    virtual void AllOutputsOff() {}
    // After procedures were defined (not silently): monitors show anew.
    virtual void ProceduresDefined() {}
    // Where the mouse pointer is; a front end without one has it at the origin.
    virtual ScreenPoint PointerPosition() { return {}; }
};
// Installs the host; null restores the default, which prints to standard output.
void SetTaskHost(TaskHost* host);
TaskHost& CurrentTaskHost();

enum StopRequest : int32_t {
    kRunning = 0,
    kStopThisTask = 128,
    kStopAllTasks = 129,
    kBeingDestroyed = 255,
};

inline constexpr int kMaxTasks = 100;
inline constexpr int32_t kErrorTooManyTasks = -77;

class CLogoTask final : public CParserClient {
  public:
    static constexpr const char* kClassName = "CLogoTask";

    // A new task with a copy of the selection; listed tasks count toward
    // the hundred. Raises -77 when a hundred are listed, unless it is the
    // launcher of a command-centre line: the user's line is never refused
    // for the count, so that stopall can always be typed. Its task counts,
    // but is let in too (so at most one more than the hundred runs). A task
    // that a stopped parent would start is not made: -65 ends the parent.
    static CLogoTask* Create(const TalkToContext& selection, bool listed, bool commandLine = false,
                             const CLogoTask* parent = nullptr);
    // Frees a task that has no thread, or asks a running one to stop and
    // waits up to 5 s for it; a running task frees itself when it ends.
    static void Destroy(CLogoTask* task);

    CLogoTask(const CLogoTask&) = delete;
    CLogoTask& operator=(const CLogoTask&) = delete;

    // Running.
    void Start(CHandleData* code);
    void Launch(CHandleData* code, bool notify);

    // Compiling and running text.
    CHandleData* CompileText(std::string_view text, int32_t state);
    // With passSignal, an output inside the code comes back as OutputSignal()
    // (Evaluator.h) instead of being raised.
    CHandleData* RunCompiled(CHandleData* procedure, bool passSignal = false);
    CHandleData* RunText(std::string_view text);
    void LaunchText(std::string_view text);
    void DefineText(std::string_view text);
    void ReportError(CHandleData* error) override;
    // An error of reading the procedures page as it is shown: with the line
    // it was met on, so that it can be found on a long page.
    std::string DefinitionErrorText(CHandleData* error) const;

    // Scopes.
    CVariableList* Scope() const { return scope_; }
    // An empty scope for a call or a loop: only this task ever sees it, so
    // it takes no lock. Popped scopes are kept for the next ones, so that a
    // call allocates no scope.
    CVariableList* NewScope();
    void PushScope(CVariableList* scope);
    void PopScope();
    void BindInput(std::string_view name, CHandleData* value);
    // The same in the scope that bound the name before (a call of itself in
    // last position).
    void RebindInput(std::string_view name, CHandleData* value);
    void MakeLocal(std::string_view name);
    CHandleData* FindVariable(std::string_view name);

    // The stop request: a flag any thread may set, checked by the evaluator.
    // Release and acquire: a task that has seen the request and then frees
    // itself does so after the stopper's write (plain loads on x86).
    int32_t StopRequested() const { return stop_.load(std::memory_order_acquire); }
    void RequestStop(int32_t request) { stop_.store(request, std::memory_order_release); }

    // The value of the output primitive on its way to the procedure boundary.
    CHandleData* TakeOutput();
    void SetOutput(CHandleData* value);

    // The most recently trapped error (owned), for the error-trapping primitives.
    CHandleData* LastError() const { return lastError_; }
    void SetLastError(CHandleData* error);

    bool CompileErrorReported() const { return compileError_; }
    TalkToContext& Selection() { return selection_; }
    int32_t PageObject() const { return pageObject_; }
    void SetPageObject(int32_t object) { pageObject_ = object; }
    void SetNotifyOnEnd(bool notify) { notifyOnEnd_ = notify; }
    CParser& Parser() { return parser_; }
    CListCodeCache& ListCode() { return listCode_; }

  private:
    CLogoTask(const TalkToContext& selection, bool listed);
    ~CLogoTask();
    void Run();
    void Report(CHandleData* result);

    bool compileError_ = false;
    CHandleData* reportedError_ = nullptr;
    CParser parser_;
    CListCodeCache listCode_;
    CVariableList* scope_;
    std::vector<CVariableList*> spareScopes_;
    std::atomic<int32_t> stop_{kRunning};
    bool notifyOnEnd_ = false;
    bool listed_;
    bool commandLine_ = false;  // a command-centre line's launcher
    int32_t pageObject_ = 0;
    CHandleData* code_ = nullptr;
    CHandleData* lastError_ = nullptr;
    CHandleData* output_ = nullptr;
    TalkToContext selection_;
    std::shared_ptr<TaskCompletion> completion_;  // set while a thread runs the task
};

// The entries the application uses.
// Runs text for a page object (0: none) as a task of its own. A compiling
// error the reader has shown ends it quietly; other errors of compiling or
// launching are raised to the caller.
void RunForObject(std::string_view text, int32_t pageObject);
// Runs a command-centre line; returns the text of an error of compiling or
// launching that was not shown yet, otherwise an empty text.
std::string RunForCommandCentre(std::string_view text);
// Defines the procedures page anew (after stopping every task).
void DefineProcedures(std::string_view text, bool silent);

void StopTask(CLogoTask* task);
// Asks every listed task to stop; waits for none.
void StopAll();
// The stop of stopall, also the user's stop key and the shut-down: every
// task stopped, then every box output off (last, so that a task cannot
// switch one on again after it), then the monitors shown anew.
void StopEverything();
// Waits until no listed task runs, at most the time; true when none runs.
bool WaitForAllTasks(int milliseconds);
int ListedTaskCount();

// The selection new launchers copy.
TalkToContext DefaultSelection();
void SetDefaultSelection(const TalkToContext& selection);
// A deleted page object leaves every selection.
void ForgetObject(int32_t object);
