#include "project/PagePrinting.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <filesystem>
#include <span>

#include "project/KinetraDoc.h"
#include "project/PageExport.h"
#include "project/ProjectFiles.h"
#include "project/TextDrawing.h"

namespace {

constexpr int kPdfDpi = 96;

// The procedures' lines down the sheets, in a fixed-width font.
void PaintText(QPagedPaintDevice& device, QPainter& painter, const std::string& text) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);
    painter.setFont(font);
    const QFontMetrics metrics(font, &device);
    const int lineHeight = metrics.lineSpacing();
    const int width = device.width();
    int y = 0;
    const QStringList lines = QString::fromStdString(text).remove(QLatin1Char('\r')).split('\n');
    for (const QString& line : lines) {
        if (y + lineHeight > device.height()) {
            device.newPage();
            y = 0;
        }
        painter.drawText(QRect(0, y, width, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(line, Qt::ElideRight, width));
        y += lineHeight;
    }
}

}  // namespace

PrintJob PrintJobOfToken(int32_t token) {
    return token == 521 ? PrintJob::kPages : token == 522 ? PrintJob::kText : PrintJob::kPage;
}

void PaintPrintJob(QPagedPaintDevice& device, const CKinetraDoc& doc, PrintJob job) {
    auto hold = doc.Lock();
    QPainter painter(&device);
    if (job == PrintJob::kText) {
        PaintText(device, painter, doc.ProceduresText());
        return;
    }
    const QSize area(device.width(), device.height());
    if (job == PrintJob::kPage) {
        if (const CPage* page = doc.CurrentPage()) PaintPageFitted(painter, area, doc, *page);
        return;
    }
    bool first = true;
    for (const auto& page : doc.Pages()) {
        if (!first) device.newPage();
        first = false;
        PaintPageFitted(painter, area, doc, *page);
    }
}

std::string PrintJobPdfName(const CKinetraDoc& doc, PrintJob job) {
    std::string name = "procedures";
    if (job == PrintJob::kPage) {
        auto hold = doc.Lock();
        if (const CPage* page = doc.CurrentPage()) name = page->Name();
    } else if (job == PrintJob::kPages) {
        const std::filesystem::path path(doc.Path());
        name = path.empty() ? "pages" : path.stem().string();
    }
    // A page's name may hold what a file name may not.
    for (char& c : name)
        if (c == '/' || c == '\\' || c == ':') c = '_';
    return (std::filesystem::current_path() / (name + ".pdf")).string();
}

void PrintJobToPdf(const CKinetraDoc& doc, PrintJob job, const std::string& path) {
    RequireTextDrawing();
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(kPdfDpi);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4),
                        job == PrintJob::kText ? QPageLayout::Portrait : QPageLayout::Landscape,
                        QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        PaintPrintJob(writer, doc, job);
    }
    SaveFileSafely(path, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                  static_cast<std::size_t>(bytes.size())));
}
