#include "gui/PropertySections.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <limits>

#include "platform/TextCatalog.h"
#include "project/KinetraDoc.h"
#include "project/ObjectActions.h"
#include "project/ShapeLists.h"
#include "project/TextDrawing.h"

namespace gui {

namespace {

constexpr int kFixedShapeMessage = 20075;
const char kNoSource[] = "(none)";

QLineEdit* TextField(const std::string& text, const char* name, QWidget* parent) {
    auto* field = new QLineEdit(QString::fromStdString(text), parent);
    field->setObjectName(QLatin1String(name));
    return field;
}

std::string Text(const QLineEdit* field) {
    return field->text().toStdString();
}

QCheckBox* Flag(const QString& label, bool on, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(label, parent);
    box->setChecked(on);
    box->setObjectName(QLatin1String(name));
    return box;
}

QDoubleSpinBox* Number(double value, const char* name, QWidget* parent) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setDecimals(3);
    box->setRange(-1e9, 1e9);
    box->setValue(value);
    return box;
}

// A list of names to choose from, the current one first chosen (added when
// the list lacks it, so that what the object has is never lost).
QComboBox* Choice(const std::vector<std::string>& names, const std::string& current,
                  const char* name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    for (const std::string& entry : names) box->addItem(QString::fromStdString(entry));
    const QString now = QString::fromStdString(current);
    int index = box->findText(now, Qt::MatchFixedString);
    if (index < 0) {
        box->addItem(now);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
    return box;
}

std::string Chosen(const QComboBox* box) {
    return box->currentText().toStdString();
}

QFormLayout* Form(QWidget* section) {
    auto* form = new QFormLayout(section);
    form->setContentsMargins(0, 0, 0, 0);
    return form;
}

class ButtonSection final : public PropertySection {
  public:
    ButtonSection(const CPageButton& button, QWidget* parent) : PropertySection(parent) {
        QFormLayout* form = Form(this);
        first_ = TextField(button.firstList, "firstList", this);
        second_ = TextField(button.secondList, "secondList", this);
        mode_ = new QComboBox(this);
        mode_->setObjectName(QStringLiteral("mode"));
        mode_->addItems(
            {tr("Momentary (the second list on release)"), tr("Toggle (the lists in turn)")});
        mode_->setCurrentIndex(button.mode == 0 ? 0 : 1);
        std::vector<std::string> shapes;
        for (const ButtonShape& shape : ButtonShapes()) shapes.push_back(shape.name);
        shape_ = Choice(shapes, button.shape, "shape", this);
        form->addRow(tr("When pressed:"), first_);
        form->addRow(tr("When released:"), second_);
        form->addRow(tr("Mode:"), mode_);
        form->addRow(tr("Shape:"), shape_);
    }
    QString Check(const CPageObject& object, QSize size) const override {
        const ButtonShape* shape = FindButtonShape(Chosen(shape_));
        if (size.isValid() && shape && shape->FixedSize() &&
            !(PageSize{size.width(), size.height()} == shape->fixedSize))
            return QString::fromStdString(
                platform::FormatResource(kFixedShapeMessage, {object.Name()}));
        return {};
    }
    void Apply(CKinetraDoc& doc, CPageObject& object) override {
        CPageButton& button = *object.As<CPageButton>();
        button.firstList = Text(first_);
        button.secondList = Text(second_);
        // A toggle keeps its own non-zero mode.
        if ((mode_->currentIndex() == 0) != (button.mode == 0))
            button.mode = mode_->currentIndex() == 0 ? 0 : 1;
        if (Chosen(shape_) != button.shape) SetObjectShape(doc, object, Chosen(shape_));
    }

  private:
    QLineEdit* first_;
    QLineEdit* second_;
    QComboBox* mode_;
    QComboBox* shape_;
};

class SliderSection final : public PropertySection {
  public:
    SliderSection(const CSlider& slider, QWidget* parent) : PropertySection(parent) {
        QFormLayout* form = Form(this);
        minimum_ = Number(slider.minimum, "minimum", this);
        maximum_ = Number(slider.maximum, "maximum", this);
        std::vector<std::string> styles;
        for (const SliderStyle& style : SliderStyles()) styles.push_back(style.name);
        style_ = Choice(styles, slider.style, "style", this);
        orientation_ = new QComboBox(this);
        orientation_->setObjectName(QStringLiteral("orientation"));
        orientation_->addItems({tr("Upright"), tr("Lying")});
        orientation_->setCurrentIndex(slider.orientation == 0 ? 0 : 1);
        whole_ = Flag(tr("Whole numbers only"), slider.wholeNumbers != 0, "wholeNumbers", this);
        function_ = TextField(slider.function, "function", this);
        form->addRow(tr("Minimum:"), minimum_);
        form->addRow(tr("Maximum:"), maximum_);
        form->addRow(tr("Style:"), style_);
        form->addRow(tr("Orientation:"), orientation_);
        form->addRow(QString(), whole_);
        form->addRow(tr("When set:"), function_);
    }
    void Apply(CKinetraDoc& doc, CPageObject& object) override {
        CSlider& slider = *object.As<CSlider>();
        slider.function = Text(function_);
        slider.wholeNumbers = whole_->isChecked();
        if (Chosen(style_) != slider.style) SetObjectShape(doc, object, Chosen(style_));
        const int32_t orientation = orientation_->currentIndex();
        if (orientation != slider.orientation) {
            // Turned, it keeps its length; the style gives the thickness.
            slider.orientation = orientation;
            doc.Resize(object, {object.Size().height, object.Size().width}, false);
        }
        if (minimum_->value() != slider.minimum || maximum_->value() != slider.maximum)
            SetSliderLimits(doc, object, minimum_->value(), maximum_->value());
    }

  private:
    QDoubleSpinBox* minimum_;
    QDoubleSpinBox* maximum_;
    QComboBox* style_;
    QComboBox* orientation_;
    QCheckBox* whole_;
    QLineEdit* function_;
};

class MonitorSection final : public PropertySection {
  public:
    MonitorSection(const CMonitor& monitor, QWidget* parent) : PropertySection(parent) {
        QFormLayout* form = Form(this);
        function_ = TextField(monitor.function, "function", this);
        whole_ = Flag(tr("Whole numbers only"), monitor.wholeNumbers != 0, "wholeNumbers", this);
        font_ = new FontButton(monitor.font, this);
        text_ = new ColourButton(monitor.textColour, this);
        text_->setObjectName(QStringLiteral("textColour"));
        back_ = new ColourButton(monitor.backColour, this);
        back_->setObjectName(QStringLiteral("backColour"));
        form->addRow(tr("Shows:"), function_);
        form->addRow(QString(), whole_);
        form->addRow(tr("Font:"), font_);
        form->addRow(tr("Text colour:"), text_);
        form->addRow(tr("Background:"), back_);
    }
    void Apply(CKinetraDoc& doc, CPageObject& object) override {
        CMonitor& monitor = *object.As<CMonitor>();
        monitor.wholeNumbers = whole_->isChecked();
        if (font_->Changed()) {
            monitor.font = font_->Value();
            monitor.fontSet = true;
        }
        monitor.textColour = text_->Value();
        monitor.backColour = back_->Value();
        if (Text(function_) != monitor.function) {
            // A running monitor starts again on its new list.
            const bool running = monitor.task != 0;
            if (running) ActivateObject(doc, object, false);
            monitor.function = Text(function_);
            if (running) ActivateObject(doc, object, true);
        }
    }

  private:
    QLineEdit* function_;
    QCheckBox* whole_;
    FontButton* font_;
    ColourButton* text_;
    ColourButton* back_;
};

class TextBoxSection final : public PropertySection {
  public:
    TextBoxSection(const CTextBox& box, QWidget* parent) : PropertySection(parent) {
        QFormLayout* form = Form(this);
        font_ = new FontButton(box.font, this);
        text_ = new ColourButton(box.textColour, this);
        text_->setObjectName(QStringLiteral("textColour"));
        back_ = new ColourButton(box.backColour, this);
        back_->setObjectName(QStringLiteral("backColour"));
        protected_ =
            Flag(tr("Protected: not typed into"), box.protectedText != 0, "protected", this);
        form->addRow(tr("Font:"), font_);
        form->addRow(tr("Text colour:"), text_);
        form->addRow(tr("Background:"), back_);
        form->addRow(QString(), protected_);
    }
    void Apply(CKinetraDoc&, CPageObject& object) override {
        CTextBox& box = *object.As<CTextBox>();
        box.font = font_->Value();
        box.textColour = text_->Value();
        box.backColour = back_->Value();
        box.protectedText = protected_->isChecked();
    }

  private:
    FontButton* font_;
    ColourButton* text_;
    ColourButton* back_;
    QCheckBox* protected_;
};

class GraphSection final : public PropertySection {
  public:
    GraphSection(const CKinetraDoc& doc, const CGraph& graph, QWidget* parent)
        : PropertySection(parent) {
        QFormLayout* form = Form(this);
        auto data = graph.DataLock();
        xCaption_ = TextField(graph.xCaption, "xCaption", this);
        yCaption_ = TextField(graph.yCaption, "yCaption", this);
        yMinimum_ = Number(graph.yMinimum, "yMinimum", this);
        yMaximum_ = Number(graph.yMaximum, "yMaximum", this);
        interval_ = Number(graph.interval, "interval", this);
        grid_ = Flag(tr("Show the grid"), graph.displayFlags[1] != 0, "grid", this);
        back_ = new ColourButton(graph.backColour, this);
        back_->setObjectName(QStringLiteral("backColour"));
        form->addRow(tr("X caption:"), xCaption_);
        form->addRow(tr("Y caption:"), yCaption_);
        form->addRow(tr("Y from:"), yMinimum_);
        form->addRow(tr("Y to:"), yMaximum_);
        form->addRow(tr("Sample every:"), interval_);
        form->addRow(QString(), grid_);
        form->addRow(tr("Background:"), back_);
        // The curves record the setup's named inputs.
        std::vector<std::string> inputs{kNoSource};
        for (int port = 0; port < kSetupInputs; ++port) {
            const std::string name = doc.Setup().GetPortName(port);
            if (!name.empty()) inputs.push_back(name);
        }
        for (int c = 0; c < 4; ++c) {
            const std::string& source = graph.curveFunctions[c];
            const std::string name = "curve" + std::to_string(c + 1);
            curves_[c] = Choice(inputs, source.empty() ? kNoSource : source, name.c_str(), this);
            form->addRow(tr("Curve %1:").arg(c + 1), curves_[c]);
        }
    }
    void Apply(CKinetraDoc&, CPageObject& object) override {
        CGraph& graph = *object.As<CGraph>();
        double yMinimum, yMaximum, interval;
        {
            auto data = graph.DataLock();
            graph.xCaption = Text(xCaption_);
            graph.yCaption = Text(yCaption_);
            graph.displayFlags[1] = grid_->isChecked();
            graph.backColour = back_->Value();
            for (int c = 0; c < 4; ++c) {
                const std::string source = Chosen(curves_[c]);
                graph.curveFunctions[c] = source == kNoSource ? std::string() : source;
            }
            yMinimum = graph.yMinimum;
            yMaximum = graph.yMaximum;
            interval = graph.interval;
        }
        // Only what changed: a new interval empties the curves.
        if (yMinimum_->value() != yMinimum || yMaximum_->value() != yMaximum)
            graph.SetYAxis(yMinimum_->value(), yMaximum_->value());
        if (interval_->value() != interval) graph.SetInterval(interval_->value());
    }

  private:
    QLineEdit* xCaption_;
    QLineEdit* yCaption_;
    QDoubleSpinBox* yMinimum_;
    QDoubleSpinBox* yMaximum_;
    QDoubleSpinBox* interval_;
    QCheckBox* grid_;
    ColourButton* back_;
    QComboBox* curves_[4] = {};
};

class PictureSection final : public PropertySection {
  public:
    PictureSection(const CKinetraDoc& doc, const CPictureBox& box, QWidget* parent)
        : PropertySection(parent) {
        QFormLayout* form = Form(this);
        std::vector<std::string> names{kNoSource};
        for (const std::string& name : doc.Pictures().Names()) names.push_back(name);
        picture_ =
            Choice(names, box.pictureName.empty() ? kNoSource : box.pictureName, "picture", this);
        form->addRow(tr("Picture:"), picture_);
    }
    void Apply(CKinetraDoc& doc, CPageObject& object) override {
        CPictureBox& box = *object.As<CPictureBox>();
        const std::string chosen = Chosen(picture_) == kNoSource ? std::string() : Chosen(picture_);
        if (chosen == box.pictureName) return;  // a new picture would wipe the drawing
        if (chosen.empty())
            box.ShowPicture(doc.Pictures(), chosen);
        else
            SetObjectShape(doc, object, chosen);
    }

  private:
    QComboBox* picture_;
};

}  // namespace

QString PropertySection::Check(const CPageObject&, QSize) const {
    return {};
}

ColourButton::ColourButton(Colour colour, QWidget* parent) : QPushButton(parent) {
    SetValue(colour);
    connect(this, &QPushButton::clicked, this, [this] {
        const QColor chosen = QColorDialog::getColor(ColourOf(colour_), this);
        if (chosen.isValid()) SetValue({chosen.red(), chosen.green(), chosen.blue()});
    });
}

void ColourButton::SetValue(Colour colour) {
    colour_ = colour;
    // Framed, so that a white one shows on a white button.
    QPixmap swatch(32, 14);
    swatch.fill(ColourOf(colour));
    QPainter frame(&swatch);
    frame.setPen(Qt::darkGray);
    frame.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    frame.end();
    setIcon(swatch);
    setIconSize(swatch.size());
    setText(QColor(ColourOf(colour)).name());
}

FontButton::FontButton(const FontRecord& font, QWidget* parent) : QPushButton(parent) {
    setObjectName(QStringLiteral("font"));
    SetValue(font);
    changed_ = false;
    connect(this, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, FontOf(font_), this);
        if (ok) SetValue(RecordOf(chosen));
    });
}

void FontButton::SetValue(const FontRecord& font) {
    changed_ = changed_ || !(font == font_);
    font_ = font;
    const QFont shown = FontOf(font);
    setText(tr("%1, %2 pixels").arg(shown.family()).arg(shown.pixelSize()));
}

PropertySection* MakePropertySection(const CKinetraDoc& doc, const CPageObject& object,
                                     QWidget* parent) {
    if (const CPageButton* button = object.As<CPageButton>())
        return new ButtonSection(*button, parent);
    if (const CSlider* slider = object.As<CSlider>()) return new SliderSection(*slider, parent);
    if (const CMonitor* monitor = object.As<CMonitor>())
        return new MonitorSection(*monitor, parent);
    if (const CTextBox* box = object.As<CTextBox>()) return new TextBoxSection(*box, parent);
    if (const CGraph* graph = object.As<CGraph>()) return new GraphSection(doc, *graph, parent);
    if (const CPictureBox* box = object.As<CPictureBox>())
        return new PictureSection(doc, *box, parent);
    return nullptr;
}

}  // namespace gui
