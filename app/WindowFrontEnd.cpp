#include "app/WindowFrontEnd.h"

#include <QApplication>
#include <QCursor>
#include <QDockWidget>
#include <QEventLoop>
#include <QIcon>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <memory>
#include <set>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/MainThreadCall.h"
#include "LogoCore/NameTable.h"
#include "app/MainThreadChannel.h"
#include "app/PipedInput.h"
#include "app/ProjectCommands.h"
#include "app/ProjectNotices.h"
#include "app/Session.h"
#include "app/ShutdownSignals.h"
#include "app/TerminalFrontEnd.h"
#include "app/TerminalInput.h"
#include "gui/CommandCentreView.h"
#include "gui/MainWindow.h"
#include "gui/MessageDialogs.h"
#include "gui/PageEditOverlay.h"
#include "gui/PageEditor.h"
#include "gui/PageFileDialogs.h"
#include "gui/PageView.h"
#include "gui/PageWindow.h"
#include "gui/PreferencesDialog.h"
#include "gui/ProceduresView.h"
#include "gui/RecentProjects.h"
#include "platform/DataFiles.h"
#include "platform/MessageBox.h"
#include "platform/NumberText.h"
#include "platform/ThreadQueue.h"
#include "project/KinetraDoc.h"
#include "project/ObjectActions.h"
#include "project/PagePrinting.h"
#include "project/ProceduresEditor.h"
#include "project/ProjectRequests.h"

namespace {

constexpr int32_t kTokenClearCommandCentre = 560;
constexpr int32_t kTokenHideCommandCentre = 561;
constexpr int32_t kTokenShowCommandCentre = 563;

CHandleData* Boolean(bool value) {
    return DefineBoolean("", value, kStateTemp);
}

}  // namespace

class WindowFrontEnd::Impl final : public QObject {
  public:
    Impl() : window_(std::make_unique<gui::MainWindow>()) {
        gui::InstallMessageDialogs(window_.get());
    }
    ~Impl() override;

    void Attach(CommandCentre& centre, ProceduresPage& page, TerminalHost& host);
    void TakePipedInput(const std::string& screenshot);
    int Run();

