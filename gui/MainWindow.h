// The main window: menus, the tool bar (stop-all and the page tools), the
// status bar (the box link and the running marker), the document area with
// the procedures, setup and page windows, and the command centre docked
// below. It shows the open project (its frames and lock); what the menus
// and the stop button do is the application's, told through signals.
#pragma once

#include <QMainWindow>
#include <QStringList>

#include "project/Geometry.h"

class QAction;
class QActionGroup;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class CKinetraDoc;

namespace gui {

class CommandCentreView;
class ProceduresView;
class SetupView;

class MainWindow final : public QMainWindow {
    Q_OBJECT

  public:
    enum class Child { kSetup, kProcedures, kPage };

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    CommandCentreView* CommandCentre() const { return commandCentre_; }
    // The procedures and setup pages, made once the texts they show are
    // loaded; null before.
    void MakeViews();
    ProceduresView* Procedures() const { return procedures_; }
    SetupView* Setup() const { return setup_; }
    QMdiArea* DocumentArea() const { return area_; }
    QMdiSubWindow* ChildWindow(Child child) const;
    // Puts the widget into the child window in place of what it held; the
    // child window owns it.
    void SetChildContent(Child child, QWidget* content);

    // Takes the open project's frames, lock and single-page flag.
    void ShowProject(const CKinetraDoc& doc);
    // Stores the child windows' frames into the project (fields 5-7). Done
    // also whenever one is moved or resized, so that any save keeps them.
    void StoreFrames(CKinetraDoc& doc) const;
    // The project's file in the title.
    void ShowPath(const QString& path);
    // The modified mark in the title.
    void ShowModified(bool modified);
    // The lock: no tool bar, no command centre, a read-only procedures page.
    void SetLocked(bool locked);
    bool Locked() const { return locked_; }
    // Single-page presentation: one child window at a time.
    void SetSinglePage(bool single);
    bool SinglePage() const;

    void SetRunning(bool running);
    // The page tools, printing and export act on a page view: without one
    // they stay disabled.
    void SetPageViewAvailable(bool available);
    // Another page became current: the page window comes forward, alone in
    // single-page presentation.
    void ShowPageWindow();
    // The armed tool's object type (1-4, 6, 7), 0 when none is armed.
    int ArmedTool() const;
    // The armed tool has made its object.
    void DisarmTool();
    QAction* StopAction() const { return stop_; }
    QAction* ToolAction(int type) const;
    QToolBar* ToolBar() const { return toolBar_; }
    QDockWidget* CommandCentreDock() const { return dock_; }

    void SetRecentProjects(const QStringList& paths);
    // The box link's state in the status bar; also refreshed every second.
    void ShowLinkStatus();

  signals:
    void stopAllRequested();
    void newRequested();
    void openRequested(const QString& path);  // empty: ask for one
    void saveRequested(bool askForName);
    void importProceduresRequested();
    void importPicturesRequested();
    void preferencesRequested();
    void printRequested();
    void exportPageRequested();
    // View > Pages: the page at that index of the project's list.
    void pageChosen(int index);
    // File > Lock project / Unlock project.
    void lockRequested();
    void quitRequested();
    // The window's close button: the application decides.
    void closeRequested();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void MakeMenus();
    void MakeToolBar();
    void MakeChildren();
    void ShowLanguageSummary();
    void ApplyFrames();
    void EditFocused(const char* slot);

    QMdiArea* area_ = nullptr;
    QMdiSubWindow* children_[3] = {};
    CommandCentreView* commandCentre_ = nullptr;
    ProceduresView* procedures_ = nullptr;
    SetupView* setup_ = nullptr;
    QDockWidget* dock_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QAction* stop_ = nullptr;
    QActionGroup* tools_ = nullptr;
    QAction* singlePage_ = nullptr;
    QAction* lock_ = nullptr;
    QAction* print_ = nullptr;
    QAction* export_ = nullptr;
    QMenu* recent_ = nullptr;
    QLabel* link_ = nullptr;
    QLabel* running_ = nullptr;
    bool locked_ = false;
    bool pageViewAvailable_ = false;
    bool showing_ = false;  // frames being set from the project
    // The frames last taken from the project: set again once the window is
    // shown, when the document area has its size.
    PageRect frames_[3] = {};
    bool framesPending_ = false;
};

}  // namespace gui
