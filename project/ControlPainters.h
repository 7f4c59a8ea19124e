// Buttons, sliders, monitors and text boxes drawn into any painter at
// their own coordinates (0, 0 their top left), at the size given.
#pragma once

#include <QSize>
#include <string>

class QPainter;
class CPageButton;
class CSlider;
class CMonitor;
class CTextBox;

// The face of the button's shape (our own drawings: a rectangle, a rounded
// one, a round one and two arrows), raised or pressed. The stretching
// shapes carry the caption (the button's name, when shown) on their face.
void PaintButton(QPainter& painter, const CPageButton& button, QSize size,
                 const std::string& caption);
// Whether the button's face shows its name in place of a label beside it.
bool ButtonShowsNameOnFace(const CPageButton& button);
// A groove along the slider and a thumb at its value, the value on it.
void PaintSlider(QPainter& painter, const CSlider& slider, QSize size);
// The value shown, in the monitor's font and colours.
void PaintMonitor(QPainter& painter, const CMonitor& monitor, QSize size);
// The text, wrapped at words, in the box's font and colours.
void PaintTextBox(QPainter& painter, const CTextBox& box, QSize size);
