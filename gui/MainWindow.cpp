#include "gui/MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "LogoCore/HandleData.h"
#include "LogoCore/HandleList.h"
#include "LogoCore/NameTable.h"
#include "box/BoxLink.h"
#include "gui/CommandCentreView.h"
#include "gui/PageEditOverlay.h"
#include "gui/PreferencesDialog.h"
#include "gui/ProceduresView.h"
#include "gui/SetupView.h"
#include "project/KinetraDoc.h"

namespace gui {

namespace {

constexpr int kLinkRefreshMs = 1000;

struct Tool {
    int type;
    const char* name;
};
// The page editor's tools in its order: each creates one type of object.
constexpr Tool kTools[] = {{2, "Graph"},   {7, "Text box"}, {1, "Picture"},
                           {6, "Monitor"}, {3, "Button"},   {4, "Slider"}};

const char* const kChildTitles[] = {"Setup", "Procedures", "Page"};

QRect FromPageRect(const PageRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

PageRect ToPageRect(const QRect& r) {
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

bool Empty(const PageRect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

QString LinkText(const LinkReport& report) {
    const QString port = QString::fromStdString(report.port);
    switch (report.status) {
        case LinkStatus::kConnected:
            return QObject::tr("Box connected on %1").arg(port);
        case LinkStatus::kVirtual:
            return QObject::tr("Simulated box connected");
        case LinkStatus::kLost:
            return QObject::tr("Box lost on %1, retrying").arg(port);
        case LinkStatus::kNotAnswering:
            return QObject::tr("No box answers on %1").arg(port);
        case LinkStatus::kNoBox:
            break;
    }
    return QObject::tr("No box");
}

// The built-in primitives' names, sorted.
QStringList PrimitiveNames() {
    QStringList names;
    for (CHandleData* entry : NameTable().Snapshot()) {
        if (entry->Type() == kTypePrimitive && entry->State() == kStateKeyword &&
            !entry->Name().empty())
            names.append(QString::fromStdString(entry->Name()));
        Release(entry);
    }
    names.sort(Qt::CaseInsensitive);
    names.removeDuplicates();
    return names;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QApplication::applicationDisplayName());
    area_ = new QMdiArea(this);
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setTabsClosable(false);
    setCentralWidget(area_);

    commandCentre_ = new CommandCentreView;
    connect(commandCentre_, &CommandCentreView::stopRequested, this, &MainWindow::stopAllRequested);
    dock_ = new QDockWidget(tr("Command centre"), this);
    dock_->setObjectName(QStringLiteral("commandCentre"));
    dock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable |
                       QDockWidget::DockWidgetClosable);
    dock_->setWidget(commandCentre_);
    addDockWidget(Qt::BottomDockWidgetArea, dock_);
    resizeDocks({dock_}, {170}, Qt::Vertical);

    MakeChildren();
    MakeToolBar();
    MakeMenus();

    link_ = new QLabel;
    running_ = new QLabel;
    running_->setMinimumWidth(running_->fontMetrics().horizontalAdvance(tr("Running \u2022")) + 8);
    statusBar()->addPermanentWidget(running_);
    statusBar()->addPermanentWidget(link_);
    ShowLinkStatus();
    auto* refresh = new QTimer(this);
    connect(refresh, &QTimer::timeout, this, [this] {
        ShowLinkStatus();
        // Changes made without a word from Logo (the page editor's, a
        // dialog's) show in the title too.
        if (const auto doc = CKinetraDoc::Current()) ShowModified(doc->Modified());
    });
    refresh->start(kLinkRefreshMs);

    resize(1000, 720);
    commandCentre_->setFocus();
}

void MainWindow::MakeChildren() {
    for (int i = 0; i < 3; ++i) {
        auto* child = new QMdiSubWindow;
        child->setWindowTitle(tr(kChildTitles[i]));
        child->setWidget(new QWidget);
        // Closing hides: the View menu brings the window back.
        child->setAttribute(Qt::WA_DeleteOnClose, false);
        child->installEventFilter(this);
        area_->addSubWindow(child);
        children_[i] = child;
    }
    // Their places until a project gives its own.
    ApplyFrames();
}

// The document area reports its windows' activation while it is taken
// down: nothing of this window may hear of it then.
MainWindow::~MainWindow() {
    disconnect(area_, nullptr, this, nullptr);
}

void MainWindow::MakeViews() {
    procedures_ = new ProceduresView;
    SetChildContent(Child::kProcedures, procedures_);
    setup_ = new SetupView;
    SetChildContent(Child::kSetup, setup_);
    procedures_->SetReadOnly(locked_);
    // Leaving the procedures window defines the page, as leaving the editor does.
    connect(area_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* now) {
        if (now != ChildWindow(Child::kProcedures)) procedures_->DefineNow();
    });
}

QMdiSubWindow* MainWindow::ChildWindow(Child child) const {
    return children_[static_cast<int>(child)];
}

void MainWindow::SetChildContent(Child child, QWidget* content) {
    QMdiSubWindow* window = ChildWindow(child);
    QWidget* old = window->widget();
    window->setWidget(content);
    if (old && old != content) old->deleteLater();
}

void MainWindow::MakeToolBar() {
    toolBar_ = addToolBar(tr("Tools"));
    toolBar_->setObjectName(QStringLiteral("tools"));
    toolBar_->setMovable(false);
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    stop_ = toolBar_->addAction(style()->standardIcon(QStyle::SP_BrowserStop), tr("Stop all"));
    stop_->setToolTip(tr("Stop every program and switch the box's outputs off (Esc)"));
    connect(stop_, &QAction::triggered, this, &MainWindow::stopAllRequested);
    toolBar_->addSeparator();
    // Choosing a tool arms it; choosing it again disarms it.
    tools_ = new QActionGroup(this);
    tools_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const Tool& tool : kTools) {
        QAction* action = toolBar_->addAction(tr(tool.name));
        action->setCheckable(true);
        action->setData(tool.type);
        tools_->addAction(action);
    }
    SetPageViewAvailable(false);
}

void MainWindow::MakeMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&New"), QKeySequence::New, this, &MainWindow::newRequested);
    file->addAction(tr("&Open..."), QKeySequence::Open, this,
                    [this] { emit openRequested(QString()); });
    file->addAction(tr("&Save"), QKeySequence::Save, this, [this] { emit saveRequested(false); });
    file->addAction(tr("Save &as..."), QKeySequence::SaveAs, this,
                    [this] { emit saveRequested(true); });
    recent_ = file->addMenu(tr("&Recent projects"));
    recent_->setEnabled(false);
    file->addSeparator();
    file->addAction(tr("Import &procedures..."), this, &MainWindow::importProceduresRequested);
    file->addAction(tr("Import p&ictures..."), this, &MainWindow::importPicturesRequested);
    file->addSeparator();
    print_ = file->addAction(tr("&Print page..."), QKeySequence::Print, this,
                             &MainWindow::printRequested);
    export_ =
        file->addAction(tr("&Export page as image..."), this, &MainWindow::exportPageRequested);
    SetPageViewAvailable(pageViewAvailable_);
    lock_ = file->addAction(tr("&Lock project..."), this, &MainWindow::lockRequested);
    file->addAction(tr("P&references..."), this, &MainWindow::preferencesRequested);
    file->addSeparator();
    file->addAction(tr("&Quit"), QKeySequence::Quit, this, &MainWindow::quitRequested);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(tr("&Undo"), QKeySequence::Undo, this, [this] { EditFocused("undo"); });
    edit->addSeparator();
    edit->addAction(tr("Cu&t"), QKeySequence::Cut, this, [this] { EditFocused("cut"); });
    edit->addAction(tr("&Copy"), QKeySequence::Copy, this, [this] { EditFocused("copy"); });
    edit->addAction(tr("&Paste"), QKeySequence::Paste, this, [this] { EditFocused("paste"); });
    edit->addAction(tr("&Delete"), this, [this] { EditFocused(nullptr); });
    edit->addSeparator();
    edit->addAction(tr("Select &all"), QKeySequence::SelectAll, this,
                    [this] { EditFocused("selectAll"); });
    // The page editor's ordering of the selected objects.
    edit->addSeparator();
    edit->addAction(tr("Bring to &front"), this, [this] { EditFocused("bringToFront"); });
    edit->addAction(tr("Send to &back"), this, [this] { EditFocused("sendToBack"); });
    // The keys belong to the focused text widget; the menu only mirrors them.
    for (QAction* action : edit->actions()) action->setShortcutContext(Qt::WidgetShortcut);

