// A picture box: shows a picture of the library, and Logo draws into it.
#pragma once

#include <cstdint>
#include <string>

#include "project/Geometry.h"
#include "project/PictureLibrary.h"

namespace platform {
class ArchiveReader;
}  // namespace platform

class CPictureBox {
  public:
    static constexpr const char* kClassName = "CPictureBox";
    static constexpr int32_t kReferenceMarker = 2;

    // The library entry shown (its name in pictureName), or none.
    PictureRef picture;
    std::string pictureName;
    PagePoint drawingPosition;

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
};
