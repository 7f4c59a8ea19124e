// Fonts and pictures as QtGui draws them.
#pragma once

#include <QFont>
#include <QImage>

#include "project/FontRecord.h"
#include "project/Geometry.h"
#include "project/PictureLibrary.h"

// Text needs Qt's font database, which only a QGuiApplication (the
// offscreen platform will do) provides; without one, drawing text aborts.
bool CanDrawText();
// Raises -97 when no text can be drawn, for the primitives that draw it.
void RequireTextDrawing();

// The font a FontRecord describes: its face, pixel height, weight, slant,
// underline and strike-out.
QFont FontOf(const FontRecord& record);
// The record of a font chosen on screen: face, pixel height, weight and style.
FontRecord RecordOf(const QFont& font);
QColor ColourOf(const Colour& colour);

// The picture's bitmap; a null image when it has none or it is damaged.
QImage PictureImage(const CPictureListItem& picture);
