// A picture box: shows a picture of the library, and Logo draws into it.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>

#include "project/Geometry.h"
#include "project/PictureLibrary.h"

namespace platform {
class ArchiveReader;
}  // namespace platform

class QFont;

// Logo draws into the box: a line from the drawing position, text at it,
// and clearing back to the picture. The pixels live here, in the model,
// and are touched only on the main thread: Logo tasks draw through the
// main thread's channel like every other object command, and the window,
// printing and export paint there too. Pen colour and size are plain
// fields that Logo may read and set under the document's lock.
class CPictureBox {
  public:
    static constexpr const char* kClassName = "CPictureBox";
    static constexpr int32_t kReferenceMarker = 2;

    // The library entry shown (its name in pictureName), or none.
    PictureRef picture;
    std::string pictureName;
    PagePoint drawingPosition;
    Colour penColour = kBlack;
    int32_t penSize = 1;
    // The drawing, the box's size; null until Logo first draws, the
    // picture being shown until then.
    QImage drawing;
    // Grows with every change of what the box shows: the window repaints.
    uint64_t changes = 0;

    // The picture reference of the file: its marker and the entry's name.
    template <typename Self, typename Visitor>
    static void Fields(Self& self, Visitor& v) {
        v.Constant(kReferenceMarker);
        v.Text(self.pictureName);
    }
    // From version 12 a reference looked up in the library (not found: no
    // picture); before, a whole picture record, replaced by the library's
    // entry of its name when there is one. One the library lacks joins the
    // library, so that the next save, which refers to pictures by name,
    // keeps it. False when the box has no picture.
    bool Read(platform::ArchiveReader& in, int32_t version, CPictureLibrary& library);
    // Shows the library's entry of that name; false when there is none.
    bool ShowPicture(CPictureLibrary& library, const std::string& name);

    // What the box shows at that size: white, the picture at its own size
    // in the top left corner, and what Logo drew on top.
    QImage Pixels(PageSize size) const;
    // The drawing goes back to the picture (or white).
    void Clear(PageSize size);
    void MoveTo(PagePoint to);
    // A line in the pen's colour and size; the drawing position follows.
    void LineTo(PageSize size, PagePoint to);
    // The text with its top left at the drawing position.
    void Label(PageSize size, const std::string& text, const QFont& font);

  private:
    // The drawing, made from the picture or fitted to a new box size.
    QImage& Surface(PageSize size);
};
