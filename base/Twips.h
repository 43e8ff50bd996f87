// Conversion between twips, the model's unit of length, and screen pixels. The only place that does it.
#pragma once

#include <cmath>
#include <cstdint>

namespace dialoon {

// Nearest integer, halves going to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
inline std::int64_t roundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double diff = value - floor;
    auto result = static_cast<std::int64_t>(floor);
    if (diff > 0.5 || (diff == 0.5 && (result % 2 != 0))) ++result;
    return result;
}

// A position: the real quotient, rounded half to even.
inline int twipsToPixelsRounded(double twips, double twipsPerPixel)
{
    return static_cast<int>(roundHalfEven(twips / twipsPerPixel));
}

// A size or a vertical position: both operands rounded first, then divided as integers (truncating).
inline int twipsToPixelsTruncated(double twips, double twipsPerPixel)
{
    const std::int64_t divisor = roundHalfEven(twipsPerPixel);
    if (divisor == 0) return 0;
    return static_cast<int>(roundHalfEven(twips) / divisor);
}

} // namespace dialoon
