#include "project/TextDrawing.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <cstdlib>

#include "LogoCore/LogoErrors.h"

namespace {

constexpr int32_t kErrorCannotNow = -97;
constexpr int kDefaultPixels = 13;

void PutLittleEndian(QByteArray& bytes, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

bool CanDrawText() {
    return QGuiApplication::instance() != nullptr;
}

void RequireTextDrawing() {
    if (!CanDrawText()) RaiseError(kErrorCannotNow, {});
}

QFont FontOf(const FontRecord& record) {
    QFont font;
    const std::string face = record.FaceName();
    if (!face.empty()) font.setFamily(QString::fromStdString(face));
    font.setPixelSize(record.height != 0 ? std::abs(record.height) : kDefaultPixels);
    font.setWeight(
        static_cast<QFont::Weight>(std::clamp(record.weight == 0 ? 400 : record.weight, 1, 1000)));
    font.setItalic(record.italic != 0);
    font.setUnderline(record.underline != 0);
    font.setStrikeOut(record.strikeOut != 0);
    return font;
}

FontRecord RecordOf(const QFont& font) {
    FontRecord record;
    record.SetFaceName(font.family().toStdString());
    const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    record.height = -pixels;
    record.weight = font.weight();
    record.italic = font.italic();
    record.underline = font.underline();
    record.strikeOut = font.strikeOut();
    return record;
}

QColor ColourOf(const Colour& colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

QImage PictureImage(const CPictureListItem& picture) {
    if (!picture.HasBitmap()) return {};
    // The file's header in front of the kept bitmap makes a .bmp file.
    constexpr uint32_t kFileHeaderBytes = 14;
    const auto headerBytes = static_cast<uint32_t>(picture.header.size());
    QByteArray file("BM");
    PutLittleEndian(file,
                    kFileHeaderBytes + headerBytes + static_cast<uint32_t>(picture.rows.size()), 4);
    PutLittleEndian(file, 0, 4);
    PutLittleEndian(file, kFileHeaderBytes + headerBytes, 4);
    file.append(reinterpret_cast<const char*>(picture.header.data()),
                static_cast<qsizetype>(picture.header.size()));
    file.append(reinterpret_cast<const char*>(picture.rows.data()),
                static_cast<qsizetype>(picture.rows.size()));
    return QImage::fromData(file, "BMP");
}
