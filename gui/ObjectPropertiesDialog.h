// An object's properties: what every object has (name, name label,
// border, size) and a section for its kind. OK applies the changes through
// the model as the Logo commands do and marks the project modified; a name
// the rename rules refuse, or a size a fixed-size button shape refuses, is
// reported with its message and the dialog stays open with nothing changed.
#pragma once

#include <QDialog>
#include <memory>

class CKinetraDoc;
class CPageObject;
class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace gui {

// A kind's part of the dialog.
class PropertySection : public QWidget {
  public:
    using QWidget::QWidget;
    // A refusal's message before anything changes; empty when all is well.
    virtual QString Check(const CPageObject& object, QSize size) const;
    // Applies the section; the caller holds the document's lock.
    virtual void Apply(CKinetraDoc& doc, CPageObject& object) = 0;
};

class ObjectPropertiesDialog final : public QDialog {
    Q_OBJECT

  public:
    ObjectPropertiesDialog(std::shared_ptr<CKinetraDoc> doc, int serial, QWidget* parent = nullptr);

    // Opens the dialog on the object and waits for it; true when applied.
    static bool Edit(std::shared_ptr<CKinetraDoc> doc, int serial, QWidget* parent);

  public slots:
    void accept() override;

  private:
    // False, with the message shown, when the object refused a change.
    bool Apply();

    std::shared_ptr<CKinetraDoc> doc_;
    int serial_;
    QLineEdit* name_ = nullptr;
    QCheckBox* showName_ = nullptr;
    QCheckBox* border_ = nullptr;
    QSpinBox* width_ = nullptr;
    QSpinBox* height_ = nullptr;
    PropertySection* section_ = nullptr;
};

}  // namespace gui
