#include "project/PageExport.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <span>

#include "platform/Utf8.h"
#include "project/KinetraDoc.h"
#include "project/PageRenderer.h"
#include "project/ProjectFiles.h"
#include "project/TextDrawing.h"

namespace {

constexpr int kScreenDpi = 96;

bool EndsWith(const std::string& path, const char* suffix) {
    const std::string end(suffix);
    return path.size() >= end.size() &&
           platform::EqualsIgnoringCase(path.substr(path.size() - end.size()), end);
}

}  // namespace

QByteArray PageImageBytes(const CKinetraDoc& doc, const CPage& page, bool svg) {
    auto hold = doc.Lock();
    const QSize extent = PageExtent(doc, page);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(extent);
        generator.setViewBox(QRect(QPoint(0, 0), extent));
        generator.setResolution(kScreenDpi);
        generator.setTitle(QString::fromStdString(page.Name()));
        QPainter painter(&generator);
        PaintPage(painter, page, doc.Pictures(), extent);
        painter.end();
        return bytes;
    }
    QImage image(extent, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        PaintPage(painter, page, doc.Pictures(), extent);
    }
    image.save(&buffer, "PNG");
    return bytes;
}

void PaintPageOnto(QPagedPaintDevice& device, const CKinetraDoc& doc, const CPage& page) {
    QPainter painter(&device);
    PaintPageFitted(painter, QSize(device.width(), device.height()), doc, page);
}

void PaintPageFitted(QPainter& painter, QSize area, const CKinetraDoc& doc, const CPage& page) {
    auto hold = doc.Lock();
    const QSize extent = PageExtent(doc, page);
    const double scale = std::min(static_cast<double>(area.width()) / extent.width(),
                                  static_cast<double>(area.height()) / extent.height());
    painter.save();
    painter.scale(scale, scale);
    painter.setClipRect(QRect(QPoint(0, 0), extent));
    PaintPage(painter, page, doc.Pictures(), extent);
    painter.restore();
}

QByteArray PagePdfBytes(const CKinetraDoc& doc, const CPage& page) {
    QSize extent;
    {
        auto hold = doc.Lock();
        extent = PageExtent(doc, page);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kScreenDpi);
    writer.setPageSize(
        QPageSize(QSizeF(extent.width() * 72.0 / kScreenDpi, extent.height() * 72.0 / kScreenDpi),
                  QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(QString::fromStdString(page.Name()));
    PaintPageOnto(writer, doc, page);
    return bytes;
}

void ExportPage(const CKinetraDoc& doc, const CPage& page, const std::string& path) {
    RequireTextDrawing();
    const QByteArray bytes = EndsWith(path, ".pdf")
                                 ? PagePdfBytes(doc, page)
                                 : PageImageBytes(doc, page, EndsWith(path, ".svg"));
    SaveFileSafely(path, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                  static_cast<std::size_t>(bytes.size())));
}
