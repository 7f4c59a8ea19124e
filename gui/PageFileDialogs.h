// The window's ways of putting pages on paper or into a picture: the print
// dialog, the export dialog, and the printing primitives' printer.
#pragma once

#include <string>

#include "project/PagePrinting.h"

class QWidget;
class CKinetraDoc;

namespace gui {

// File > Print page: the print dialog (a PDF file is one of its choices),
// then the current page.
void PrintPageWithDialog(QWidget* parent, const CKinetraDoc& doc);
// File > Export page as image: a PNG picture, or an SVG drawing when the
// name chosen ends in .svg.
void ExportPageWithDialog(QWidget* parent, const CKinetraDoc& doc);
// The printing primitives: the job goes to the default printer, or, on a
// machine without one, into a PDF file (PrintJobPdfName). Says where it
// went; raises as PrintJobToPdf does.
std::string PrintOnDefaultPrinter(const CKinetraDoc& doc, PrintJob job);

}  // namespace gui
