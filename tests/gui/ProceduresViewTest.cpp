// The procedures page in the window: defined when the user leaves it,
// errors printed with their line, Logo's colours, and the find bar.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QVBoxLayout>
#include <string>
#include <thread>

#include "CoreVocabulary.h"
#include "LogoTestPrimitives.h"
#include "box/BoxPrimitives.h"
#include "gui/LogoHighlighter.h"
#include "gui/ProceduresView.h"
#include "project/KinetraDoc.h"
#include "project/ProjectPrimitives.h"

namespace {

class ProceduresViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseVocabulary({CorePrimitiveFamily(), BoxPrimitiveFamily(), ProjectPrimitiveFamily()});
        CKinetraDoc::NewProject();
        auto* layout = new QVBoxLayout(&window_);
        view_ = new gui::ProceduresView;
        other_ = new QLineEdit;
        layout->addWidget(view_);
        layout->addWidget(other_);
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }
    void TearDown() override { CKinetraDoc::CloseProject(); }

    // Types the text into the page and leaves it for the other field.
    void TypeAndLeave(const QString& text) {
        view_->Editor()->setFocus();
        view_->Editor()->selectAll();
        const QStringList lines = text.split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0) QTest::keyClick(view_->Editor(), Qt::Key_Return);
            QTest::keyClicks(view_->Editor(), lines[i]);
        }
        other_->setFocus();
    }

    QWidget window_;
    gui::ProceduresView* view_;
    QLineEdit* other_;
};

TEST_F(ProceduresViewTest, ThePageIsDefinedWhenLeftAndErrorsNameTheirLine) {
    TypeAndLeave("to double :n\noutput :n * 2\nend\n");
    EXPECT_EQ(EvalLogo("double 21"), "42");
    // A Logo thread reads the page and locks it (lockproject).
    std::string read;
    std::thread logo([&] {
        read = view_->Text();
        view_->SetReadOnly(true);
    });
    logo.join();
    EXPECT_EQ(read, "to double :n\r\noutput :n * 2\r\nend\r\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return view_->Editor()->isReadOnly(); }, 1000));
    view_->SetReadOnly(false);

    // What Logo writes lands on a line of its own and is defined on leaving.
    view_->Append("make \"x 5\r\nto three\r\noutput 3\r\nend");
    EXPECT_EQ(view_->Text(),
              "to double :n\r\noutput :n * 2\r\nend\r\nmake \"x 5\r\nto three\r\noutput 3\r\nend");
    view_->DefineNow();
    EXPECT_EQ(EvalLogo("three"), "3");

    CaptureHost host;
    TypeAndLeave("to half :n\noutput :n / 2\nend\nto bad\nprint ]\nend\n");
    EXPECT_EQ(host.Text(),
              "Line 5 of the procedures page: There is a ] here without a [ before it.\r\n");
    // Leaving an unchanged page defines nothing again, so nothing is printed.
    host.Clear();
    view_->Editor()->setFocus();
    other_->setFocus();
    EXPECT_EQ(host.Text(), "");
}

TEST_F(ProceduresViewTest, PrimitivesNumbersAndCommentsAreColouredApart) {
    view_->Editor()->setPlainText("to go\nprint 12 ; twelve\nend");
    const auto formatAt = [&](int line, int column) {
        const QTextBlock block = view_->Editor()->document()->findBlockByNumber(line);
        for (const QTextLayout::FormatRange& range : block.layout()->formats())
            if (column >= range.start && column < range.start + range.length) return range.format;
        return QTextCharFormat();
    };
    using Kind = gui::LogoHighlighter::Kind;
    const gui::LogoHighlighter& colours = *view_->Highlighter();
    EXPECT_EQ(formatAt(0, 0), colours.Format(Kind::Definition));
    EXPECT_EQ(formatAt(0, 3), colours.Format(Kind::Definition));  // the procedure's name
    EXPECT_EQ(formatAt(1, 0), colours.Format(Kind::Primitive));
    EXPECT_EQ(formatAt(1, 6), colours.Format(Kind::Number));
    EXPECT_EQ(formatAt(1, 11), colours.Format(Kind::Comment));
    EXPECT_EQ(formatAt(2, 0), colours.Format(Kind::Definition));
    EXPECT_NE(colours.Format(Kind::Primitive), colours.Format(Kind::Number));
    EXPECT_NE(colours.Format(Kind::Number), colours.Format(Kind::Comment));
    EXPECT_NE(colours.Format(Kind::Primitive), colours.Format(Kind::Comment));

    // A project's own page colour comes with its text.
    CKinetraDoc::Current()->Settings().proceduresColour = {200, 230, 255};
    CKinetraDoc::Current()->Settings().proceduresColourFollowsSystem = 0;
    view_->Load("to go\r\nend\r\n");
    EXPECT_EQ(view_->Editor()->palette().color(QPalette::Base), QColor(200, 230, 255));
}

TEST_F(ProceduresViewTest, FindMovesToTheNextMatchInAnyCaseRoundTheEnd) {
    view_->Editor()->setPlainText("to go\nprint \"Motor\nend\n; the MOTOR turns");
    view_->Editor()->setFocus();
    QTest::keyClick(view_->Editor(), Qt::Key_F, Qt::ControlModifier);
    auto* field = view_->findChild<QLineEdit*>();
    ASSERT_TRUE(field && field->isVisible());
    QTest::keyClicks(field, "motor");
    const auto caret = [&] {
        const QTextCursor at = view_->Editor()->textCursor();
        return std::make_pair(at.blockNumber(), at.positionInBlock());
    };
    EXPECT_EQ(caret(), std::make_pair(1, 12));  // the match is selected as typed
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(caret(), std::make_pair(3, 11));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(caret(), std::make_pair(1, 12));
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(field->isVisible());
}

}  // namespace