    QMenu* view = menuBar()->addMenu(tr("&View"));
    for (Child child : {Child::kProcedures, Child::kSetup}) {
        view->addAction(tr(kChildTitles[static_cast<int>(child)]), this, [this, child] {
            QMdiSubWindow* window = ChildWindow(child);
            window->show();
            area_->setActiveSubWindow(window);
        });
    }
    // The project's pages, the current one checked; choosing one shows it.
    QMenu* pages = view->addMenu(tr("&Pages"));
    connect(pages, &QMenu::aboutToShow, this, [this, pages] {
        pages->clear();
        const auto doc = CKinetraDoc::Current();
        if (!doc) return;
        std::vector<std::string> names;
        int current = -1;
        {
            auto hold = doc->Lock();
            names = doc->PageNames();
            current = doc->CurrentPageIndex();
        }
        for (int i = 0; i < static_cast<int>(names.size()); ++i) {
            QAction* page = pages->addAction(QString::fromStdString(names[i]), this,
                                             [this, i] { emit pageChosen(i); });
            page->setCheckable(true);
            page->setChecked(i == current);
            page->setEnabled(pageViewAvailable_);
        }
    });
    singlePage_ = view->addAction(tr("&Single-page presentation"));
    singlePage_->setCheckable(true);
    connect(singlePage_, &QAction::toggled, this, &MainWindow::SetSinglePage);
    QAction* centre = dock_->toggleViewAction();
    centre->setText(tr("&Command centre"));
    view->addAction(centre);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(tr("&About Kinetra"), this, [this] {
        QMessageBox::about(this, tr("About Kinetra"),
                           tr("<b>Kinetra</b> %1<br>Logo for the interface box: motors, lamps "
                              "and sensors.")
                               .arg(QApplication::applicationVersion()));
    });
    help->addAction(tr("&Language summary"), this, &MainWindow::ShowLanguageSummary);
}

