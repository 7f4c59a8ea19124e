// The picture library: the pictures a project's picture boxes show and its
// pages take as wallpaper. Every project has the built-in pictures; the
// user's additions follow them and are the only ones saved.
//
// A picture is a device-independent bitmap: its header with the colour
// table, and its rows. Both are kept exactly as read, so that a picture
// saves back unchanged.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class ArchiveReader;
class ArchiveWriter;
}  // namespace platform

struct CPictureListItem {
    static constexpr const char* kClassName = "CPictureListItem";

    std::string name;
    int32_t width = 0;
    int32_t height = 0;
    // Empty header: the entry has no bitmap.
    std::vector<uint8_t> header;  // BITMAPINFO: the header and its colour table
    std::vector<uint8_t> rows;    // the pixel rows

    bool HasBitmap() const { return !header.empty(); }
    bool operator==(const CPictureListItem&) const = default;

    // The picture record of the project file.
    void Write(platform::ArchiveWriter& out) const;
    // Empty when the record is only its end marker. Raises
    // platform::ArchiveEnded when a length runs past the end of the data.
    static std::optional<CPictureListItem> Read(platform::ArchiveReader& in);
    // A picture from the bytes of a .bmp file; empty when they are not one.
    static std::optional<CPictureListItem> FromBmpFile(std::string name,
                                                       const std::vector<uint8_t>& bytes);
};

using PictureRef = std::shared_ptr<const CPictureListItem>;

// The number of entries the project file counts as built in.
inline constexpr std::size_t kBuiltInPictures = 32;

class CPictureLibrary {
  public:
    // The built-in entries, loaded once: the blank picture (text 7100), then
    // each picture 7000, 7002, ... 7062 the data directory holds, named by
    // the text of the same number.
    static const std::vector<PictureRef>& BuiltIns();

    // The first entry of that name in any letter case, built-in ones first.
    PictureRef Find(std::string_view name) const;
    const std::vector<PictureRef>& UserPictures() const { return user_; }
    void Add(PictureRef picture) { user_.push_back(std::move(picture)); }
    // Replaces the user's entry of the same name, or adds the picture.
    void AddOrReplace(PictureRef picture);
    // Every entry's name, in library order.
    std::vector<std::string> Names() const;

  private:
    std::vector<PictureRef> user_;
};
