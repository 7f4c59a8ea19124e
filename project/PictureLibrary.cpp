#include "project/PictureLibrary.h"

#include <fstream>
#include <iterator>

#include "platform/Archive.h"
#include "platform/DataFiles.h"
#include "platform/TextCatalog.h"
#include "platform/Utf8.h"
#include "project/FormatError.h"

namespace {

constexpr int32_t kRecordMarker = 2;
constexpr int32_t kNoBitmap = -1;
constexpr int32_t kTextBlankPicture = 7100;
constexpr int32_t kFirstPictureResource = 7000;
constexpr int32_t kLastPictureResource = 7062;

// The offsets of the width and height in a BITMAPINFOHEADER.
constexpr std::size_t kHeaderWidth = 4;
constexpr std::size_t kHeaderHeight = 8;
constexpr std::size_t kHeaderSizeBits = 14;  // bit count, at offset 14 (16 bits)
constexpr std::size_t kHeaderColoursUsed = 32;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::size_t kFileHeaderBytes = 14;

int32_t Int32At(const std::vector<uint8_t>& bytes, std::size_t at) {
    uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) bits = (bits << 8) | bytes[at + i];
    return static_cast<int32_t>(bits);
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<PictureRef> LoadBuiltIns() {
    std::vector<PictureRef> pictures;
    auto blank = std::make_shared<CPictureListItem>();
    blank->name = platform::ResourceText(kTextBlankPicture);
    pictures.push_back(std::move(blank));
    for (int32_t id = kFirstPictureResource; id <= kLastPictureResource; id += 2) {
        const auto file = platform::FindDataFile("pictures/" + std::to_string(id) + ".bmp");
        if (!file) continue;
        const auto bytes = ReadWholeFile(*file);
        if (!bytes) continue;
        if (auto picture = CPictureListItem::FromBmpFile(platform::ResourceText(id), *bytes))
            pictures.push_back(std::make_shared<const CPictureListItem>(std::move(*picture)));
    }
    return pictures;
}

}  // namespace

void CPictureListItem::Write(platform::ArchiveWriter& out) const {
    out.Int32(kRecordMarker);
    out.Text(name);
    out.Int32(width);
    out.Int32(height);
    if (!HasBitmap()) {
        out.Int32(kNoBitmap);
        return;
    }
    out.Int32(static_cast<int32_t>(header.size()));
    out.Raw(header);
    out.Int32(static_cast<int32_t>(rows.size()));
    out.Raw(rows);
}

std::optional<CPictureListItem> CPictureListItem::Read(platform::ArchiveReader& in) {
    if (in.Int32() <= 0) return std::nullopt;
    CPictureListItem item;
    item.name = in.Text();
    item.width = in.Int32();
    item.height = in.Int32();
    const int32_t headerBytes = in.Int32();
    if (headerBytes <= 0) return item;
    const auto header = in.Raw(static_cast<std::size_t>(headerBytes));
    const int32_t rowBytes = in.Int32();
    if (rowBytes < 0) throw ProjectFormatError("negative picture size");
    const auto rows = in.Raw(static_cast<std::size_t>(rowBytes));
    item.header.assign(header.begin(), header.end());
    item.rows.assign(rows.begin(), rows.end());
    if (item.header.size() >= kHeaderHeight + 4) {
        item.width = Int32At(item.header, kHeaderWidth);
        item.height = Int32At(item.header, kHeaderHeight);
    }
    return item;
}

std::optional<CPictureListItem> CPictureListItem::FromBmpFile(std::string name,
                                                              const std::vector<uint8_t>& bytes) {
    if (bytes.size() < kFileHeaderBytes + kInfoHeaderBytes || bytes[0] != 'B' || bytes[1] != 'M')
        return std::nullopt;
    const int32_t rowsAt = Int32At(bytes, 10);
    const std::size_t infoAt = kFileHeaderBytes;
    const int32_t headerSize = Int32At(bytes, infoAt);
    const unsigned bits =
        bytes[infoAt + kHeaderSizeBits] | (bytes[infoAt + kHeaderSizeBits + 1] << 8);
    int32_t colours = Int32At(bytes, infoAt + kHeaderColoursUsed);
    if (colours == 0 && bits <= 8) colours = 1 << bits;
    const int64_t tableEnd = int64_t{infoAt} + headerSize + int64_t{4} * colours;
    if (headerSize < static_cast<int32_t>(kInfoHeaderBytes) || colours < 0 || rowsAt < tableEnd ||
        static_cast<std::size_t>(rowsAt) > bytes.size())
        return std::nullopt;
    CPictureListItem item;
    item.name = std::move(name);
    item.header.assign(bytes.begin() + infoAt, bytes.begin() + tableEnd);
    item.rows.assign(bytes.begin() + rowsAt, bytes.end());
    item.width = Int32At(item.header, kHeaderWidth);
    item.height = Int32At(item.header, kHeaderHeight);
    return item;
}

const std::vector<PictureRef>& CPictureLibrary::BuiltIns() {
    static const std::vector<PictureRef> pictures = LoadBuiltIns();
    return pictures;
}

PictureRef CPictureLibrary::Find(std::string_view name) const {
    for (const auto* list : {&BuiltIns(), &user_})
        for (const PictureRef& picture : *list)
            if (platform::EqualsIgnoringCase(picture->name, name)) return picture;
    return nullptr;
}

void CPictureLibrary::AddOrReplace(PictureRef picture) {
    for (PictureRef& mine : user_) {
        if (platform::EqualsIgnoringCase(mine->name, picture->name)) {
            mine = std::move(picture);
            return;
        }
    }
    user_.push_back(std::move(picture));
}

std::vector<std::string> CPictureLibrary::Names() const {
    std::vector<std::string> names;
    for (const auto* list : {&BuiltIns(), &user_})
        for (const PictureRef& picture : *list) names.push_back(picture->name);
    return names;
}
