// Printing: the current page, every page, or the procedures text, onto a
// printer or into a PDF file. Pages are drawn by the page renderer, each
// fitted to one sheet. On the main thread.
#pragma once

#include <cstdint>
#include <string>

class CKinetraDoc;
class QPagedPaintDevice;

enum class PrintJob { kPage, kPages, kText };

// The job of the printing primitives' tokens (520 page, 521 pages, 522 text).
PrintJob PrintJobOfToken(int32_t token);

// Paints the job onto the device, on which no painter is open: a sheet
// per page, the text over as many sheets as it needs. The document's lock
// is taken here.
void PaintPrintJob(QPagedPaintDevice& device, const CKinetraDoc& doc, PrintJob job);

// Where a job goes when no printer takes it: a PDF in the current
// directory named after what it prints (the page, the project, or
// "procedures").
std::string PrintJobPdfName(const CKinetraDoc& doc, PrintJob job);
// Writes the job as an A4 PDF, atomically. Raises -97 when no text can be
// drawn and -50 naming the file when it cannot be written.
void PrintJobToPdf(const CKinetraDoc& doc, PrintJob job, const std::string& path);
