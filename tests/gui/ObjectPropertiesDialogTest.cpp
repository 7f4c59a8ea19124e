// The properties dialog: refusals come with their messages and change
// nothing; OK applies each kind's settings through the model.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSpinBox>

#include "gui/ObjectPropertiesDialog.h"
#include "platform/MessageBox.h"
#include "platform/TextCatalog.h"
#include "project/ProjectTestSupport.h"
#include "project/ShapeLists.h"

namespace {

using gui::ObjectPropertiesDialog;

class ObjectPropertiesDialogTest : public ProjectTest {
  protected:
    void SetUp() override {
        ProjectTest::SetUp();
        platform::SetMessageSink(
            [this](platform::MessageKind, std::string_view text) { messages_.emplace_back(text); });
    }
    void TearDown() override {
        platform::SetMessageSink({});
        ProjectTest::TearDown();
    }
    std::unique_ptr<ObjectPropertiesDialog> Open(const char* name) {
        return std::make_unique<ObjectPropertiesDialog>(doc_, doc_->FindObject(name)->Serial());
    }
    template <typename T>
    static T& Field(QWidget& dialog, const char* name) {
        T* field = dialog.findChild<T*>(QLatin1String(name));
        EXPECT_NE(field, nullptr) << name;
        return *field;
    }
    static void Choose(QWidget& dialog, const char* name, const QString& entry) {
        QComboBox& box = Field<QComboBox>(dialog, name);
        const int index = box.findText(entry);
        ASSERT_GE(index, 0) << entry.toStdString();
        box.setCurrentIndex(index);
    }
    std::vector<std::string> messages_;
};

TEST_F(ObjectPropertiesDialogTest, RefusalsShowTheirMessageAndChangeNothing) {
    doc_->NewObject(kButtonObject, "go", {10, 10}, {60, 20});
    CPageObject& speed = doc_->NewObject(kSliderObject, "speed", {10, 60}, {150, 18});
    struct Case {
        const char* name;
        std::string message;
    };
    const Case refused[] = {
        {"GO", platform::FormatResource(20021, {"GO"})},        // another object's, any case
        {"print", platform::FormatResource(20021, {"print"})},  // a primitive's
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.name);
        messages_.clear();
        auto dialog = Open("speed");
        Field<QLineEdit>(*dialog, "name").setText(c.name);
        Field<QCheckBox>(*dialog, "showName").setChecked(false);
        dialog->accept();
        EXPECT_NE(dialog->result(), QDialog::Accepted);
        ASSERT_EQ(messages_.size(), 1u);
        EXPECT_EQ(messages_[0], c.message);
        EXPECT_EQ(speed.Name(), "speed");
        EXPECT_TRUE(speed.NameShown());
    }
    auto respelt = Open("speed");
    Field<QLineEdit>(*respelt, "name").setText("Speed");
    respelt->accept();
    EXPECT_EQ(respelt->result(), QDialog::Accepted);
    EXPECT_EQ(speed.Name(), "Speed");

    // A fixed-size shape takes its own size, and refuses any other.
    const auto fixed = std::find_if(ButtonShapes().begin(), ButtonShapes().end(),
                                    [](const ButtonShape& shape) { return shape.FixedSize(); });
    ASSERT_NE(fixed, ButtonShapes().end());
    auto shaped = Open("go");
    Choose(*shaped, "shape", QString::fromStdString(fixed->name));
    shaped->accept();
    CPageObject& go = *doc_->FindObject("go");
    EXPECT_EQ(go.Size(), fixed->fixedSize);
    messages_.clear();
    auto resized = Open("go");
    Field<QSpinBox>(*resized, "width").setValue(fixed->fixedSize.width + 20);
    resized->accept();
    EXPECT_NE(resized->result(), QDialog::Accepted);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], platform::FormatResource(20075, {"go"}));
    EXPECT_EQ(go.Size(), fixed->fixedSize);
}

TEST_F(ObjectPropertiesDialogTest, OkAppliesEachKindAndMarksTheProjectModified) {
    FillProject(*doc_, 10);  // the setup names its input 0 "Door"
    doc_->SetModified(false);

    auto slider = Open("speed");
    Field<QDoubleSpinBox>(*slider, "minimum").setValue(7);
    Field<QDoubleSpinBox>(*slider, "maximum").setValue(9);
    Choose(*slider, "orientation", "Upright");
    Field<QLineEdit>(*slider, "function").setText("make \"seen speed");
    slider->accept();
    const CPageObject& speed = *doc_->FindObject("speed");
    const CSlider& s = *speed.As<CSlider>();
    EXPECT_EQ(s.minimum, 7);
    EXPECT_EQ(s.value, 7) << "the value follows the new limits";
    EXPECT_EQ(s.orientation, 0);
    EXPECT_GT(speed.Size().height, speed.Size().width) << "turned upright";
    EXPECT_EQ(s.function, "make \"seen speed");
    EXPECT_TRUE(doc_->Modified());

    auto graph = Open("Chart");
    Choose(*graph, "curve2", "Door");
    Field<QLineEdit>(*graph, "yCaption").setText("light");
    Field<QDoubleSpinBox>(*graph, "yMaximum").setValue(500);
    graph->adjustSize();
    const QByteArray keep = qgetenv("KINETRA_DIALOG_PICTURE");
    if (!keep.isEmpty()) graph->grab().save(QString::fromLocal8Bit(keep));
    graph->accept();
    const CGraph& chart = *doc_->FindObject("Chart")->As<CGraph>();
    EXPECT_EQ(chart.curveFunctions[1], "Door");
    EXPECT_EQ(chart.curveFunctions[0], "sensor 1") << "a source kept though no input has it";
    EXPECT_EQ(chart.yCaption, "light");
    EXPECT_EQ(chart.yMaximum, 500);
    EXPECT_EQ(chart.curves[0].size(), 10u) << "the interval, unchanged, keeps the curves";

    auto notes = Open("notes");
    Field<QCheckBox>(*notes, "protected").setChecked(false);
    Field<QCheckBox>(*notes, "border").setChecked(false);
    notes->accept();
    EXPECT_EQ(doc_->FindObject("notes")->As<CTextBox>()->protectedText, 0);
    EXPECT_FALSE(doc_->FindObject("notes")->Border());
}

}  // namespace
