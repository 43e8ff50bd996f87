// The sixteen standard colours, by their classic numbers.
#pragma once

#include <QColor>

#include <array>

namespace dialoon {

inline QColor palette16(int index)
{
    static const std::array<QColor, 16> colours{{
        {0, 0, 0}, {0, 0, 128}, {0, 128, 0}, {0, 128, 128}, {128, 0, 0}, {128, 0, 128},
        {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 255}, {0, 255, 0}, {0, 255, 255},
        {255, 0, 0}, {255, 0, 255}, {255, 255, 0}, {255, 255, 255},
    }};
    return colours[static_cast<std::size_t>(index & 15)];
}

} // namespace dialoon
