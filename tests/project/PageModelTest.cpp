// The page model: making objects and pages, the name rules, deleting, the
// order on the page, selecting and finding what is under the pointer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LogoCore/NameTable.h"
#include "LogoTestPrimitives.h"
#include "ProjectTestSupport.h"

namespace {

class PageModel : public ProjectTest {};

TEST_F(PageModel, ObjectsAreMadeAtLeastTheirTypesMinimumSize) {
    struct Case {
        int32_t type;
        PageSize asked;
        PageSize made;
    };
    const Case cases[] = {
        {2, {100, 100}, {210, 180}},  // a graph
        {1, {2, 50}, {8, 50}},        // a picture box
        {3, {1, 1}, {3, 3}},          // a button
        {6, {20, 5}, {20, 10}},       // a monitor
        {7, {300, 4}, {300, 8}},      // a text box
        {4, {150, 40}, {150, 18}},    // a lying slider: its style's height
    };
    int n = 0;
    for (const Case& c : cases) {
        const CPageObject& made =
            doc_->NewObject(c.type, "o" + std::to_string(++n), {3, 4}, c.asked);
        EXPECT_EQ(made.Size(), c.made) << "type " << c.type;
        EXPECT_EQ(made.Position(), (PagePoint{3, 4}));
        EXPECT_EQ(made.Border(), c.type != 4);
    }
    EXPECT_EQ(ErrorTextOf([&] { doc_->NewObject(5, "five", {}, {}); }),
              Message(-15, {"**create**"}));
    EXPECT_EQ(doc_->CurrentPage()->Objects().size(), 6u);
}

TEST_F(PageModel, NamesAreOneSpaceAcrossPagesInAnyCase) {
    CPageObject& box = doc_->NewObject(7, "Notes", {}, {});
    doc_->ActivatePage(doc_->NewPage());
    EXPECT_EQ(ErrorTextOf([&] { doc_->NewObject(1, "NOTES", {}, {}); }), Message(-21, {"NOTES"}));
    EXPECT_EQ(doc_->CurrentPage()->Objects().size(), 0u);
    EXPECT_EQ(ErrorTextOf([&] { doc_->NewObject(1, "print", {}, {}); }), Message(-21, {"print"}));
    EXPECT_EQ(ErrorTextOf([&] { doc_->NewObject(1, "procedures", {}, {}); }),
              Message(-21, {"procedures"}));
    ASSERT_EQ(Define("to spin\r\nend\r\n"), "");
    CPageObject& pic = doc_->NewObject(1, "pic", {}, {});
    EXPECT_EQ(ErrorTextOf([&] { doc_->Rename(pic, "SPIN"); }), Message(-21, {"SPIN"}));

    // Its own name in other letters is no clash; the word follows the name.
    doc_->Rename(box, "NOTES");
    EXPECT_EQ(box.Name(), "NOTES");
    box.As<CTextBox>()->text = "hi";
    EXPECT_EQ(EvalLogo("notes"), "hi");
    doc_->Rename(box, "memo");
    EXPECT_FALSE(IsDefined("notes"));
    EXPECT_EQ(EvalLogo("memo"), "hi");
    EXPECT_EQ(doc_->FindObject("Memo"), &box);
    EXPECT_EQ(doc_->FindObject("notes"), nullptr);
}

TEST_F(PageModel, ASlidersNameReportsItsValueUntilItIsDeleted) {
    CPageObject& slider = doc_->NewObject(4, "speed", {}, {});
    EXPECT_EQ(EvalLogo("speed * 2"), "8");
    slider.As<CSlider>()->wholeNumbers = 0;
    slider.As<CSlider>()->value = 2.25;
    EXPECT_EQ(EvalLogo("speed"), "2.25");
    doc_->Delete(slider);
    EXPECT_FALSE(IsDefined("speed"));
    EXPECT_FALSE(doc_->LookupName("speed"));
    EXPECT_TRUE(doc_->CurrentPage()->Objects().empty());
    doc_->NewObject(1, "speed", {}, {});  // the name is free again
    doc_->NewObject(1, "picture1", {}, {});
    EXPECT_EQ(doc_->UniqueName("Picture"), "Picture2");
}

TEST_F(PageModel, PagesAreNamedCountedAndRemoved) {
    EXPECT_EQ(doc_->PageNames(), std::vector<std::string>{"page1"});
    doc_->NewPage("page3");
    doc_->NewPage();
    EXPECT_EQ(doc_->PageNames(), (std::vector<std::string>{"page1", "page3", "page2"}));
    while (doc_->PageCount() < CKinetraDoc::kMaxPages) doc_->NewPage();
    EXPECT_EQ(ErrorTextOf([&] { doc_->NewPage(); }), Message(-25, {"100"}));
    EXPECT_EQ(doc_->PageCount(), 100u);

    // Removing the current page makes the next current, or the one before
    // when it was the last; its objects' names go with it.
    doc_->ActivatePage(*doc_->FindPage("page3"));
    doc_->NewObject(6, "watch", {}, {});
    doc_->RemovePage(*doc_->FindPage("page3"));
    EXPECT_EQ(doc_->CurrentPage()->Name(), "page2");
    EXPECT_FALSE(doc_->LookupName("watch"));
    doc_->ActivatePage(*doc_->Pages().back());
    doc_->RemovePage(*doc_->Pages().back());
    EXPECT_EQ(doc_->CurrentPage(), doc_->Pages().back().get());
}

TEST_F(PageModel, SelectingStackingAndTheTrackerUnderThePointer) {
    CPage& page = *doc_->CurrentPage();
    CPageObject& a = doc_->NewObject(1, "a", {0, 0}, {50, 50});
    CPageObject& b = doc_->NewObject(1, "b", {40, 40}, {50, 50});
    CPageObject& c = doc_->NewObject(1, "c", {200, 200}, {20, 20});
    EXPECT_EQ(page.ObjectAt({45, 45}), &a);  // the first in list order
    EXPECT_EQ(page.ObjectAt({100, 100}), nullptr);

    page.SelectIn({60, 60, 0, 0});  // a rectangle given backwards
    EXPECT_TRUE(a.Selected() && b.Selected());
    EXPECT_FALSE(c.Selected());
    // Trackers lie one pixel outside: at (40, 40) a's inside meets b's
    // top-left handle, and the handle wins.
    EXPECT_EQ(page.TrackerAt({40, 40}).object, &b);
    EXPECT_EQ(page.TrackerAt({40, 40}).part, TrackerPart::kTopLeft);
    // Both handles under the pointer: the later object's.
    CPageObject& d = doc_->NewObject(1, "d", {50, 50}, {30, 30});
    d.Select(false, true);
    EXPECT_EQ(page.TrackerAt({50, 50}).object, &d);
    // Only insides: the first.
    EXPECT_EQ(page.TrackerAt({45, 45}).object, &a);

    c.Select(true, false);
    b.Select(true, false);
    page.StackSelected(true);  // a, c and d to the top, in their order
    std::vector<std::string> order;
    for (const auto& object : page.Objects()) order.push_back(object->Name());
    EXPECT_EQ(order, (std::vector<std::string>{"b", "a", "c", "d"}));
    page.SelectAll(false);
    b.Select(true, false);
    page.StackSelected(false);
    EXPECT_EQ(page.Objects().front().get(), &b);
}

}  // namespace
