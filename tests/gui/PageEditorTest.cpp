// The page editor driven as the mouse and the Edit menu drive it: tools,
// trackers, moving, resizing, undo, the clipboard between two projects, and
// the overlay drawn over a rendered page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "gui/MainWindow.h"
#include "gui/PageEditOverlay.h"
#include "gui/PageEditor.h"
#include "platform/Archive.h"
#include "project/ClipboardRecord.h"
#include "project/PageRenderer.h"
#include "project/ProjectTestSupport.h"

namespace {

using gui::PageEditor;

class PageEditorTest : public ProjectTest {
  protected:
    void SetUp() override {
        ProjectTest::SetUp();
        editor_ = std::make_unique<PageEditor>(doc_, doc_->CurrentPage());
    }
    void TearDown() override {
        editor_.reset();
        ProjectTest::TearDown();
    }
    void DragFrom(PagePoint from, PagePoint to, int tool = 0, bool shift = false) {
        editor_->Press(from, shift, tool);
        editor_->Drag(to);
        editor_->Release(to);
    }
    CPage& Page() { return *editor_->Page(); }
    std::unique_ptr<PageEditor> editor_;
};

std::vector<uint8_t> FileRecord(const CPageObject& object) {
    platform::ArchiveWriter out;
    object.Write(out);
    return out.Bytes();
}

TEST_F(PageEditorTest, ToolBandGivesTheDefaultSizeBelowTheMinimumAndTheBandAbove) {
    struct Case {
        int type;
        PagePoint from, to;
        const char* name;
        PageSize size;
    };
    const Case cases[] = {
        {kButtonObject, {10, 10}, {10, 10}, "button1", {60, 20}},  // a click
        {kButtonObject, {90, 60}, {10, 10}, "button2", {80, 50}},  // dragged up and left
        {kPictureBoxObject, {0, 0}, {100, 7}, "picture1", {150, 120}},
        {kMonitorObject, {0, 0}, {9, 30}, "monitor1", {60, 18}},
        {kMonitorObject, {0, 0}, {10, 10}, "monitor2", {10, 10}},
        {kTextBoxObject, {0, 0}, {40, 30}, "text1", {40, 30}},
        {kGraphObject, {0, 0}, {300, 100}, "graph1", {210, 180}},
        {kGraphObject, {0, 0}, {300, 250}, "graph2", {300, 250}},
    };
    QSignalSpy used(editor_.get(), &PageEditor::toolUsed);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DragFrom(c.from, c.to, c.type);
        const CPageObject& made = *Page().Objects().back();
        EXPECT_EQ(made.Name(), c.name);
        EXPECT_EQ(made.Type(), c.type);
        EXPECT_EQ(made.Size(), c.size);
        EXPECT_EQ(made.Position(),
                  (PagePoint{std::min(c.from.x, c.to.x), std::min(c.from.y, c.to.y)}));
    }
    EXPECT_EQ(used.count(), static_cast<int>(std::size(cases)));
    EXPECT_TRUE(doc_->Modified());

    // A slider judges each side alone; the band's shape gives its orientation.
    EXPECT_EQ(gui::ToolObjectSize(kSliderObject, {5, 40}), (PageSize{18, 40}));
    EXPECT_EQ(gui::ToolObjectSize(kSliderObject, {5, 5}), (PageSize{150, 18}));
    EXPECT_EQ(gui::ToolObjectSize(kSliderObject, {200, 3}), (PageSize{200, 18}));
    EXPECT_EQ(gui::ToolObjectSize(kSliderObject, {4, 8}), (PageSize{18, 150}));
    DragFrom({0, 0}, {4, 80}, kSliderObject);
    EXPECT_EQ(Page().Objects().back()->As<CSlider>()->orientation, 0);

    // Undoing a creation takes the object and its name away; redo brings both.
    const std::size_t count = Page().Objects().size();
    editor_->Undo().undo();
    EXPECT_EQ(Page().Objects().size(), count - 1);
    EXPECT_EQ(doc_->FindObject("slider1"), nullptr);
    editor_->Undo().redo();
    EXPECT_NE(doc_->FindObject("slider1"), nullptr);
}

