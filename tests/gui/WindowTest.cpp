// The window front end around the real model: the interpreter, the
// simulated box and the project, driven by keys and clicks as a user would.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QToolBar>
#include <filesystem>
#include <memory>

#include "LogoCore/MainThreadCall.h"
#include "app/MainThreadChannel.h"
#include "app/Session.h"
#include "app/WindowFrontEnd.h"
#include "box/BoxLink.h"
#include "box/VirtualBox.h"
#include "gui/CommandCentreView.h"
#include "gui/MainWindow.h"
#include "gui/PreferencesDialog.h"
#include "platform/ConfigStore.h"
#include "platform/ThreadQueue.h"
#include "project/KinetraDoc.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWaitMs = 10000;

// One interpreter with the simulated box for the suite, as the program has
// one for its run; each test gets a window of its own around it.
struct SessionEnvironment {
    static inline std::unique_ptr<Session> session;
    static inline fs::path config;
};

class WindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        SessionEnvironment::config =
            fs::temp_directory_path() / ("kinetra-gui-" + std::to_string(::getpid()));
        fs::create_directories(SessionEnvironment::config);
        platform::SetConfigDirectory(SessionEnvironment::config);
        SetMainThread(platform::CurrentThreadId());
        SessionEnvironment::session = std::make_unique<Session>(SessionOptions{"virtual", {}, {}});
    }
    static void TearDownTestSuite() {
        SessionEnvironment::session.reset();
        fs::remove_all(SessionEnvironment::config);
        platform::SetConfigDirectory({});
    }
    void SetUp() override {
        Session& session = *SessionEnvironment::session;
        session.Centre().Clear();
        front_.Attach(session.Centre(), session.Page(), session.Host());
        front_.Window().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&front_.Window()));
    }
    // Nothing of this test may reach the next one's command centre.
    void TearDown() override {
        StopEverything();
        EXPECT_TRUE(QTest::qWaitFor([] { return ListedTaskCount() == 0; }, kWaitMs));
        QCoreApplication::processEvents();
    }

    gui::MainWindow& Window() { return front_.Window(); }
    gui::CommandCentreView& View() { return *Window().CommandCentre(); }
    CommandCentre& Centre() { return SessionEnvironment::session->Centre(); }

    void TypeLine(const QString& line) {
        QTest::keyClicks(&View(), line);
        QTest::keyClick(&View(), Qt::Key_Return);
    }
    bool Shows(const QString& text) {
        return QTest::qWaitFor([&] { return View().toPlainText().contains(text); }, kWaitMs);
    }
    bool Idle() {
        return QTest::qWaitFor([&] { return !Centre().Running(); }, kWaitMs);
    }

    WindowFrontEnd front_;
};

TEST_F(WindowTest, TypedLinesRunWithTypeAheadAndKeysReachLogo) {
    TypeLine("print 3 + 4");
    EXPECT_TRUE(Shows("print 3 + 4\n7\n"));
    ASSERT_TRUE(Idle());

    // Typed while the first runs: the second waits its turn.
    TypeLine("wait 3 print \"first");
    EXPECT_TRUE(View().toPlainText().contains("\xE2\x80\xA2"));  // the running marker
    TypeLine("print \"second");
    EXPECT_TRUE(Shows("first\nprint \"second\nsecond\n")) << View().toPlainText().toStdString();
    ASSERT_TRUE(Idle());

    // A Logo thread waiting for a character takes the next key.
    TypeLine("print readchar");
    ASSERT_TRUE(QTest::qWaitFor([] { return KeyWaiterCount() > 0; }, kWaitMs));
    QTest::keyClick(&View(), 'x');
    EXPECT_TRUE(Shows("print readchar\nx\n"));
    ASSERT_TRUE(Idle());

    // A print shows the command centre the user had closed.
    Window().CommandCentreDock()->hide();
    TypeLine("print 1");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Window().CommandCentreDock()->isVisible(); }, kWaitMs));
    ASSERT_TRUE(Idle());

    // Up recalls the line before; Ctrl+L clears.
    QTest::keyClick(&View(), Qt::Key_Up);
    EXPECT_TRUE(View().toPlainText().endsWith("print 1"));
    QTest::keyClick(&View(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(View().toPlainText(), "");
}

TEST_F(WindowTest, StopAllFromTheToolBarEndsForeverAndSwitchesTheBoxOff) {
    VirtualBox* box = ControlBox_VirtualBox();
    ASSERT_NE(box, nullptr);
    TypeLine("talkto \"a on forever [wait 1]");
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->OutputOn(1); }, kWaitMs));
    EXPECT_EQ(ControlBox_LinkReport().status, LinkStatus::kVirtual);
    // forever runs on in the background after its line has ended.
    EXPECT_TRUE(Idle());
    EXPECT_GT(ListedTaskCount(), 0);
    Window().StopAction()->trigger();
    EXPECT_TRUE(QTest::qWaitFor([] { return ListedTaskCount() == 0; }, kWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !box->OutputOn(1); }, kWaitMs));

    // Esc in the command centre does the same.
    TypeLine("on forever [wait 1]");
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->OutputOn(1); }, kWaitMs));
    QTest::keyClick(&View(), Qt::Key_Escape);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !box->OutputOn(1) && ListedTaskCount() == 0; }, kWaitMs));
}

