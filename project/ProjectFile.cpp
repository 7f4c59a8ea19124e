// The project file: the document's fields in the order of the file, for
// every version read and version 13 written. Texts are Windows-1252 in the
// file (platform::Archive converts them); the setup block is the setup's.
//
// A file is read into a new document that nobody sees until the whole file
// has been read: a damaged file changes nothing. Every count is judged
// against the bytes left before anything is made for it.
#include <unistd.h>

#include <cerrno>
#include <set>

#include "LogoCore/LogoErrors.h"
#include "LogoCore/NameTable.h"
#include "platform/Archive.h"
#include "platform/Utf8.h"
#include "project/FormatError.h"
#include "project/KinetraDoc.h"
#include "project/ProjectFiles.h"
#include "project/RecordFields.h"

namespace {

constexpr int32_t kMagic = 0x786D694B;  // "Kimx"
constexpr int32_t kLargestBareVersion = 15;
constexpr int32_t kFirstLockVersion = 7;
constexpr int32_t kFirstFramesVersion = 13;
constexpr int32_t kFirstColoursVersion = 7;
constexpr int32_t kFirstSinglePageVersion = 6;
constexpr int32_t kFirstPicturesVersion = 9;
constexpr std::size_t kSmallestPictureRecord = 4;  // its marker
constexpr std::size_t kSmallestPageRecord = 2;     // its name's length and the end byte

constexpr int32_t kErrorDamaged = -45;
constexpr int32_t kErrorNewerVersion = -49;
constexpr int32_t kErrorUnknownStyle = -28;

void WriteRect(FileFieldWriter& out, const PageRect& r) {
    for (const int32_t v : {r.left, r.top, r.right, r.bottom}) out.Int(v);
}

void ReadRect(FileFieldReader& in, PageRect& r) {
    for (int32_t* v : {&r.left, &r.top, &r.right, &r.bottom}) in.Int(*v);
}

// Roughly what the file will take, so that the bytes are not copied as
// they grow: the samples and pictures are nearly all of a large project.
std::size_t EstimatedSize(const std::vector<std::unique_ptr<CPage>>& pages,
                          const CPictureLibrary& pictures) {
    std::size_t bytes = 1 << 16;
    for (const PictureRef& picture : pictures.UserPictures())
        bytes += picture->header.size() + picture->rows.size() + 64;
    for (const auto& page : pages) {
        for (const auto& object : page->Objects()) {
            bytes += 256;
            if (const CGraph* graph = object->As<CGraph>()) {
                auto data = graph->DataLock();  // it may be sampling
                for (const auto& curve : graph->curves) bytes += 8 * curve.size();
            }
        }
    }
    return bytes;
}

}  // namespace

std::vector<uint8_t> CKinetraDoc::Write() const {
    auto hold = Lock();
    platform::ArchiveWriter out;
    out.Reserve(EstimatedSize(pages_, pictures_));
    FileFieldWriter fields(out);
    out.Int32(kMagic);
    out.Int32(kProjectVersion);
    const DocumentSettings& s = settings_;
    fields.Int(s.locked);
    fields.Text(s.password);
    WriteRect(fields, s.setupFrame);
    WriteRect(fields, s.proceduresFrame);
    WriteRect(fields, s.pageFrame);
    fields.Colour(s.pageColour);
    fields.Int(s.pageColourFollowsSystem);
    fields.Colour(s.proceduresColour);
    fields.Int(s.proceduresColourFollowsSystem);
    fields.Int(s.singlePage);
    fields.Int(static_cast<int32_t>(pictures_.UserPictures().size()));
    for (const PictureRef& picture : pictures_.UserPictures()) picture->Write(out);
    fields.Text(ProceduresText());
    CSetupData::WriteBlock(out, pendingSetup_ ? *pendingSetup_ : setup_.Block());
    const CPage* current = CurrentPage();
    fields.Text(current ? current->Name() : std::string());
    fields.Int(static_cast<int32_t>(pages_.size()));
    for (const auto& page : pages_) {
        fields.Text(page->Name());
        page->Write(out);
    }
    return out.TakeBytes();
}

std::shared_ptr<CKinetraDoc> CKinetraDoc::OpenFile(const std::string& path) {
    std::shared_ptr<CKinetraDoc> doc = Read(ReadProjectFile(path), path);
    const std::string absolute = AbsolutePath(path);
    doc->SetPath(absolute);
    Install(doc);
    // The project is open whether or not its folder can be entered.
    if (::chdir(FolderOf(absolute).c_str()) != 0) errno = 0;
    return doc;
}

