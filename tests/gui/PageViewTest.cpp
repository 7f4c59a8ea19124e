// The window's page around the real model: objects made by typed Logo,
// then used with the mouse as a user would, and the page printed.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QAction>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QTabBar>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "LogoCore/MainThreadCall.h"
#include "app/MainThreadChannel.h"
#include "app/Session.h"
#include "app/WindowFrontEnd.h"
#include "box/BoxLink.h"
#include "box/VirtualBox.h"
#include "gui/CommandCentreView.h"
#include "gui/MainWindow.h"
#include "gui/PageView.h"
#include "gui/PageWindow.h"
#include "gui/ProceduresView.h"
#include "platform/ConfigStore.h"
#include "project/GraphPainter.h"
#include "project/KinetraDoc.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWaitMs = 10000;

class PageViewTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        config_ = fs::temp_directory_path() / ("kinetra-page-" + std::to_string(::getpid()));
        fs::create_directories(config_);
        platform::SetConfigDirectory(config_);
        SetMainThread(platform::CurrentThreadId());
        session_ = std::make_unique<Session>(SessionOptions{"virtual", {}, {}});
    }
    static void TearDownTestSuite() {
        session_.reset();
        fs::remove_all(config_);
        platform::SetConfigDirectory({});
    }
    void SetUp() override {
        doc_ = CKinetraDoc::NewProject();
        session_->Centre().Clear();
        front_.Attach(session_->Centre(), session_->Page(), session_->Host());
        front_.Window().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&front_.Window()));
        pages_ = front_.Window().findChild<gui::PageWindow*>();
        ASSERT_NE(pages_, nullptr);
    }
    void TearDown() override {
        StopEverything();
        EXPECT_TRUE(QTest::qWaitFor([] { return ListedTaskCount() == 0; }, kWaitMs));
        QCoreApplication::processEvents();
    }

    // Types the line into the command centre and waits until it has run.
    void Run(const QString& line) {
        gui::CommandCentreView& centre = *front_.Window().CommandCentre();
        QTest::keyClicks(&centre, line);
        QTest::keyClick(&centre, Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return !session_->Centre().Running() && !session_->Centre().TypeAheadPending(); },
            kWaitMs));
    }
    bool Shows(const QString& text) {
        return QTest::qWaitFor(
            [&] { return front_.Window().CommandCentre()->toPlainText().contains(text); }, kWaitMs);
    }
    template <typename T>
    T& Object(const char* name) {
        return *doc_->FindObject(name)->As<T>();
    }
    gui::PageView& View() { return *pages_->View(); }
    QImage Region(QRect area) { return View().Picture().copy(area); }

    static inline std::unique_ptr<Session> session_;
    static inline fs::path config_;
    std::shared_ptr<CKinetraDoc> doc_;
    WindowFrontEnd front_;
    gui::PageWindow* pages_ = nullptr;
};

TEST_F(PageViewTest, ButtonsSlidersAndTextBoxesAnswerTheMouseThroughTheModel) {
    Run("newobject \"button \"go [20 20] [80 24] setbuttonmode 0 setbuttonfunction [print "
        "\"first] setbuttonfunction2 [print \"second]");
    Run("newobject \"slider \"level [20 80] [160 20] setsliderfunction [print level]");
    Run("newobject \"textbox \"notes [20 130] [160 80] insert \"|Some text|");
    const QRect button(20, 20, 80, 24);
    const QImage up = Region(button);

    // Momentary: the first list on the press, shown down while held, the
    // second after the release. The press deselects the other objects.
    doc_->FindObject("level")->Select(false, true);
    QTest::mousePress(&View(), Qt::LeftButton, {}, QPoint(60, 32));
    EXPECT_TRUE(Shows("first\n"));
    EXPECT_FALSE(doc_->FindObject("level")->Selected());
    EXPECT_NE(Region(button), up) << "no pressed look";
    EXPECT_FALSE(front_.Window().CommandCentre()->toPlainText().contains("\nsecond\n"));
    QTest::mouseRelease(&View(), Qt::LeftButton, {}, QPoint(60, 32));
    EXPECT_TRUE(Shows("first\nsecond\n"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Region(button) == up; }, kWaitMs));

    // Dragged from its low end to its high end, running its list each time.
    QTest::mousePress(&View(), Qt::LeftButton, {}, QPoint(22, 90));
    EXPECT_TRUE(Shows("\n0\n"));
    QTest::mouseMove(&View(), QPoint(178, 90));
    QTest::mouseRelease(&View(), Qt::LeftButton, {}, QPoint(178, 90));
    EXPECT_TRUE(Shows("\n8\n"));
    EXPECT_EQ(Object<CSlider>("level").value, 8);

    // Typing goes into the model at once, at the caret clicked (the end of
    // the first line); Logo's insert shows in the box.
    QTest::mouseClick(&View(), Qt::LeftButton, {}, QPoint(175, 138));
    auto* editor = View().findChild<QPlainTextEdit*>();
    ASSERT_TRUE(editor && editor->isVisible());
    QTest::keyClicks(editor, " hi");
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, "yo");
    EXPECT_EQ(Object<CTextBox>("notes").text, "Some text hi\r\nyo");
    Run("talkto \"notes insert \"!");
    EXPECT_EQ(editor->toPlainText(), "Some text hi\nyo!");
    Object<CTextBox>("notes").protectedText = 1;
    front_.Window().CommandCentre()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !editor->isVisible(); }, kWaitMs));
    QTest::mouseClick(&View(), Qt::LeftButton, {}, QPoint(60, 150));
    EXPECT_FALSE(editor->isVisible()) << "a protected box took the caret";

    // After a click into the procedures page, text without a text box goes there.
    gui::ProceduresView& procedures = *front_.Window().Procedures();
    QTest::mouseClick(procedures.Editor()->viewport(), Qt::LeftButton);
    Run("insert \"|to zz end|");
    EXPECT_NE(procedures.Text().find("to zz end"), std::string::npos);
}