TEST_F(PageEditorTest, MoveResizeAndDeleteAreUndoneInTurn) {
    CPageObject& a = doc_->NewObject(kTextBoxObject, "a", {50, 50}, {100, 80});
    CPageObject& b = doc_->NewObject(kTextBoxObject, "b", {100, 131}, {100, 80});
    doc_->NewObject(kButtonObject, "c", {300, 300}, {60, 20});
    // a's bottom middle handle and b's top left one both hold the point:
    // the later object's wins.
    a.Select(false, true);
    b.Select(false, true);
    DragFrom({100, 130}, {90, 121});
    EXPECT_EQ(b.Rect(), (PageRect{90, 122, 200, 211})) << "b is resized from its top left";
    EXPECT_EQ(a.Rect(), (PageRect{50, 50, 150, 130})) << "a stays";

    // Dragging the inside moves every selected object; a bottom-right handle
    // dragged past the top left stops at the type's minimum.
    DragFrom({120, 120}, {130, 125});
    EXPECT_EQ(a.Position(), (PagePoint{60, 55}));
    EXPECT_EQ(b.Position(), (PagePoint{100, 127}));
    a.Select(false, false);
    DragFrom({b.Rect().right, b.Rect().bottom}, {0, 0});
    EXPECT_EQ(b.Rect(), (PageRect{100, 127, 108, 135}));

    editor_->Undo().undo();
    EXPECT_EQ(b.Rect(), (PageRect{100, 127, 210, 216}));
    editor_->Undo().undo();
    EXPECT_EQ(a.Position(), (PagePoint{50, 50}));
    EXPECT_EQ(b.Rect(), (PageRect{90, 122, 200, 211}));
    editor_->Undo().undo();
    EXPECT_EQ(b.Rect(), (PageRect{100, 131, 200, 211}));

    // Delete takes the selected objects and their names; undo puts them back
    // in their places in the list, the same objects under the same names.
    editor_->SelectAll();
    Page().Objects()[2]->Select(false, false);
    const int32_t serialA = a.Serial(), serialB = b.Serial();
    doc_->SetModified(false);
    editor_->DeleteSelected();
    EXPECT_TRUE(doc_->Modified());
    ASSERT_EQ(Page().Objects().size(), 1u);
    EXPECT_EQ(doc_->FindObject("a"), nullptr);
    editor_->Undo().undo();
    ASSERT_EQ(Page().Objects().size(), 3u);
    EXPECT_EQ(Page().Objects()[0]->Serial(), serialA);
    EXPECT_EQ(Page().Objects()[1]->Serial(), serialB);
    EXPECT_EQ(doc_->FindObject("b"), Page().Objects()[1].get());
    EXPECT_EQ(Page().Objects()[1]->Rect(), (PageRect{100, 131, 200, 211}));
    editor_->Undo().redo();
    EXPECT_EQ(Page().Objects().size(), 1u);

    // Logo removes the page: the editor lets it go, and undo has no page to
    // put the objects back on.
    CPage& gone = Page();
    doc_->NewPage("other");
    doc_->RemovePage(gone);
    EXPECT_EQ(editor_->Page(), nullptr);
    editor_->Press({120, 120}, false, 0);
    editor_->Undo().undo();
    EXPECT_EQ(doc_->FindObject("a"), nullptr);
}