    gui::MainWindow& Window() { return *window_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void RegisterRequests();
    void ConnectMenus();
    void Pump();
    void Handle(const platform::ThreadMessage& message);
    void AfterMessages();
    void Sync();
    // The page editor of the page shown, its overlay on the page view.
    void FollowPageEditor(const std::shared_ptr<CKinetraDoc>& doc, CPage* page);
    void Quit(int status);
    bool MayDiscardProject();

    std::unique_ptr<gui::MainWindow> window_;
    CommandCentre* centre_ = nullptr;
    ProceduresPage* page_ = nullptr;
    TerminalHost* host_ = nullptr;
    std::unique_ptr<QSocketNotifier> wakeup_;
    std::unique_ptr<ShutdownSignalWatch> signals_;
    std::unique_ptr<PipedInput> piped_;
    std::string pipedKeys_;
    bool inputEnded_ = false;
    std::string screenshot_;
    QEventLoop* loop_ = nullptr;
    int status_ = 0;
    bool quitting_ = false;
    std::set<int> heldKeys_;
    std::weak_ptr<CKinetraDoc> shownDoc_;
    std::string shownPath_;
    bool shownLock_ = false;
    const CPage* shownPage_ = nullptr;
    gui::PageWindow* pageWindow_ = nullptr;  // owned by the window
    std::unique_ptr<gui::PageEditor> pageEditor_;
    ProceduresEditor* sessionEditor_ = nullptr;
};

WindowFrontEnd::Impl::~Impl() {
    // The overlay refers to the editor, which goes first.
    if (pageWindow_) pageWindow_->View()->SetOverlay(nullptr);
    gui::RemoveMessageDialogs();
    // The session's page again, with the window's text, if the session goes on.
    if (window_->Procedures() && CurrentProceduresEditor() == window_->Procedures()) {
        page_->SetText(WithLineEnds(window_->Procedures()->Text(), "\n"));
        SetProceduresEditor(sessionEditor_);
    }
    if (!centre_) return;
    qApp->removeEventFilter(this);
    for (uint32_t number :
         {kKeyDown, kMouseDown, kShift, kCommandCentre, kToolBars, kPrint, kInsertText})
        SetRequestHandler(number, {});
    SetNoticeHandler(kTaskEnded, {});
    // Printing is the project's own again: into a PDF file.
    RegisterProjectNotices();
    if (piped_) piped_->Stop();
}

void WindowFrontEnd::Impl::Attach(CommandCentre& centre, ProceduresPage& page, TerminalHost& host) {
    centre_ = &centre;
    page_ = &page;
    host_ = &host;
    window_->MakeViews();
    pageWindow_ = new gui::PageWindow;
    window_->SetChildContent(gui::MainWindow::Child::kPage, pageWindow_);
    window_->SetPageViewAvailable(true);
    connect(pageWindow_, &gui::PageWindow::modelChanged, this, [this] { Sync(); });
    // The window's page takes over from the session's, with what it defined.
    window_->Procedures()->ShowDefined(page.Text());
    sessionEditor_ = CurrentProceduresEditor();
    SetProceduresEditor(window_->Procedures());
    // Lines typed here are seen where they are typed; the standard output
    // stays what Logo printed, for scripts to check.
    centre.StartTypedLinesOnNewLine(true, false);
    RegisterRequests();
    ConnectMenus();
    qApp->installEventFilter(this);

    gui::CommandCentreView* view = window_->CommandCentre();
    view->SetKeys([this](std::string_view keys) {
        centre_->Type(keys);
        Sync();
    });
    QObject::connect(window_.get(), &gui::MainWindow::stopAllRequested, this, [this] {
        StopEverything();
        Sync();
    });

    const int fd = platform::WakeupDescriptor();
    wakeup_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(wakeup_.get(), &QSocketNotifier::activated, this, [this] { Pump(); });
    // What was posted during the start-up is served at the first turn of the loop.
    QTimer::singleShot(0, this, [this] { Pump(); });
    Sync();
}

void WindowFrontEnd::Impl::RegisterRequests() {
    RegisterCommandCentreRequests(*centre_);
    RegisterProceduresPageRequests(
        [this](std::string_view text) { window_->Procedures()->Append(text); });
    // The box's messages and the rest as the terminal has them; a window
    // answers the following itself.
    RegisterTerminalRequests(*centre_, false);
    // Every print shows the command centre, unless the project is locked.
    SetRequestHandler(kPrint, [this](CallerRecord* caller, void* block) {
        centre_->Print(*static_cast<std::string*>(block));
        if (!window_->Locked()) window_->CommandCentreDock()->show();
        ReplyToCaller(caller, nullptr);
    });
    SetRequestHandler(kKeyDown, [this](CallerRecord* caller, void*) {
        ReplyToCaller(caller, Boolean(!heldKeys_.empty()));
    });
    SetRequestHandler(kMouseDown, [](CallerRecord* caller, void*) {
        ReplyToCaller(caller, Boolean(QGuiApplication::mouseButtons() != Qt::NoButton));
    });
    SetRequestHandler(kShift, [](CallerRecord* caller, void*) {
        ReplyToCaller(caller,
                      Boolean(QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier)));
    });
    SetRequestHandler(kCommandCentre, [this](CallerRecord* caller, void* block) {
        const int32_t token = block ? *static_cast<int32_t*>(block) : 0;
        if (token == kTokenClearCommandCentre) centre_->Clear();
        // A locked project keeps its command centre hidden.
        if (token == kTokenShowCommandCentre && !window_->Locked())
            window_->CommandCentreDock()->show();
        if (token == kTokenHideCommandCentre) window_->CommandCentreDock()->hide();
        Sync();
        DeferReply(caller, nullptr);
    });
    // The block is the wanted visibility (int32: 0 hide, 1 show).
    SetRequestHandler(kToolBars, [this](CallerRecord* caller, void* block) {
        const bool show = block && *static_cast<int32_t*>(block) != 0;
        window_->ToolBar()->setVisible(show && !window_->Locked());
        DeferReply(caller, nullptr);
    });
    // The printing primitives print on the default printer, or into a PDF
    // file when there is none; the status bar says where.
    SetRequestHandler(kPrintPages, [this](CallerRecord* caller, void* block) {
        const auto& request = *static_cast<ProjectRequest*>(block);
        CHandleData* result = nullptr;
        if (const auto doc = CKinetraDoc::Current()) {
            try {
                const std::string where =
                    gui::PrintOnDefaultPrinter(*doc, PrintJobOfToken(request.numbers[0]));
                window_->statusBar()->showMessage(QString::fromStdString(where), 10000);
            } catch (const LogoError& error) {
                result = error.handle;
            }
        }
        ReplyToCaller(caller, result);
    });
}

