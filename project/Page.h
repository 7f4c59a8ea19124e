// A page: a named, ordered list of page objects (list order is drawing
// order, the last on top), its background colour and its wallpaper.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "project/Geometry.h"
#include "project/PageObject.h"

namespace platform {
class ArchiveReader;
class ArchiveWriter;
}  // namespace platform

// Where a point meets a selected object's tracker: one of the eight resize
// handles, or the inside.
enum class TrackerPart {
    kNone,
    kTopLeft,
    kTop,
    kTopRight,
    kRight,
    kBottomRight,
    kBottom,
    kBottomLeft,
    kLeft,
    kInside
};

struct TrackerHit {
    CPageObject* object = nullptr;
    TrackerPart part = TrackerPart::kNone;
};

class CPage {
  public:
    static constexpr const char* kClassName = "CPage";
    static constexpr int32_t kHandleSize = 7;  // pixels, centred on the tracker's edge

    explicit CPage(std::string name) : name_(std::move(name)) {}
    CPage(const CPage&) = delete;
    CPage& operator=(const CPage&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    Colour BackColour() const { return colour_; }
    bool FollowsSystemColour() const { return followsSystem_ != 0; }
    void SetBackColour(Colour colour, bool followsSystem) {
        colour_ = colour;
        followsSystem_ = followsSystem;
    }
    const std::string& Wallpaper() const { return wallpaper_; }
    void SetWallpaper(std::string name) { wallpaper_ = std::move(name); }

    const std::vector<std::unique_ptr<CPageObject>>& Objects() const { return objects_; }
    CPageObject& Add(std::unique_ptr<CPageObject> object);
    // Puts the object at the index of the list (at its end when past it).
    CPageObject& Insert(std::unique_ptr<CPageObject> object, std::size_t index);
    // The object's place in the list; the list's length when it is not there.
    std::size_t IndexOf(const CPageObject& object) const;
    // Takes the object out of the list; null when it is not on this page.
    std::unique_ptr<CPageObject> Take(const CPageObject& object);
    bool Holds(const CPageObject& object) const;

    // The first object in list order whose rectangle holds the point.
    CPageObject* ObjectAt(PagePoint point) const;
    // The selected object and tracker part under the point: the last object
    // hit on a handle, or else the first one hit inside.
    TrackerHit TrackerAt(PagePoint point) const;
    void SelectAll(bool selected);
    // Selects every object meeting the rectangle, but not a sampling graph.
    void SelectIn(PageRect area);
    // The selected objects, in list order, go to the end of the list (drawn
    // last, on top) or to its front.
    void StackSelected(bool toTop);
    // The serial numbers of the objects in list order, and the list put
    // back into such an order (objects not named keep theirs, after those
    // named).
    std::vector<int32_t> Order() const;
    void SetOrder(const std::vector<int32_t>& serials);

    // The page's record (its name is written before it by the document).
    void Write(platform::ArchiveWriter& out) const;
    // Reads the record; each object read is handed to entered before it is
    // added, which may refuse it by raising.
    void Read(platform::ArchiveReader& in, int32_t version, CPictureLibrary& library,
              const std::function<void(CPageObject&)>& entered);

  private:
    std::string name_;
    Colour colour_ = kWindowColour;
    int32_t followsSystem_ = 1;
    std::string wallpaper_;  // a library entry's name, kept as read; empty: none
    std::vector<std::unique_ptr<CPageObject>> objects_;
};
