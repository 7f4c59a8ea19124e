#include "project/Page.h"

#include <algorithm>
#include <cstdlib>

#include "platform/Archive.h"
#include "project/RecordFields.h"

namespace {

constexpr uint8_t kEndOfObjects = 'E';
constexpr int32_t kFirstColourVersion = 8;
constexpr int32_t kFirstWallpaperVersion = 7;

// Which handle of the tracker (the object's rectangle one pixel larger) is
// under the point, if any.
TrackerPart PartOf(const PageRect& object, PagePoint p) {
    const PageRect tracker = object.Inflated(1);
    const int32_t half = CPage::kHandleSize / 2;
    const int32_t xs[] = {tracker.left, (tracker.left + tracker.right) / 2, tracker.right - 1};
    const int32_t ys[] = {tracker.top, (tracker.top + tracker.bottom) / 2, tracker.bottom - 1};
    static constexpr TrackerPart kParts[3][3] = {
        {TrackerPart::kTopLeft, TrackerPart::kTop, TrackerPart::kTopRight},
        {TrackerPart::kLeft, TrackerPart::kNone, TrackerPart::kRight},
        {TrackerPart::kBottomLeft, TrackerPart::kBottom, TrackerPart::kBottomRight}};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            if (kParts[row][column] != TrackerPart::kNone && std::abs(p.x - xs[column]) <= half &&
                std::abs(p.y - ys[row]) <= half)
                return kParts[row][column];
    return tracker.Contains(p) ? TrackerPart::kInside : TrackerPart::kNone;
}

}  // namespace

CPageObject& CPage::Add(std::unique_ptr<CPageObject> object) {
    objects_.push_back(std::move(object));
    return *objects_.back();
}

CPageObject& CPage::Insert(std::unique_ptr<CPageObject> object, std::size_t index) {
    index = std::min(index, objects_.size());
    return **objects_.insert(objects_.begin() + static_cast<std::ptrdiff_t>(index),
                             std::move(object));
}

std::size_t CPage::IndexOf(const CPageObject& object) const {
    std::size_t index = 0;
    while (index < objects_.size() && objects_[index].get() != &object) ++index;
    return index;
}

std::unique_ptr<CPageObject> CPage::Take(const CPageObject& object) {
    const auto it = std::find_if(objects_.begin(), objects_.end(),
                                 [&](const auto& mine) { return mine.get() == &object; });
    if (it == objects_.end()) return nullptr;
    std::unique_ptr<CPageObject> taken = std::move(*it);
    objects_.erase(it);
    return taken;
}

bool CPage::Holds(const CPageObject& object) const {
    return std::any_of(objects_.begin(), objects_.end(),
                       [&](const auto& mine) { return mine.get() == &object; });
}

CPageObject* CPage::ObjectAt(PagePoint point) const {
    for (const auto& object : objects_)
        if (object->Rect().Contains(point)) return object.get();
    return nullptr;
}

TrackerHit CPage::TrackerAt(PagePoint point) const {
    TrackerHit onHandle, inside;
    for (const auto& object : objects_) {
        if (!object->Selected()) continue;
        const TrackerPart part = PartOf(object->Rect(), point);
        if (part == TrackerPart::kInside) {
            if (!inside.object) inside = {object.get(), part};
        } else if (part != TrackerPart::kNone) {
            onHandle = {object.get(), part};
        }
    }
    return onHandle.object ? onHandle : inside;
}

std::vector<int32_t> CPage::Order() const {
    std::vector<int32_t> serials;
    for (const auto& object : objects_) serials.push_back(object->Serial());
    return serials;
}

void CPage::SetOrder(const std::vector<int32_t>& serials) {
    const auto rank = [&](const auto& object) {
        return std::find(serials.begin(), serials.end(), object->Serial()) - serials.begin();
    };
    std::stable_sort(objects_.begin(), objects_.end(),
                     [&](const auto& a, const auto& b) { return rank(a) < rank(b); });
}

void CPage::SelectAll(bool selected) {
    for (const auto& object : objects_) object->Select(false, selected);
}

void CPage::SelectIn(PageRect area) {
    const PageRect normal = area.Normalised();
    for (const auto& object : objects_) {
        const CGraph* graph = object->As<CGraph>();
        if (graph && graph->Sampling()) continue;
        if (object->Rect().Intersects(normal)) object->Select(false, true);
    }
}

void CPage::StackSelected(bool toTop) {
    // A stable partition keeps the order within both groups.
    const auto selected = [](const auto& object) { return object->Selected(); };
    if (toTop)
        std::stable_partition(objects_.begin(), objects_.end(),
                              [&](const auto& o) { return !selected(o); });
    else
        std::stable_partition(objects_.begin(), objects_.end(), selected);
}

void CPage::Write(platform::ArchiveWriter& out) const {
    FileFieldWriter fields(out);
    fields.Colour(colour_);
    fields.Int(followsSystem_);
    for (const auto& object : objects_) object->Write(out);
    out.Byte(kEndOfObjects);
    out.Text(wallpaper_);
}

void CPage::Read(platform::ArchiveReader& in, int32_t version, CPictureLibrary& library,
                 const std::function<void(CPageObject&)>& entered) {
    FileFieldReader fields(in, version);
    if (version >= kFirstColourVersion) {
        fields.Colour(colour_);
        fields.Int(followsSystem_);
    }
    for (uint8_t byte; (byte = in.Byte()) != kEndOfObjects;) {
        const int32_t type = CPageObject::TypeOfRecordByte(byte);
        if (type == kNoObject) continue;  // not a record: the next byte is looked at
        std::unique_ptr<CPageObject> object = CPageObject::Read(type, in, version, library);
        entered(*object);
        Add(std::move(object));
    }
    if (version >= kFirstWallpaperVersion) wallpaper_ = in.Text();
}
