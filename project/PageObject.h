// A page object: what every object on a page has (type, name, flags, size,
// position, serial number) and the object of its type that it owns.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

#include "project/Geometry.h"
#include "project/Graph.h"
#include "project/Monitor.h"
#include "project/PageButton.h"
#include "project/PictureBox.h"
#include "project/Slider.h"
#include "project/TextBox.h"

namespace platform {
class ArchiveReader;
class ArchiveWriter;
}  // namespace platform

// Type codes; 5 is not assigned.
enum ObjectType : int32_t {
    kNoObject = 0,
    kPictureBoxObject = 1,
    kGraphObject = 2,
    kButtonObject = 3,
    kSliderObject = 4,
    kMonitorObject = 6,
    kTextBoxObject = 7,
};

bool IsObjectType(int32_t type);
// The kind's name of the object-kind table ("slider", ...), and back (any
// letter case; kNoObject when none).
std::string ObjectKindName(int32_t type);
int32_t ObjectTypeOfKind(std::string_view kind);

class CPageObject {
  public:
    static constexpr const char* kClassName = "CPageObject";
    using Concrete =
        std::variant<std::monostate, CPictureBox, CGraph, CPageButton, CSlider, CMonitor, CTextBox>;

    // Makes an object of the type with an empty name at the position, its
    // size raised to the type's minimum, all of its own flags set and not
    // selected. A type outside 1-4, 6, 7 raises -15 ("**create**").
    static std::unique_ptr<CPageObject> Create(int32_t type, PagePoint at, PageSize size);
    // The smallest size of the type (a slider: its style's, for its orientation).
    static PageSize MinimumSize(int32_t type);

    CPageObject(const CPageObject&) = delete;
    CPageObject& operator=(const CPageObject&) = delete;

    int32_t Type() const { return type_; }
    int32_t Serial() const { return serial_; }
    const std::string& Name() const { return name_; }
    // Only the field: the document's rename keeps the name table in step.
    void SetNameField(std::string name) { name_ = std::move(name); }

    PagePoint Position() const { return position_; }
    PageSize Size() const { return size_; }
    PageRect Rect() const { return PageRect::At(position_, size_); }
    void Move(PagePoint at) { position_ = at; }
    // Picture box, graph, monitor and text box take the size; a slider keeps
    // its style's thickness; a button whose shape has a fixed size raises
    // -75 naming the button unless the size is the shape's. A monitor
    // resized from Logo whose font was never chosen gets a font as high as
    // it less 2.
    void Resize(PageSize size, bool fromLogo);

    bool DrawingFrame() const { return drawingFrame_ != 0; }
    bool Border() const { return border_ != 0; }
    void SetBorder(bool on) { border_ = on; }
    bool NameShown() const { return showName_ != 0; }
    void ShowName(bool on) { showName_ = on; }
    bool Selected() const { return selected_ != 0; }
    // Toggle flips the flag; otherwise it becomes flag.
    void Select(bool toggle, bool flag) { selected_ = toggle ? !selected_ : flag; }

    Concrete& Object() { return object_; }
    const Concrete& Object() const { return object_; }
    template <typename T>
    T* As() {
        return std::get_if<T>(&object_);
    }
    template <typename T>
    const T* As() const {
        return std::get_if<T>(&object_);
    }

    // The object's fields in the file's order: its common header, then
    // those of its type.
    template <typename Self, typename Visitor>
    static void Fields(Self& self, Visitor& v) {
        HeaderFields(self, v);
        std::visit(
            [&](auto& concrete) {
                using T = std::decay_t<decltype(concrete)>;
                if constexpr (!std::is_same_v<T, std::monostate>) T::Fields(concrete, v);
            },
            self.object_);
    }
    template <typename Self, typename Visitor>
    static void HeaderFields(Self& self, Visitor& v) {
        v.Text(self.name_);
        v.Int(self.showName_);
        if (self.type_ != kButtonObject) v.Int(self.border_);  // a button's record has none
        v.Int(self.size_.width);
        v.Int(self.size_.height);
        v.Int(self.position_.x);
        v.Int(self.position_.y);
    }

    // The clipboard's form: the name, every flag of the header whatever the
    // type, then the type's fields.
    template <typename Self, typename Visitor>
    static void ClipboardFields(Self& self, Visitor& v) {
        v.Text(self.name_);
        v.Int(self.showName_);
        v.Int(self.border_);
        v.Int(self.size_.width);
        v.Int(self.size_.height);
        v.Int(self.position_.x);
        v.Int(self.position_.y);
        std::visit(
            [&](auto& concrete) {
                using T = std::decay_t<decltype(concrete)>;
                if constexpr (!std::is_same_v<T, std::monostate>) T::Fields(concrete, v);
            },
            self.object_);
    }

    // The record's type byte ('P', 'G', 'B', 'S', 'M', 'T'); 0 for none.
    static uint8_t RecordByte(int32_t type);
    static int32_t TypeOfRecordByte(uint8_t byte);
    // The type byte and the record.
    void Write(platform::ArchiveWriter& out) const;
    // Reads the record of an object of the type, made with its defaults;
    // a picture box finds its picture in the library.
    static std::unique_ptr<CPageObject> Read(int32_t type, platform::ArchiveReader& in,
                                             int32_t version, CPictureLibrary& library);

  private:
    CPageObject(int32_t type, Concrete object);

    int32_t type_;
    std::string name_;
    int32_t drawingFrame_ = 1;
    int32_t border_ = 1;
    int32_t showName_ = 1;
    int32_t selected_ = 0;
    PageSize size_;
    PagePoint position_;
    int32_t serial_;
    Concrete object_;
};