TEST_F(PageEditorTest, RectangleSelectionAndShiftClick) {
    CPageObject& chart = doc_->NewObject(kGraphObject, "chart", {0, 0}, {210, 180});
    CPageObject& still = doc_->NewObject(kGraphObject, "still", {220, 0}, {210, 180});
    CPageObject& far = doc_->NewObject(kButtonObject, "far", {500, 400}, {60, 20});
    CGraph& graph = *chart.As<CGraph>();
    graph.curveFunctions[0] = "light";
    graph.Activate(true, [](const std::string&, uint32_t) { return 1.0; });
    DragFrom({600, 300}, {100, 100});
    EXPECT_FALSE(chart.Selected()) << "a sampling graph is never selected by a rectangle";
    EXPECT_TRUE(still.Selected());
    EXPECT_FALSE(far.Selected());
    // A sampling graph's tracker has no handles: its border moves it.
    EXPECT_FALSE(gui::Resizable(chart));
    graph.Activate(false);

    editor_->Press({510, 410}, true, 0);
    editor_->Release({510, 410});
    EXPECT_TRUE(far.Selected());
    EXPECT_TRUE(still.Selected());
    editor_->Press({510, 410}, true, 0);
    editor_->Release({510, 410});
    EXPECT_FALSE(far.Selected());
    // A click on empty page without Shift clears the selection; a click on
    // an object selects it alone and, not moving it, leaves the project as
    // it was.
    DragFrom({480, 10}, {480, 10});
    EXPECT_FALSE(still.Selected());
    doc_->SetModified(false);
    DragFrom({510, 410}, {510, 410});
    EXPECT_TRUE(far.Selected());
    EXPECT_FALSE(doc_->Modified());
}

TEST_F(PageEditorTest, EveryKindCopiedToTheClipboardPastesIntoAnotherProject) {
    FillProject(*doc_, 10);
    QClipboard& clipboard = *QApplication::clipboard();
    const auto source = doc_;
    std::vector<std::vector<uint8_t>> records;
    std::vector<PageRect> places;
    std::vector<std::unique_ptr<PageEditor>> copiers;
    for (const auto& page : source->Pages()) {
        page->SelectAll(true);
        copiers.push_back(std::make_unique<PageEditor>(source, page.get()));
    }
    doc_ = CKinetraDoc::NewProject();
    // As the closed project leaves them (a monitor stops when its project
    // closes), which is what is copied.
    for (const auto& page : source->Pages())
        for (const auto& object : page->Objects()) records.push_back(FileRecord(*object));
    ASSERT_EQ(records.size(), 6u);
    doc_->Pictures().Add(DotPicture("dot"));
    PageEditor pasting(doc_, doc_->CurrentPage());
    for (auto& copier : copiers) {
        ASSERT_TRUE(copier->Copy(clipboard));
        EXPECT_TRUE(clipboard.mimeData()->hasFormat(kClipboardFormat));
        ASSERT_TRUE(pasting.Paste(clipboard));
    }
    const auto& pasted = doc_->CurrentPage()->Objects();
    ASSERT_EQ(pasted.size(), records.size());
    for (std::size_t i = 0; i < pasted.size(); ++i) {
        SCOPED_TRACE(pasted[i]->Name());
        EXPECT_EQ(FileRecord(*pasted[i]), records[i]) << "the same object, in the same place";
        EXPECT_EQ(doc_->FindObject(pasted[i]->Name()), pasted[i].get());
        EXPECT_EQ(pasted[i]->Selected(), i >= 3) << "only the last paste stays selected";
    }
    EXPECT_NE(pasted[2]->As<CPictureBox>()->picture, nullptr) << "this project's own picture";

    // Pasted again onto the same page: offset, and renamed from the stem.
    const PageRect speed = doc_->FindObject("speed")->Rect();
    ASSERT_TRUE(pasting.Paste(clipboard));
    const CPageObject* again = doc_->FindObject("speed1");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Rect(),
              (PageRect{speed.left + 10, speed.top + 10, speed.right + 10, speed.bottom + 10}));
    EXPECT_FALSE(doc_->FindObject("speed")->Selected());
    pasting.Undo().undo();
    EXPECT_EQ(doc_->FindObject("speed1"), nullptr);
    EXPECT_EQ(doc_->CurrentPage()->Objects().size(), 6u);

    // Cut copies and deletes; a clipboard without the format pastes nothing.
    doc_->CurrentPage()->SelectAll(false);
    doc_->FindObject("go")->Select(false, true);
    ASSERT_TRUE(pasting.Cut(clipboard));
    EXPECT_EQ(doc_->FindObject("go"), nullptr);
    ASSERT_TRUE(pasting.Paste(clipboard));
    EXPECT_NE(doc_->FindObject("go"), nullptr);
    clipboard.setText("go");
    EXPECT_FALSE(pasting.Paste(clipboard));
    copiers.clear();
}