void WindowFrontEnd::Impl::ConnectMenus() {
    gui::MainWindow* w = window_.get();
    connect(w, &gui::MainWindow::quitRequested, this, [this] {
        if (MayDiscardProject()) Quit(0);
    });
    connect(w, &gui::MainWindow::closeRequested, this, [this] {
        if (MayDiscardProject()) Quit(0);
    });
    connect(w, &gui::MainWindow::newRequested, this, [this] {
        if (!MayDiscardProject()) return;
        CKinetraDoc::NewProject();
        Sync();
    });
    connect(w, &gui::MainWindow::openRequested, this, [this](const QString& path) {
        if (!MayDiscardProject()) return;
        OpenProject(*window_, path);
        Sync();
    });
    connect(w, &gui::MainWindow::saveRequested, this, [this](bool ask) {
        SaveProject(*window_, ask);
        Sync();
    });
    connect(w, &gui::MainWindow::importProceduresRequested, this, [this] {
        ImportProcedures(*window_);
        Sync();
    });
    connect(w, &gui::MainWindow::importPicturesRequested, this,
            [this] { ImportPictures(*window_); });
    connect(w, &gui::MainWindow::printRequested, this, [this] {
        if (const auto doc = CKinetraDoc::Current()) gui::PrintPageWithDialog(window_.get(), *doc);
    });
    connect(w, &gui::MainWindow::exportPageRequested, this, [this] {
        if (const auto doc = CKinetraDoc::Current()) gui::ExportPageWithDialog(window_.get(), *doc);
    });
    connect(w, &gui::MainWindow::pageChosen, pageWindow_, &gui::PageWindow::ChoosePage);
    connect(w, &gui::MainWindow::lockRequested, this, [this] {
        LockOrUnlock(*window_);
        Sync();
    });
    connect(w, &gui::MainWindow::preferencesRequested, this, [this] {
        gui::PreferencesDialog dialog(window_.get());
        if (dialog.exec() == QDialog::Accepted) {
            dialog.Apply();
            window_->SetSinglePage(dialog.SinglePage());
        }
    });
    window_->SetRecentProjects(gui::RecentProjects());
}

// A script's run is not asked anything.
bool WindowFrontEnd::Impl::MayDiscardProject() {
    return piped_ || ::MayDiscardProject(*window_);
}

void WindowFrontEnd::Impl::TakePipedInput(const std::string& screenshot) {
    screenshot_ = screenshot;
    piped_ = std::make_unique<PipedInput>(platform::CurrentThreadId());
}

int WindowFrontEnd::Impl::Run() {
    signals_ = std::make_unique<ShutdownSignalWatch>(platform::CurrentThreadId());
    window_->show();
    QEventLoop loop;
    loop_ = &loop;
    if (!quitting_) loop.exec();
    loop_ = nullptr;
    signals_.reset();
    StopTasksAndWait();
    window_->hide();
    // What the shut-down still has to say goes to standard error: no
    // dialog may hold up the end.
    gui::RemoveMessageDialogs();
    if (piped_) piped_->Stop();
    return status_;
}

void WindowFrontEnd::Impl::Quit(int status) {
    if (quitting_) return;
    quitting_ = true;
    status_ = status;
    if (loop_) loop_->quit();
}

