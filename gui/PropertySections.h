// The kinds' sections of the properties dialog, and the two choosers they
// share: a colour button and a font button.
#pragma once

#include <QPushButton>

#include "gui/ObjectPropertiesDialog.h"
#include "project/FontRecord.h"
#include "project/Geometry.h"

namespace gui {

// Shows a colour as a swatch; a click asks for another.
class ColourButton final : public QPushButton {
  public:
    ColourButton(Colour colour, QWidget* parent = nullptr);
    Colour Value() const { return colour_; }
    void SetValue(Colour colour);

  private:
    Colour colour_;
};

// Shows a font by its name and size; a click asks for another.
class FontButton final : public QPushButton {
  public:
    FontButton(const FontRecord& font, QWidget* parent = nullptr);
    const FontRecord& Value() const { return font_; }
    bool Changed() const { return changed_; }
    void SetValue(const FontRecord& font);

  private:
    FontRecord font_;
    bool changed_ = false;
};

// The section for the object's kind, filled from it; the caller holds the
// document's lock.
PropertySection* MakePropertySection(const CKinetraDoc& doc, const CPageObject& object,
                                     QWidget* parent);

}  // namespace gui