void CKinetraDoc::SaveAs(const std::string& path) {
    SaveFileSafely(path, Write());
    SetPath(AbsolutePath(path));
    SetModified(false);
}

std::shared_ptr<CKinetraDoc> CKinetraDoc::Read(std::span<const uint8_t> bytes,
                                               const std::string& fileName) {
    std::shared_ptr<CKinetraDoc> doc(new CKinetraDoc());
    platform::ArchiveReader in(bytes);
    try {
        const int32_t first = in.Int32();
        int32_t version = first;
        if (first > kLargestBareVersion) {
            if (first != kMagic) throw ProjectFormatError("not a project");
            version = in.Int32();
        }
        if (version < 0) throw ProjectFormatError("negative version");
        if (version > kProjectVersion) RaiseError(kErrorNewerVersion, {fileName});
        doc->ReadBody(in, version);
    } catch (const platform::ArchiveEnded&) {
        RaiseError(kErrorDamaged, {fileName});
    } catch (const ProjectFormatError&) {
        RaiseError(kErrorDamaged, {fileName});
    }
    doc->SetModified(false);
    return doc;
}

void CKinetraDoc::ReadBody(platform::ArchiveReader& in, int32_t version) {
    auto hold = Lock();
    FileFieldReader fields(in, version);
    DocumentSettings& s = settings_;
    if (version >= kFirstLockVersion) {
        fields.Int(s.locked);
        fields.Text(s.password);
    }
    if (version >= kFirstFramesVersion) {
        ReadRect(fields, s.setupFrame);
        ReadRect(fields, s.proceduresFrame);
        ReadRect(fields, s.pageFrame);
    }
    if (version >= kFirstColoursVersion) {
        fields.Colour(s.pageColour);
        fields.Int(s.pageColourFollowsSystem);
        fields.Colour(s.proceduresColour);
        fields.Int(s.proceduresColourFollowsSystem);
    }
    if (version >= kFirstSinglePageVersion) fields.Int(s.singlePage);
    if (version >= kFirstPicturesVersion) {
        const std::size_t count = ReadCount(in, kSmallestPictureRecord);
        for (std::size_t i = 0; i < count; ++i)
            if (auto picture = CPictureListItem::Read(in))
                pictures_.Add(std::make_shared<const CPictureListItem>(std::move(*picture)));
    }
    fields.Text(proceduresText_);
    pendingSetup_ = CSetupData::ReadBlock(in);
    if (!pendingSetup_) throw ProjectFormatError("unknown setup version");
    const std::string currentName = in.Text();

    const std::size_t pageCount = ReadCount(in, kSmallestPageRecord);
    if (pageCount > kMaxPages) throw ProjectFormatError("too many pages");
    const auto entered = [this](CPageObject& object) {
        if (const CSlider* slider = object.As<CSlider>(); slider && !FindSliderStyle(slider->style))
            RaiseError(kErrorUnknownStyle, {slider->style});
        const std::string& name = object.Name();
        if (name.empty()) return;
        if (InterpreterHolds(name)) RaiseError(kErrorNameInUse, {name});
        EnterObjectName(object, name);
    };
    for (std::size_t i = 0; i < pageCount; ++i) {
        auto page = std::make_unique<CPage>(in.Text());
        page->Read(in, version, pictures_, entered);
        pages_.push_back(std::move(page));
    }
    current_ = pages_.empty() ? -1 : 0;
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (pages_[i]->Name() == currentName) {
            current_ = static_cast<int>(i);
            break;
        }
    }
    CheckPortNames(*pendingSetup_);
}

void CKinetraDoc::CheckPortNames(const SetupBlock& block) {
    // The setup enters its names when the project opens; one that would be
    // refused then fails the file now. Port names share the name table with
    // the objects; direction names are words of their own.
    const auto checker = [this](bool inNameTable) {
        return
            [this, inNameTable, seen = std::set<std::string>()](const std::string& name) mutable {
                if (name.empty()) return;
                if ((inNameTable && names_.Has(name)) || InterpreterHolds(name) ||
                    !seen.insert(platform::LowerCase(name)).second)
                    RaiseError(kErrorNameInUse, {name});
            };
    };
    auto port = checker(true);
    for (const std::string& name : block.portName) port(name);
    if (!block.current) return;
    auto direction = checker(false);
    for (const std::string& name : block.direction1) direction(name);
    for (const std::string& name : block.direction0) direction(name);
}