void WindowFrontEnd::Impl::Pump() {
    platform::ClearWakeup();
    while (auto message = platform::TakeMessage(0)) Handle(*message);
    AfterMessages();
}

void WindowFrontEnd::Impl::Handle(const platform::ThreadMessage& message) {
    std::unique_ptr<std::string> text;
    switch (message.number) {
        case platform::kQuitMessage:
            Quit(0);
            break;
        case kInputLine:
            text.reset(reinterpret_cast<std::string*>(message.lParam));
            pipedKeys_ += *text + "\r";
            break;
        case kInputEnded:
            inputEnded_ = true;
            break;
        case kShutdownSignal:
            Quit(128 + static_cast<int>(message.wParam));
            break;
        case kDeferredReply:
            // Behind the repaint the change has asked for: the primitive
            // returns once the window shows it.
            QTimer::singleShot(0, this, [message] { DispatchMessage(message); });
            break;
        default:
            DispatchMessage(message);
    }
}

void WindowFrontEnd::Impl::AfterMessages() {
    if (piped_) {
        FeedPipedKeys(pipedKeys_, *centre_);
        // No key will come any more: a wait for one ends as if Logo were stopped.
        if (inputEnded_ && pipedKeys_.empty() && KeyWaiterCount() > 0) ReleaseKeyWaiters();
    }
    Sync();
    if (piped_ && inputEnded_ && pipedKeys_.empty() && !centre_->Running() &&
        !centre_->TypeAheadPending()) {
        if (!screenshot_.empty()) {
            if (!window_->grab().save(QString::fromStdString(screenshot_)))
                platform::ShowMessage(platform::MessageKind::Error,
                                      "cannot write the screenshot " + screenshot_);
        }
        Quit(0);
    }
}

// Shows what the model holds now: the command centre's text and state,
// the procedures page, and the open project with its frames and lock.
void WindowFrontEnd::Impl::Sync() {
    window_->CommandCentre()->ShowText(centre_->Text());
    window_->SetRunning(centre_->Running());
    window_->ShowLinkStatus();
    const QPoint pointer = QCursor::pos();
    host_->SetPointerPosition({pointer.x(), pointer.y()});
    const auto doc = CKinetraDoc::Current();
    if (!doc) {
        FollowPageEditor(nullptr, nullptr);
        pageWindow_->Refresh();
        return;
    }
    const bool locked = [&] {
        auto hold = doc->Lock();
        return doc->Settings().locked != 0;
    }();
    if (doc != shownDoc_.lock()) {
        shownDoc_ = doc;
        window_->ShowProject(*doc);
        shownLock_ = locked;
    } else if (locked != shownLock_) {
        shownLock_ = locked;
        window_->SetLocked(locked);
    }
    const std::string path = doc->Path();
    if (path != shownPath_) {
        shownPath_ = path;
        window_->ShowPath(QString::fromStdString(path));
    }
    window_->ShowModified(doc->Modified());
    pageWindow_->Refresh();
    CPage* page = [&] {
        auto hold = doc->Lock();
        return doc->CurrentPage();
    }();
    FollowPageEditor(doc, page);
    if (page != shownPage_) {
        // The first page shown is where the project left its windows,
        // unless one window at a time is shown: then it is the page.
        if (shownPage_ || window_->SinglePage()) window_->ShowPageWindow();
        shownPage_ = page;
    }
}