void MainWindow::EditFocused(const char* slot) {
    QWidget* focus = QApplication::focusWidget();
    if (!focus) return;
    // The command centre's text is the model's: it is copied from and typed
    // (pasted) into, never edited in place.
    if (focus == commandCentre_ &&
        !(slot && (qstrcmp(slot, "copy") == 0 || qstrcmp(slot, "paste") == 0 ||
                   qstrcmp(slot, "selectAll") == 0)))
        return;
    // The page editor takes every command, Delete as del.
    if (qobject_cast<PageEditOverlay*>(focus)) {
        QMetaObject::invokeMethod(focus, slot ? slot : "del");
        return;
    }
    if (!slot) {
        if (auto* text = qobject_cast<QPlainTextEdit*>(focus)) {
            if (!text->isReadOnly()) text->textCursor().removeSelectedText();
        } else if (auto* line = qobject_cast<QLineEdit*>(focus)) {
            line->del();
        }
        return;
    }
    if (qobject_cast<QPlainTextEdit*>(focus) || qobject_cast<QLineEdit*>(focus))
        QMetaObject::invokeMethod(focus, slot);
}

void MainWindow::ShowLanguageSummary() {
    QDialog dialog(this);
    dialog.setWindowTitle(tr("Language summary"));
    // In columns, read down then across, as an index is.
    auto* list = new QListWidget;
    const QStringList names = PrimitiveNames();
    list->addItems(names);
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    int widest = 0;
    for (const QString& name : names)
        widest = std::max(widest, list->fontMetrics().horizontalAdvance(name));
    list->setGridSize(QSize(widest + 24, list->fontMetrics().height() + 6));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog.resize(720, 480);
    dialog.exec();
}

void MainWindow::ShowLinkStatus() {
    link_->setText(LinkText(ControlBox_LinkReport()));
}

void MainWindow::SetRunning(bool running) {
    running_->setText(running ? tr("Running \u2022") : QString());
    commandCentre_->SetRunning(running);
}

void MainWindow::SetPageViewAvailable(bool available) {
    pageViewAvailable_ = available;
    // The tool bar is made before the menus.
    if (print_) print_->setEnabled(available);
    if (export_) export_->setEnabled(available);
    for (QAction* tool : tools_->actions()) {
        tool->setEnabled(available && !locked_);
        if (!tool->isEnabled()) tool->setChecked(false);
    }
}

int MainWindow::ArmedTool() const {
    const QAction* armed = tools_->checkedAction();
    return armed ? armed->data().toInt() : 0;
}

void MainWindow::DisarmTool() {
    if (QAction* armed = tools_->checkedAction()) armed->setChecked(false);
}

QAction* MainWindow::ToolAction(int type) const {
    for (QAction* tool : tools_->actions())
        if (tool->data().toInt() == type) return tool;
    return nullptr;
}

bool MainWindow::SinglePage() const {
    return singlePage_->isChecked();
}

