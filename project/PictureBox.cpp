#include "project/PictureBox.h"

#include "platform/Archive.h"

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
    return picture != nullptr;
}
