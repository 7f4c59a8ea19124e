// The button shape list and the slider style list: the named looks a button
// or a slider can take. Their names are texts of the resource library; the
// first of each list (8100, 9000) is what a new button or slider gets.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "project/Geometry.h"

struct ButtonShape {
    std::string name;
    // A shape drawn from a bitmap keeps its bitmap's size; {0, 0}: any size.
    PageSize fixedSize;
    bool FixedSize() const { return fixedSize.width > 0; }
};

struct SliderStyle {
    std::string name;
    // The size of the style's bitmap: a slider upright (orientation 0) is
    // as wide as it, one lying (orientation 1) as high.
    PageSize bitmap;
};

const std::vector<ButtonShape>& ButtonShapes();
const std::vector<SliderStyle>& SliderStyles();

// Found in any letter case; null when the list has no such name.
const ButtonShape* FindButtonShape(std::string_view name);
const SliderStyle* FindSliderStyle(std::string_view name);

// The defaults: the names of texts 8100 and 9000.
std::string DefaultButtonShape();
std::string DefaultSliderStyle();
