#include "project/ClipboardRecord.h"

#include <stdexcept>

#include "platform/Archive.h"
#include "project/FormatError.h"
#include "project/RecordFields.h"

namespace {

constexpr std::size_t kPadding = 3;

// Numbers go to the record's settings as they come; texts wait for the end.
class ClipboardWriter {
  public:
    explicit ClipboardWriter(platform::ArchiveWriter& settings) : settings_(settings) {}
    void Int(int32_t value) { settings_.Int32(value); }
    void Double(double value) { settings_.Double(value); }
    void Text(const std::string& text) { texts_.push_back(&text); }
    void Colour(const ::Colour& colour) {
        for (const int32_t part : {colour.red, colour.green, colour.blue}) Int(part);
    }
    void Font(const FontRecord& font) { font.Write(settings_); }
    void Curves(const CurveSet& curves) { FileFieldWriter(settings_).Curves(curves); }
    void Constant(int32_t value) { Int(value); }
    bool Has(int32_t) const { return true; }

    // The lengths of the texts, then the texts.
    void WriteTexts() {
        for (const std::string* text : texts_) settings_.Int32(static_cast<int32_t>(text->size()));
        for (const std::string* text : texts_)
            settings_.Raw({reinterpret_cast<const uint8_t*>(text->data()), text->size()});
    }

  private:
    platform::ArchiveWriter& settings_;
    std::vector<const std::string*> texts_;
};

class ClipboardReader {
  public:
    explicit ClipboardReader(platform::ArchiveReader& in) : in_(in) {}
    void Int(int32_t& value) { value = in_.Int32(); }
    void Double(double& value) { value = in_.Double(); }
    void Text(std::string& text) { texts_.push_back(&text); }
    void Colour(::Colour& colour) {
        for (int32_t* part : {&colour.red, &colour.green, &colour.blue}) Int(*part);
    }
    void Font(FontRecord& font) { font = FontRecord::Read(in_); }
    void Curves(CurveSet& curves) { FileFieldReader(in_, kProjectVersion).Curves(curves); }
    void Constant(int32_t) { in_.Int32(); }
    bool Has(int32_t) const { return true; }

    void ReadTexts() {
        std::vector<std::size_t> lengths;
        for (std::size_t i = 0; i < texts_.size(); ++i) lengths.push_back(ReadCount(in_, 1));
        for (std::size_t i = 0; i < texts_.size(); ++i) {
            const auto bytes = in_.Raw(lengths[i]);
            texts_[i]->assign(bytes.begin(), bytes.end());
        }
    }

  private:
    platform::ArchiveReader& in_;
    std::vector<std::string*> texts_;
};

void Pad(platform::ArchiveWriter& out) {
    for (std::size_t i = 0; i < kPadding; ++i) out.Byte(0);
}

}  // namespace

std::vector<uint8_t> EncodeClipboard(std::span<const CPageObject* const> objects) {
    if (objects.size() > kMaxClipboardObjects) throw std::length_error("too many objects to copy");
    platform::ArchiveWriter out;
    out.Byte(static_cast<uint8_t>(objects.size()));
    Pad(out);
    for (const CPageObject* object : objects) {
        platform::ArchiveWriter record;
        ClipboardWriter fields(record);
        CPageObject::ClipboardFields(*object, fields);
        fields.WriteTexts();
        out.Byte(static_cast<uint8_t>(object->Type()));
        Pad(out);
        out.Int32(static_cast<int32_t>(record.Bytes().size()));
        out.Raw(record.Bytes());
    }
    return out.TakeBytes();
}

std::vector<std::unique_ptr<CPageObject>> DecodeClipboard(std::span<const uint8_t> block) {
    platform::ArchiveReader in(block);
    const std::size_t count = in.Byte();
    in.Raw(kPadding);
    std::vector<std::unique_ptr<CPageObject>> objects;
    for (std::size_t i = 0; i < count; ++i) {
        const int32_t type = in.Byte();
        in.Raw(kPadding);
        if (!IsObjectType(type)) throw ProjectFormatError("not an object type");
        platform::ArchiveReader record(in.Raw(ReadCount(in, 1)));
        std::unique_ptr<CPageObject> object = CPageObject::Create(type, {}, {});
        ClipboardReader fields(record);
        CPageObject::ClipboardFields(*object, fields);
        fields.ReadTexts();
        if (!record.AtEnd()) throw ProjectFormatError("record longer than its fields");
        objects.push_back(std::move(object));
    }
    return objects;
}
