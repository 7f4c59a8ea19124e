// A page as a file: a PNG picture, an SVG drawing or a PDF page, at the
// page's size, drawn by the page renderer. On the main thread, with the
// document's lock held or free.
#pragma once

#include <QByteArray>
#include <string>

class CKinetraDoc;
class CPage;
class QPagedPaintDevice;
class QPainter;
class QSize;

// PNG bytes, or SVG when svg is set.
QByteArray PageImageBytes(const CKinetraDoc& doc, const CPage& page, bool svg);
// One PDF page of the page's size (at 96 pixels to the inch), the page
// drawn on it.
QByteArray PagePdfBytes(const CKinetraDoc& doc, const CPage& page);
// Paints the page onto the current page of a printer or PDF writer, scaled
// to fit its printable area, keeping the proportions.
void PaintPageOnto(QPagedPaintDevice& device, const CKinetraDoc& doc, const CPage& page);
// The same with a painter already open on such a device, into the area
// (device pixels) from its top left: a print of several pages goes on
// with the one painter.
void PaintPageFitted(QPainter& painter, QSize area, const CKinetraDoc& doc, const CPage& page);

// Writes the page to the file, atomically (a temporary file renamed):
// SVG when the name ends in .svg, PDF for .pdf, PNG otherwise. Raises -97
// when no text can be drawn (no QGuiApplication), and -50 naming the file
// with the reason when it cannot be written.
void ExportPage(const CKinetraDoc& doc, const CPage& page, const std::string& path);
