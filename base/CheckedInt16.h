// 16-bit arithmetic for the application state that raises an overflow error instead of wrapping.
#pragma once

#include "base/Errors.h"

#include <cstdint>
#include <limits>

namespace dialoon {

inline std::int16_t checkedInt16(long long value)
{
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max())
        throw OverflowError("Overflow: " + std::to_string(value) + " does not fit in 16 bits");
    return static_cast<std::int16_t>(value);
}

// Adds delta to a 16-bit field in place.
inline void addChecked(std::int16_t& field, long long delta)
{
    field = checkedInt16(static_cast<long long>(field) + delta);
}

} // namespace dialoon
