// The setup page in the window: live readings from the simulated box, and
// edits that go through the setup's own rules.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTableWidget>
#include <QTest>
#include <string>
#include <vector>

#include "CoreVocabulary.h"
#include "LogoCore/NameTable.h"
#include "LogoTestPrimitives.h"
#include "box/BoxLink.h"
#include "box/BoxPrimitives.h"
#include "box/VirtualBox.h"
#include "gui/SetupView.h"
#include "platform/MessageBox.h"
#include "project/KinetraDoc.h"
#include "project/ProjectPrimitives.h"

namespace {

using gui::SetupView;

class SetupViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseVocabulary({CorePrimitiveFamily(), BoxPrimitiveFamily(), ProjectPrimitiveFamily()});
        doc_ = CKinetraDoc::NewProject();
        platform::SetMessageSink(
            [this](platform::MessageKind, std::string_view text) { messages_.emplace_back(text); });
        view_.resize(900, 600);
        view_.show();
    }
    void TearDown() override {
        platform::SetMessageSink({});
        doc_.reset();
        CKinetraDoc::CloseProject();
    }

    QTableWidget& Table() { return *view_.Table(); }
    QString Cell(int port, SetupView::Column column) { return Table().item(port, column)->text(); }
    // Chooses an entry of a port's device or unit list, as a click would.
    void Choose(int port, SetupView::Column column, const QString& entry) {
        auto* list = qobject_cast<QComboBox*>(Table().cellWidget(port, column));
        ASSERT_NE(list, nullptr);
        const int index = list->findText(entry);
        ASSERT_GE(index, 0) << entry.toStdString();
        list->setCurrentIndex(index);
        emit list->activated(index);
    }

    std::shared_ptr<CKinetraDoc> doc_;
    std::vector<std::string> messages_;
    SetupView view_;
};

TEST_F(SetupViewTest, AReadingSetAtTheSimulatedBoxShowsWithinASecond) {
    ASSERT_EQ(ControlBox_Open("virtual"), kOpenOk);
    VirtualBox* box = ControlBox_VirtualBox();
    ASSERT_NE(box, nullptr);
    Choose(6, SetupView::kDevice, "Light sensor");
    Choose(6, SetupView::kUnit, "Raw reading");
    EXPECT_EQ(doc_->Setup().GetPortName(6), "light7");
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->CurrentStatus().loggedOn; }, 10000));

    box->SetReading(7, 700);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Cell(6, SetupView::kReading) == "700"; }, 1000))
        << Cell(6, SetupView::kReading).toStdString();
    Table().item(6, SetupView::kOffset)->setText("-2.5");
    EXPECT_EQ(doc_->Setup().GetOffset(6), -2.5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Cell(6, SetupView::kReading) == "697.5"; }, 1000));
    ControlBox_Close();
}

TEST_F(SetupViewTest, ANameIsAppliedAndATakenOneRefusedWithItsMessage) {
    Choose(0, SetupView::kDevice, "Touch sensor");
    Choose(1, SetupView::kDevice, "Touch sensor");
    EXPECT_EQ(Cell(1, SetupView::kName), "touch2");

    Table().item(0, SetupView::kName)->setText("door");
    EXPECT_EQ(doc_->Setup().GetPortName(0), "door");
    EXPECT_TRUE(IsDefined("door"));  // a word that reads the input
    EXPECT_TRUE(doc_->Modified());

    Table().item(1, SetupView::kName)->setText("Door");
    EXPECT_EQ(messages_, std::vector<std::string>{"Door is already used as a name."});
    EXPECT_EQ(doc_->Setup().GetPortName(1), "touch2");
    EXPECT_EQ(Cell(1, SetupView::kName), "touch2");

    // Logo's changes show at the next refresh.
    EXPECT_EQ(RunLogo(".setboxname 1 \"bell .setboxaction 1 [print 1] []"), "");
    view_.Refresh();
    EXPECT_EQ(Cell(1, SetupView::kName), "bell");
    EXPECT_EQ(Cell(1, SetupView::kPressed), "print 1");
}

}  // namespace
