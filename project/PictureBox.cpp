#include "project/PictureBox.h"

#include <QPainter>
#include <algorithm>

#include "platform/Archive.h"
#include "project/TextDrawing.h"

namespace {

constexpr int32_t kFirstReferenceVersion = 12;

}  // namespace

bool CPictureBox::Read(platform::ArchiveReader& in, int32_t version, CPictureLibrary& library) {
    if (version >= kFirstReferenceVersion) {
        if (in.Int32() <= 0) return false;
        const std::string name = in.Text();
        return ShowPicture(library, name);
    }
    std::optional<CPictureListItem> inline_ = CPictureListItem::Read(in);
    if (!inline_) return false;
    if (ShowPicture(library, inline_->name)) return true;
    pictureName = inline_->name;
    picture = std::make_shared<const CPictureListItem>(std::move(*inline_));
    library.Add(picture);
    return true;
}

bool CPictureBox::ShowPicture(CPictureLibrary& library, const std::string& name) {
    picture = library.Find(name);
    pictureName = picture ? picture->name : std::string();
    // A new picture replaces the drawing.
    drawing = QImage();
    ++changes;
    return picture != nullptr;
}

QImage CPictureBox::Pixels(PageSize size) const {
    const QSize want(std::max(1, size.width), std::max(1, size.height));
    if (drawing.size() == want) return drawing;
    // A box made larger gains white at its right and bottom, one made
    // smaller loses them: nothing drawn moves.
    QImage pixels(want, QImage::Format_RGB32);
    pixels.fill(Qt::white);
    QPainter painter(&pixels);
    if (!drawing.isNull()) {
        painter.drawImage(0, 0, drawing);
    } else if (picture) {
        painter.drawImage(0, 0, PictureImage(*picture));
    }
    return pixels;
}

QImage& CPictureBox::Surface(PageSize size) {
    const QSize want(std::max(1, size.width), std::max(1, size.height));
    if (drawing.size() != want) drawing = Pixels(size);
    return drawing;
}

void CPictureBox::Clear(PageSize size) {
    drawing = QImage();
    Surface(size);
    ++changes;
}

void CPictureBox::MoveTo(PagePoint to) {
    drawingPosition = to;
}

void CPictureBox::LineTo(PageSize size, PagePoint to) {
    QPainter painter(&Surface(size));
    painter.setRenderHint(QPainter::Antialiasing);
    // Whole coordinates name pixels: the line runs through their centres.
    painter.translate(0.5, 0.5);
    painter.setPen(QPen(ColourOf(penColour), std::max(1, penSize), Qt::SolidLine, Qt::RoundCap,
                        Qt::RoundJoin));
    const QPoint from(drawingPosition.x, drawingPosition.y);
    if (from == QPoint(to.x, to.y))
        painter.drawPoint(from);
    else
        painter.drawLine(from, QPoint(to.x, to.y));
    drawingPosition = to;
    ++changes;
}

void CPictureBox::Label(PageSize size, const std::string& text, const QFont& font) {
    QPainter painter(&Surface(size));
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(ColourOf(penColour));
    const QFontMetrics metrics(font);
    painter.drawText(QPoint(drawingPosition.x, drawingPosition.y + metrics.ascent()),
                     QString::fromStdString(text));
    ++changes;
}
