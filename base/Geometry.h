// Screen-pixel geometry shared between the platform layer and the logic that asks it.
#pragma once

#include <cstdint>

namespace dialoon {

struct PixelPoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// Left and top edges inside, right and bottom edges outside.
struct PixelRect
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;

    bool contains(PixelPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
};

} // namespace dialoon
