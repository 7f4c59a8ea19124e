#include "project/PageObject.h"

#include <algorithm>

#include "LogoCore/LogoCoreStartup.h"
#include "LogoCore/LogoErrors.h"
#include "platform/Archive.h"
#include "platform/Utf8.h"
#include "project/RecordFields.h"

namespace {

constexpr int32_t kErrorNotForThisObject = -15;
constexpr int32_t kErrorFixedShape = -75;
constexpr int32_t kUprightSlider = 0;

// Grows for every object made in the process; never reused.
std::atomic<int32_t> gSerials{0};

CPageObject::Concrete DefaultObject(int32_t type) {
    switch (type) {
        case kPictureBoxObject:
            return CPictureBox();
        case kGraphObject:
            return CGraph();
        case kButtonObject:
            return CPageButton();
        case kSliderObject:
            return CSlider();
        case kMonitorObject:
            return CMonitor();
        case kTextBoxObject:
            return CTextBox();
        default:
            RaiseError(kErrorNotForThisObject, {"**create**"});
    }
}

// A slider's thickness is its style's; its length is free.
PageSize SliderSize(const CSlider& slider, PageSize size) {
    const SliderStyle* style = FindSliderStyle(slider.style);
    if (!style) style = &SliderStyles().front();
    if (slider.orientation == kUprightSlider)
        size.width = style->bitmap.width;
    else
        size.height = style->bitmap.height;
    return size;
}

}  // namespace

std::string ObjectKindName(int32_t type) {
    for (const auto& [code, name] : ObjectKindTable())
        if (code == type) return name;
    return {};
}

int32_t ObjectTypeOfKind(std::string_view kind) {
    for (const auto& [code, name] : ObjectKindTable())
        if (platform::EqualsIgnoringCase(name, kind)) return code;
    return kNoObject;
}

bool IsObjectType(int32_t type) {
    return type >= kPictureBoxObject && type <= kTextBoxObject && type != 5;
}

PageSize CPageObject::MinimumSize(int32_t type) {
    switch (type) {
        case kPictureBoxObject:
        case kTextBoxObject:
            return {8, 8};
        case kGraphObject:
            return {210, 180};
        case kButtonObject:
            return {3, 3};
        case kMonitorObject:
            return {10, 10};
        default:
            return {0, 0};
    }
}

CPageObject::CPageObject(int32_t type, Concrete object)
    : type_(type), serial_(++gSerials), object_(std::move(object)) {}

std::unique_ptr<CPageObject> CPageObject::Create(int32_t type, PagePoint at, PageSize size) {
    std::unique_ptr<CPageObject> made(new CPageObject(type, DefaultObject(type)));
    made->position_ = at;
    if (const CSlider* slider = made->As<CSlider>()) {
        made->size_ = SliderSize(*slider, size);
        made->border_ = 0;
    } else {
        const PageSize least = MinimumSize(type);
        made->size_ = {std::max(size.width, least.width), std::max(size.height, least.height)};
    }
    return made;
}

void CPageObject::Resize(PageSize size, bool fromLogo) {
    if (const CSlider* slider = As<CSlider>()) {
        size_ = SliderSize(*slider, size);
        return;
    }
    if (const CPageButton* button = As<CPageButton>()) {
        const ButtonShape* shape = FindButtonShape(button->shape);
        if (shape && shape->FixedSize() && !(size == shape->fixedSize))
            RaiseError(kErrorFixedShape, {name_});
    }
    if (CMonitor* monitor = As<CMonitor>(); monitor && fromLogo && !monitor->fontSet)
        monitor->font.height = size.height - 2;
    size_ = size;
}

uint8_t CPageObject::RecordByte(int32_t type) {
    switch (type) {
        case kPictureBoxObject:
            return 'P';
        case kGraphObject:
            return 'G';
        case kButtonObject:
            return 'B';
        case kSliderObject:
            return 'S';
        case kMonitorObject:
            return 'M';
        case kTextBoxObject:
            return 'T';
        default:
            return 0;
    }
}

int32_t CPageObject::TypeOfRecordByte(uint8_t byte) {
    for (const int32_t type : {kPictureBoxObject, kGraphObject, kButtonObject, kSliderObject,
                               kMonitorObject, kTextBoxObject})
        if (RecordByte(type) == byte) return type;
    return kNoObject;
}

void CPageObject::Write(platform::ArchiveWriter& out) const {
    const uint8_t byte = RecordByte(type_);
    if (byte == 0) return;  // no record for an unassigned type
    // A sampling graph's curves are read whole, not while a sample goes in.
    std::unique_lock<std::mutex> data;
    if (const CGraph* graph = As<CGraph>()) data = graph->DataLock();
    out.Byte(byte);
    FileFieldWriter writer(out);
    Fields(*this, writer);
}

std::unique_ptr<CPageObject> CPageObject::Read(int32_t type, platform::ArchiveReader& in,
                                               int32_t version, CPictureLibrary& library) {
    std::unique_ptr<CPageObject> made(new CPageObject(type, DefaultObject(type)));
    FileFieldReader reader(in, version);
    if (CPictureBox* box = made->As<CPictureBox>()) {
        HeaderFields(*made, reader);
        box->Read(in, version, library);
        return made;
    }
    Fields(*made, reader);
    return made;
}