// The Edit menu reaches the editor through its overlay when that has the
// focus, and a disarmed tool follows the editor's creation.
TEST_F(PageEditorTest, EditMenuActsOnTheFocusedOverlay) {
    CPageObject& a = doc_->NewObject(kButtonObject, "a", {10, 10}, {60, 20});
    doc_->NewObject(kButtonObject, "b", {10, 50}, {60, 20});
    gui::MainWindow window;
    auto* overlay = new gui::PageEditOverlay(*editor_);
    overlay->SetArmedTool([&] { return window.ArmedTool(); });
    QObject::connect(editor_.get(), &PageEditor::toolUsed, &window, &gui::MainWindow::DisarmTool);
    window.SetChildContent(gui::MainWindow::Child::kPage, overlay);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    overlay->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == overlay; }));
    const auto run = [&](const QString& text) {
        for (QAction* menu : window.menuBar()->actions())
            for (QAction* action : menu->menu() ? menu->menu()->actions() : QList<QAction*>{})
                if (action->text().remove(QLatin1Char('&')) == text) return action->trigger();
        FAIL() << text.toStdString();
    };
    doc_->FindObject("b")->Select(false, true);
    run("Send to back");
    EXPECT_EQ(Page().Objects()[0]->Name(), "b");
    run("Select all");
    EXPECT_TRUE(a.Selected());
    run("Delete");
    EXPECT_TRUE(Page().Objects().empty());
    // The keys too, in the overlay.
    QTest::keyClick(overlay, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(overlay, Qt::Key_Delete);
    EXPECT_TRUE(Page().Objects().empty());
    run("Undo");
    EXPECT_EQ(Page().Objects().size(), 2u);
    run("Undo");
    EXPECT_EQ(Page().Objects()[0]->Name(), "a") << "the old order back";

    window.SetPageViewAvailable(true);
    window.ToolAction(kMonitorObject)->trigger();
    QTest::mouseClick(overlay, Qt::LeftButton, {}, QPoint(200, 100));
    EXPECT_NE(doc_->FindObject("monitor1"), nullptr);
    EXPECT_EQ(window.ArmedTool(), 0);
}

// The overlay drawn over the page as the view will show it; with
// KINETRA_EDITOR_PICTURE set, the picture is kept there to be looked at.
TEST_F(PageEditorTest, OverlayDrawsTrackersAndBandOverTheRenderedPage) {
    doc_->NewObject(kButtonObject, "go", {40, 60}, {80, 26});
    CPageObject& notes = doc_->NewObject(kTextBoxObject, "notes", {160, 40}, {150, 100});
    doc_->NewObject(kSliderObject, "speed", {40, 170}, {200, 18});
    notes.Select(false, true);
    doc_->FindObject("go")->Select(false, true);
    editor_->Press({350, 200}, false, kMonitorObject);
    editor_->Drag({450, 240});

    QImage image(480, 280, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        auto hold = doc_->Lock();
        PaintPage(painter, Page(), doc_->Pictures(), image.size());
        gui::PageEditOverlay::PaintSelection(painter, *editor_);
    }
    const QByteArray keep = qgetenv("KINETRA_EDITOR_PICTURE");
    if (!keep.isEmpty()) image.save(QString::fromLocal8Bit(keep));
    const QColor tracker(0, 90, 200);
    // A handle at the tracker's corner, one pixel outside the text box.
    EXPECT_EQ(image.pixelColor(159, 39), tracker);
    EXPECT_EQ(image.pixelColor(235, 140), tracker) << "bottom middle handle";
    EXPECT_NE(image.pixelColor(400, 220), image.pixelColor(470, 260)) << "the band is tinted";
    EXPECT_NE(image.pixelColor(39, 169), tracker) << "the slider is not selected";
    editor_->Release({450, 240});
    EXPECT_EQ(doc_->FindObject("monitor1")->Rect(), (PageRect{350, 200, 450, 240}));
}

}  // namespace
