#include "gui/ObjectPropertiesDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "gui/PropertySections.h"
#include "platform/MessageBox.h"
#include "project/KinetraDoc.h"

namespace gui {

namespace {

constexpr int kLargestSide = 10000;

QSpinBox* Side(int value, const char* name, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(1, kLargestSide);
    box->setSuffix(QObject::tr(" pixels"));
    box->setValue(value);
    return box;
}

QString KindTitle(int32_t type) {
    switch (type) {
        case kPictureBoxObject:
            return QObject::tr("Picture");
        case kGraphObject:
            return QObject::tr("Graph");
        case kButtonObject:
            return QObject::tr("Button");
        case kSliderObject:
            return QObject::tr("Slider");
        case kMonitorObject:
            return QObject::tr("Monitor");
        default:
            return QObject::tr("Text box");
    }
}

// A Logo error's message, as the user reads it.
QString Message(const LogoError& error) {
    const std::string text = WithoutLineEnd(ErrorText(error.handle));
    Release(error.handle);
    return QString::fromStdString(text);
}

}  // namespace

ObjectPropertiesDialog::ObjectPropertiesDialog(std::shared_ptr<CKinetraDoc> doc, int serial,
                                               QWidget* parent)
    : QDialog(parent), doc_(std::move(doc)), serial_(serial) {
    auto hold = doc_->Lock();
    const CPageObject* object = doc_->FindObject(serial);
    auto* layout = new QVBoxLayout(this);
    if (!object) return;
    setWindowTitle(tr("%1 properties").arg(KindTitle(object->Type())));

    auto* common = new QFormLayout;
    name_ = new QLineEdit(QString::fromStdString(object->Name()), this);
    name_->setObjectName(QStringLiteral("name"));
    showName_ = new QCheckBox(tr("Show the name on the page"), this);
    showName_->setObjectName(QStringLiteral("showName"));
    showName_->setChecked(object->NameShown());
    border_ = new QCheckBox(tr("Border"), this);
    border_->setObjectName(QStringLiteral("border"));
    border_->setChecked(object->Border());
    width_ = Side(object->Size().width, "width", this);
    height_ = Side(object->Size().height, "height", this);
    common->addRow(tr("Name:"), name_);
    common->addRow(QString(), showName_);
    // A button draws its own edge from its shape.
    if (object->Type() != kButtonObject)
        common->addRow(QString(), border_);
    else
        border_->hide();
    common->addRow(tr("Width:"), width_);
    common->addRow(tr("Height:"), height_);
    layout->addLayout(common);

    section_ = MakePropertySection(*doc_, *object, this);
    if (section_) {
        auto* group = new QGroupBox(KindTitle(object->Type()), this);
        auto* inside = new QVBoxLayout(group);
        inside->addWidget(section_);
        layout->addWidget(group);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ObjectPropertiesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

bool ObjectPropertiesDialog::Edit(std::shared_ptr<CKinetraDoc> doc, int serial, QWidget* parent) {
    ObjectPropertiesDialog dialog(std::move(doc), serial, parent);
    return dialog.exec() == QDialog::Accepted;
}

void ObjectPropertiesDialog::accept() {
    if (Apply()) QDialog::accept();
}

bool ObjectPropertiesDialog::Apply() {
    QString refusal;
    {
        auto hold = doc_->Lock();
        CPageObject* object = doc_->FindObject(serial_);
        if (!object || !name_) return true;  // gone meanwhile: nothing to apply to
        const QSize size(width_->value(), height_->value());
        const bool resized = !(PageSize{size.width(), size.height()} == object->Size());
        if (section_) refusal = section_->Check(*object, resized ? size : QSize());
        if (refusal.isEmpty()) {
            try {
                // The rename is the first change: refused, nothing has changed.
                doc_->Rename(*object, name_->text().toStdString());
                object->ShowName(showName_->isChecked());
                object->SetBorder(border_->isChecked());
                if (resized) doc_->Resize(*object, {size.width(), size.height()}, false);
                if (section_) section_->Apply(*doc_, *object);
                doc_->SetModified(true);
            } catch (const LogoError& error) {
                refusal = Message(error);
            }
        }
    }
    // Shown with the document free: Logo goes on while the message waits.
    if (refusal.isEmpty()) return true;
    platform::ShowMessage(platform::MessageKind::Error, refusal.toStdString());
    return false;
}

}  // namespace gui