TEST_F(WindowTest, ToolsArmAndDisarmAndTheLockHidesToolBarAndCommandCentreUntilLifted) {
    Window().SetPageViewAvailable(true);
    Window().ToolAction(3)->trigger();
    EXPECT_EQ(Window().ArmedTool(), 3);
    Window().ToolAction(4)->trigger();
    EXPECT_EQ(Window().ArmedTool(), 4);
    Window().ToolAction(4)->trigger();
    EXPECT_EQ(Window().ArmedTool(), 0);
    Window().ToolAction(6)->trigger();

    TypeLine("lockproject \"secret");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Window().ToolBar()->isHidden(); }, kWaitMs));
    EXPECT_TRUE(Window().CommandCentreDock()->isHidden());
    EXPECT_EQ(Window().ArmedTool(), 0);
    EXPECT_FALSE(Window().ToolAction(6)->isEnabled());
    Centre().Type("lockproject \"\r");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Window().ToolBar()->isHidden(); }, kWaitMs));
    EXPECT_FALSE(Window().CommandCentreDock()->isHidden());
    EXPECT_TRUE(Window().ToolAction(6)->isEnabled());
    Window().SetPageViewAvailable(false);
}

TEST_F(WindowTest, FramesSurviveSaveAndReopenAndPreferencesStoreThePort) {
    using Child = gui::MainWindow::Child;
    const QRect frames[] = {{300, 200, 260, 150}, {20, 30, 240, 170}, {10, 220, 280, 160}};
    for (Child child : {Child::kSetup, Child::kProcedures, Child::kPage})
        Window().ChildWindow(child)->setGeometry(frames[static_cast<int>(child)]);
    const std::string file = (SessionEnvironment::config / "frames.kxp").string();
    CKinetraDoc::Current()->SaveAs(file);

    for (Child child : {Child::kSetup, Child::kProcedures, Child::kPage})
        Window().ChildWindow(child)->setGeometry(0, 0, 200, 100);
    emit Window().openRequested(QString::fromStdString(file));
    for (Child child : {Child::kSetup, Child::kProcedures, Child::kPage})
        EXPECT_EQ(Window().ChildWindow(child)->geometry(), frames[static_cast<int>(child)]);

    gui::PreferencesDialog preferences(&Window());
    QComboBox* ports = preferences.PortList();
    ports->setCurrentIndex(ports->findText("virtual"));
    ASSERT_GE(ports->currentIndex(), 0);
    // The test logs on afresh: the simulated box answers.
    EXPECT_TRUE(preferences.TestPort());
    preferences.Apply();
    EXPECT_EQ(platform::MachineStore().GetText(platform::kMachineSection, "ControlBox_Port", ""),
              "virtual");
}

}  // namespace