// The page editor shares the view: an armed tool draws, Shift selects, a
// selected object is dragged and deleted, an unselected one is used.
TEST_F(PageViewTest, EditingPressesGoToTheEditorAndTheRestToTheObjects) {
    front_.Window().ToolAction(kButtonObject)->trigger();
    QTest::mousePress(&View(), Qt::LeftButton, {}, QPoint(300, 300));
    QTest::mouseMove(&View(), QPoint(390, 330));
    QTest::mouseRelease(&View(), Qt::LeftButton, {}, QPoint(390, 330));
    ASSERT_EQ(doc_->CurrentPage()->Objects().size(), 1u);
    CPageObject& button = *doc_->CurrentPage()->Objects()[0];
    EXPECT_EQ(button.Rect(), PageRect::At({300, 300}, {90, 30}));
    EXPECT_EQ(front_.Window().ArmedTool(), 0) << "the tool stays armed";
    Run("setbuttonfunction [print \"used]");

    button.Select(false, false);
    QTest::mouseClick(&View(), Qt::LeftButton, Qt::ShiftModifier, QPoint(340, 310));
    EXPECT_TRUE(button.Selected());
    QTest::mousePress(&View(), Qt::LeftButton, {}, QPoint(340, 310));
    QTest::mouseMove(&View(), QPoint(360, 330));
    QTest::mouseRelease(&View(), Qt::LeftButton, {}, QPoint(360, 330));
    EXPECT_EQ(button.Position(), (PagePoint{320, 320}));
    EXPECT_FALSE(front_.Window().CommandCentre()->toPlainText().contains("\nused\n"));

    button.Select(false, false);
    QTest::mouseClick(&View(), Qt::LeftButton, {}, QPoint(340, 330));
    EXPECT_TRUE(Shows("\nused\n"));
    QTest::mouseClick(&View(), Qt::LeftButton, Qt::ShiftModifier, QPoint(340, 330));
    QTest::keyClick(View().Overlay(), Qt::Key_Delete);
    EXPECT_TRUE(doc_->CurrentPage()->Objects().empty());
}

TEST_F(PageViewTest, AMonitorFollowsTheSensorAndASamplingGraphDrawsOnlyItsNewPart) {
    VirtualBox* box = ControlBox_VirtualBox();
    ASSERT_NE(box, nullptr);
    box->SetReading(6, 700);
    Run("newobject \"monitor \"m [20 20] [80 20] setmonitorfunction [sensor 6] activate");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Object<CMonitor>("m").shown == "700"; }, kWaitMs));
    const QImage seven = Region(QRect(20, 20, 80, 20));
    box->SetReading(6, 300);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return Object<CMonitor>("m").shown == "300" && Region(QRect(20, 20, 80, 20)) != seven;
        },
        kWaitMs));
    // Its updates go on, showing the same value: the page is not drawn again.
    Run(".setboxname 5 \"lux newobject \"graph \"chart [150 20] [300 220] "
        "setcurvefunction 1 \".lux setinterval 2 startsample");
    // From the first new samples on, nothing but they are drawn.
    ASSERT_TRUE(QTest::qWaitFor([&] { return View().PartPaints() > 0; }, kWaitMs));
    const int full = View().FullPaints();
    const int part = View().PartPaints();
    ASSERT_TRUE(QTest::qWaitFor([&] { return View().PartPaints() >= part + 3; }, kWaitMs));
    EXPECT_EQ(View().FullPaints(), full);
    int curvePixels = 0;
    const QImage graph = Region(QRect(150, 20, 300, 220));
    for (int y = 0; y < graph.height(); ++y)
        for (int x = 0; x < graph.width(); ++x)
            curvePixels += graph.pixelColor(x, y) == CurveColour(0);
    EXPECT_GT(curvePixels, 5);

    // The read-out is drawn over the picture at the cursor, not into it.
    const QPoint inside = QPoint(150, 20) + GraphPlotArea(QSize(300, 220)).center();
    QTest::mouseMove(&View(), inside);
    const QRect margin(150 + 150, 22, 140, kGraphTopMargin - 4);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return View().grab().toImage().copy(margin) !=
                   View().Picture().copy(margin).convertToFormat(View().grab().toImage().format());
        },
        kWaitMs));
}

TEST_F(PageViewTest, TabsSwitchPagesAndPrintingWithoutAPrinterWritesAPdfPagePerPage) {
    if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "a printer would print";
    const fs::path before = fs::current_path();
    fs::current_path(config_);
    Run("newpage");
    QTabBar& tabs = *pages_->Tabs();
    ASSERT_EQ(tabs.count(), 2);
    EXPECT_EQ(tabs.currentIndex(), 1);
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(0).center());
    EXPECT_EQ(doc_->CurrentPageIndex(), 0);
    Run("getpage last pages");
    EXPECT_EQ(tabs.currentIndex(), 1);

    Run("printpage printpages");
    const auto pages = [](const fs::path& pdf) {
        std::ifstream in(pdf, std::ios::binary);
        const std::string bytes(std::istreambuf_iterator<char>(in), {});
        int count = 0;
        for (std::size_t at = bytes.find("/Type /Page"); at != std::string::npos;
             at = bytes.find("/Type /Page", at + 1))
            count += bytes.compare(at, 12, "/Type /Pages") != 0;
        return count;
    };
    EXPECT_EQ(pages(config_ / (doc_->PageNames()[1] + ".pdf")), 1);
    EXPECT_EQ(pages(config_ / "pages.pdf"), 2);
    fs::current_path(before);
}

}  // namespace
