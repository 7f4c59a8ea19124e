// The one drawing of a page: the window, printing and export all paint
// through here, into a widget, a printer, a PDF, an SVG or an image.
//
// Everything is read from the model as it is; the caller holds the
// document's lock and is on the main thread (picture boxes' pixels live
// there).
#pragma once

#include <QRect>
#include <QSize>

#include "project/Geometry.h"

class QPainter;
class CKinetraDoc;
class CPage;
class CPageObject;
class CPictureLibrary;

// The size a page is drawn at: its window's size as last saved (640 x 480
// when none was), grown to hold every object and its name label.
QSize PageExtent(const CKinetraDoc& doc, const CPage& page);

// Background colour, wallpaper tiled from the top left, then every object
// in list order (the last on top) with its border and name label. The
// painter's coordinates are page pixels.
void PaintPage(QPainter& painter, const CPage& page, const CPictureLibrary& pictures, QSize extent);

// One object's own drawing, its top left at 0, 0 of the painter, at its size.
void PaintObjectBody(QPainter& painter, const CPageObject& object);
// What surrounds an object on the page (page coordinates): its border, one
// pixel outside it, and its name label above it (or below, at the top of
// the page).
void PaintObjectFrame(QPainter& painter, const CPageObject& object);
// Where the name label goes; empty when the object shows no label.
QRect NameLabelArea(const CPageObject& object);
