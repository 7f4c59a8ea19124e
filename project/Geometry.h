// Points, sizes, rectangles and colours of the page, in page pixels, as the
// project file holds them.
#pragma once

#include <cstdint>
#include <utility>

struct PagePoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const PagePoint&) const = default;
};

struct PageSize {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const PageSize&) const = default;
};

// Right and bottom lie just outside, as on the screen.
struct PageRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const PageRect&) const = default;

    static PageRect At(PagePoint at, PageSize size) {
        return {at.x, at.y, at.x + size.width, at.y + size.height};
    }
    bool Contains(PagePoint p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    bool Intersects(const PageRect& o) const {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
    // The same rectangle with left <= right and top <= bottom.
    PageRect Normalised() const {
        PageRect r = *this;
        if (r.left > r.right) std::swap(r.left, r.right);
        if (r.top > r.bottom) std::swap(r.top, r.bottom);
        return r;
    }
    PageRect Inflated(int32_t by) const { return {left - by, top - by, right + by, bottom + by}; }
};

// Red, green and blue, each 0-255.
struct Colour {
    int32_t red = 255;
    int32_t green = 255;
    int32_t blue = 255;
    bool operator==(const Colour&) const = default;
};

// What every colour defaults to: the system's window colour.
inline constexpr Colour kWindowColour{255, 255, 255};
inline constexpr Colour kBlack{0, 0, 0};
