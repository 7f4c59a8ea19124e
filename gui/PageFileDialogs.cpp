#include "gui/PageFileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "platform/MessageBox.h"
#include "project/KinetraDoc.h"
#include "project/PageExport.h"

namespace gui {

void PrintPageWithDialog(QWidget* parent, const CKinetraDoc& doc) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QObject::tr("Print page"));
    if (dialog.exec() != QDialog::Accepted) return;
    PaintPrintJob(printer, doc, PrintJob::kPage);
}

void ExportPageWithDialog(QWidget* parent, const CKinetraDoc& doc) {
    QString name;
    {
        auto hold = doc.Lock();
        if (const CPage* page = doc.CurrentPage()) name = QString::fromStdString(page->Name());
    }
    QString path = QFileDialog::getSaveFileName(
        parent, QObject::tr("Export page as image"), name + QStringLiteral(".png"),
        QObject::tr("PNG picture (*.png);;SVG drawing (*.svg)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".png");
    try {
        auto hold = doc.Lock();
        if (const CPage* page = doc.CurrentPage()) ExportPage(doc, *page, path.toStdString());
    } catch (const LogoError& error) {
        platform::ShowMessage(platform::MessageKind::Error, ErrorText(error.handle));
        Release(error.handle);
    }
}

std::string PrintOnDefaultPrinter(const CKinetraDoc& doc, PrintJob job) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        const std::string path = PrintJobPdfName(doc, job);
        PrintJobToPdf(doc, job, path);
        return "printed to " + path;
    }
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setPageOrientation(job == PrintJob::kText ? QPageLayout::Portrait
                                                      : QPageLayout::Landscape);
    PaintPrintJob(printer, doc, job);
    return "printed on " + info.printerName().toStdString();
}

}  // namespace gui