void WindowFrontEnd::Impl::FollowPageEditor(const std::shared_ptr<CKinetraDoc>& doc, CPage* page) {
    gui::PageView& view = *pageWindow_->View();
    if (!doc) {
        view.SetOverlay(nullptr);
        pageEditor_.reset();
        return;
    }
    if (pageEditor_ && pageEditor_->SharedDocument() == doc) {
        if (pageEditor_->Page() != page) pageEditor_->SetPage(page);
        return;
    }
    view.SetOverlay(nullptr);
    pageEditor_ = std::make_unique<gui::PageEditor>(doc, page);
    connect(pageEditor_.get(), &gui::PageEditor::changed, this, [this] { Sync(); });
    connect(pageEditor_.get(), &gui::PageEditor::toolUsed, window_.get(),
            &gui::MainWindow::DisarmTool);
    auto* overlay = new gui::PageEditOverlay(*pageEditor_);
    overlay->SetArmedTool([this] { return window_->ArmedTool(); });
    view.SetOverlay(overlay);
    // An armed tool, Shift, a selected object's tracker or the bare page
    // (a selecting band) make a press editing; an unselected object is
    // used as in a running project.
    view.SetEditRouting([this](QPoint at, Qt::KeyboardModifiers keys) {
        const auto shown = CKinetraDoc::Current();
        if (!shown || window_->Locked()) return false;
        if (window_->ArmedTool() != 0 || keys.testFlag(Qt::ShiftModifier)) return true;
        auto hold = shown->Lock();
        const CPage* current = shown->CurrentPage();
        const PagePoint point = gui::PageView::ToPage(at);
        return current &&
               (current->TrackerAt(point).object != nullptr || current->ObjectAt(point) == nullptr);
    });
}

bool WindowFrontEnd::Impl::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            // Keys typed into the command centre are typing, not keys held
            // for Logo: the Return that runs "print key?" is still down.
            if (!key->isAutoRepeat() && watched != window_->CommandCentre() &&
                key->key() != Qt::Key_Shift && key->key() != Qt::Key_Control &&
                key->key() != Qt::Key_Alt && key->key() != Qt::Key_Meta)
                heldKeys_.insert(key->key());
            // A Logo thread waiting for a character takes it, and only it.
            const QString text = key->text();
            if (!text.isEmpty() && (text.at(0).isPrint() || text == QLatin1String("\r")) &&
                KeyWaiterCount() > 0) {
                const QByteArray bytes = text.toUtf8();
                if (DeliverTypedCharacter(std::string_view(bytes.constData(), bytes.size())))
                    return true;
            }
            break;
        }
        case QEvent::KeyRelease: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (!key->isAutoRepeat()) heldKeys_.erase(key->key());
            break;
        }
        case QEvent::MouseButtonPress:
            // A click anywhere into the procedures page makes it the text box.
            if (auto* widget = qobject_cast<QWidget*>(watched);
                widget && window_->Procedures() &&
                (widget == window_->Procedures() || window_->Procedures()->isAncestorOf(widget)))
                TouchProceduresPage();
            [[fallthrough]];
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease: {
            const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            host_->SetPointerPosition({at.x(), at.y()});
            break;
        }
        case QEvent::ApplicationDeactivate:
            heldKeys_.clear();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

WindowFrontEnd::WindowFrontEnd(int& argc, char** argv)
    : application_(std::make_unique<QApplication>(argc, argv)) {
    platform::UseCNumbersInTheCLibrary();
    QApplication::setApplicationDisplayName(QStringLiteral("Kinetra"));
    QApplication::setApplicationVersion(QStringLiteral(KINETRA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("kinetra"));
    if (const auto icon = platform::FindDataFile("kinetra.svg"))
        QApplication::setWindowIcon(QIcon(QString::fromStdString(icon->string())));
    impl_ = std::make_unique<Impl>();
}

WindowFrontEnd::WindowFrontEnd() : impl_(std::make_unique<Impl>()) {}

WindowFrontEnd::~WindowFrontEnd() {
    impl_.reset();
}

gui::MainWindow& WindowFrontEnd::Window() {
    return impl_->Window();
}

void WindowFrontEnd::Attach(CommandCentre& centre, ProceduresPage& page, TerminalHost& host) {
    impl_->Attach(centre, page, host);
}

void WindowFrontEnd::TakePipedInput(const std::string& screenshot) {
    impl_->TakePipedInput(screenshot);
}

int WindowFrontEnd::Run() {
    return impl_->Run();
}

int WindowFrontEnd::Run(Session& session, bool piped, const std::string& screenshot) {
    Attach(session.Centre(), session.Page(), session.Host());
    if (piped) TakePipedInput(screenshot);
    return Run();
}