void MainWindow::ShowPageWindow() {
    QMdiSubWindow* page = ChildWindow(Child::kPage);
    if (singlePage_->isChecked())
        for (Child other : {Child::kSetup, Child::kProcedures}) ChildWindow(other)->hide();
    page->show();
    area_->setActiveSubWindow(page);
}

void MainWindow::SetLocked(bool locked) {
    locked_ = locked;
    lock_->setText(locked ? tr("Un&lock project...") : tr("&Lock project..."));
    toolBar_->setVisible(!locked);
    dock_->setVisible(!locked);
    dock_->toggleViewAction()->setEnabled(!locked);
    if (procedures_) procedures_->SetReadOnly(locked);
    SetPageViewAvailable(pageViewAvailable_);
}

void MainWindow::SetSinglePage(bool single) {
    if (singlePage_->isChecked() != single) singlePage_->setChecked(single);
    area_->setViewMode(single ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
}

void MainWindow::ShowProject(const CKinetraDoc& doc) {
    const DocumentSettings settings = [&] {
        auto hold = doc.Lock();
        return doc.Settings();
    }();
    frames_[0] = settings.setupFrame;
    frames_[1] = settings.proceduresFrame;
    frames_[2] = settings.pageFrame;
    // Frames are kept in the windows' layout, not the tabs'.
    SetSinglePage(false);
    ApplyFrames();
    SetLocked(settings.locked != 0);
    SetSinglePage(settings.singlePage != 0 || PreferencesDialog::SinglePagePreferred());
    // One window at a time opens on the page.
    if (SinglePage()) area_->setActiveSubWindow(ChildWindow(Child::kPage));
    ShowPath(QString::fromStdString(doc.Path()));
}

// A frame the project does not give has its place: the page on the left,
// the procedures above the setup on the right.
void MainWindow::ApplyFrames() {
    framesPending_ = !isVisible();
    showing_ = true;
    const QSize size = area_->viewport()->size();
    const int half = size.width() / 2;
    const QRect defaults[] = {
        QRect(half, size.height() / 2, size.width() - half, size.height() / 2),
        QRect(half, 0, size.width() - half, size.height() / 2), QRect(0, 0, half, size.height())};
    for (int i = 0; i < 3; ++i) {
        children_[i]->setGeometry(Empty(frames_[i]) ? defaults[i] : FromPageRect(frames_[i]));
        children_[i]->show();
    }
    showing_ = false;
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // After the layout has given the document area its size.
    if (framesPending_)
        QTimer::singleShot(0, this, [this] {
            if (!framesPending_ || !isVisible()) return;
            const bool single = area_->viewMode() == QMdiArea::TabbedView;
            QMdiSubWindow* active = area_->activeSubWindow();
            SetSinglePage(false);
            ApplyFrames();
            SetSinglePage(single);
            if (active) area_->setActiveSubWindow(active);
        });
}

void MainWindow::ShowPath(const QString& path) {
    // The [*] placeholder is where Qt puts the modified mark.
    setWindowTitle(path.isEmpty() ? QStringLiteral("[*]") + QApplication::applicationDisplayName()
                                  : QFileInfo(path).fileName() + QStringLiteral("[*] - ") +
                                        QApplication::applicationDisplayName());
}

void MainWindow::ShowModified(bool modified) {
    if (isWindowModified() != modified) setWindowModified(modified);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && !showing_)
        if (const auto doc = CKinetraDoc::Current()) StoreFrames(*doc);
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::StoreFrames(CKinetraDoc& doc) const {
    // Tabs fill the area: the frames are those of the windows' layout.
    if (area_->viewMode() == QMdiArea::TabbedView) return;
    auto hold = doc.Lock();
    DocumentSettings& settings = doc.Settings();
    PageRect* frames[] = {&settings.setupFrame, &settings.proceduresFrame, &settings.pageFrame};
    for (int i = 0; i < 3; ++i)
        if (!children_[i]->isHidden()) *frames[i] = ToPageRect(children_[i]->geometry());
}

void MainWindow::SetRecentProjects(const QStringList& paths) {
    recent_->clear();
    for (const QString& path : paths)
        recent_
            ->addAction(QFileInfo(path).fileName(), this,
                        [this, path] { emit openRequested(path); })
            ->setToolTip(path);
    recent_->setEnabled(!paths.isEmpty());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The application closes the window once everything has stopped.
    event->ignore();
    emit closeRequested();
}

}  // namespace gui
