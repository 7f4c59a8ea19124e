#include "project/ShapeLists.h"

#include "platform/TextCatalog.h"
#include "platform/Utf8.h"

namespace {

constexpr int32_t kTextFirstButtonShape = 8100;
constexpr int32_t kTextFirstSliderStyle = 9000;

struct ShapeRow {
    int32_t text;
    PageSize size;
};

// Rectangle and rounded rectangle stretch; the round and the arrow buttons
// are drawn from bitmaps of their own size.
constexpr ShapeRow kButtonShapes[] = {
    {8100, {0, 0}}, {8101, {0, 0}}, {8102, {32, 32}}, {8103, {32, 24}}, {8104, {32, 24}}};
constexpr ShapeRow kSliderStyles[] = {{9000, {18, 18}}, {9001, {14, 14}}, {9002, {24, 24}}};

template <typename Item, std::size_t N>
std::vector<Item> Load(const ShapeRow (&rows)[N]) {
    std::vector<Item> items;
    for (const ShapeRow& row : rows) items.push_back({platform::ResourceText(row.text), row.size});
    return items;
}

template <typename Item>
const Item* FindIn(const std::vector<Item>& items, std::string_view name) {
    for (const Item& item : items)
        if (platform::EqualsIgnoringCase(item.name, name)) return &item;
    return nullptr;
}

}  // namespace

const std::vector<ButtonShape>& ButtonShapes() {
    static const std::vector<ButtonShape> shapes = Load<ButtonShape>(kButtonShapes);
    return shapes;
}

const std::vector<SliderStyle>& SliderStyles() {
    static const std::vector<SliderStyle> styles = Load<SliderStyle>(kSliderStyles);
    return styles;
}

const ButtonShape* FindButtonShape(std::string_view name) {
    return FindIn(ButtonShapes(), name);
}

const SliderStyle* FindSliderStyle(std::string_view name) {
    return FindIn(SliderStyles(), name);
}

std::string DefaultButtonShape() {
    return platform::ResourceText(kTextFirstButtonShape);
}

std::string DefaultSliderStyle() {
    return platform::ResourceText(kTextFirstSliderStyle);
}
