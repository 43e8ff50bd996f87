// The text form of stored values: how numbers are written to the settings store and read back.
#pragma once

#include <QString>

#include <cstdint>

namespace dialoon::SettingText {

// Plain decimal: optional minus, digits, no leading zeros.
QString fromInt16(std::int16_t value);

// The shortest decimal text that reads back as the same single-precision value; '.' as separator.
QString fromSingle(float value);

// Surrounding blanks ignored, a fraction rounded half to even. Raises TypeMismatchError for empty or
// non-numeric text and OverflowError outside -32768..32767.
std::int16_t toInt16(const QString& text);

// Raises TypeMismatchError for empty or non-numeric text and OverflowError beyond single precision.
float toSingle(const QString& text);

} // namespace dialoon::SettingText
