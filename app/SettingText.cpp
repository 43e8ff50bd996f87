#include "app/SettingText.h"

#include "base/Errors.h"
#include "base/Twips.h"

#include <QLocale>
#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <limits>

namespace dialoon::SettingText {
namespace {

double parseNumber(const QString& text)
{
    // Decimal numbers as a person would type them: sign, digits, fraction, exponent.
    static const QRegularExpression kNumber(QRegularExpression::anchoredPattern(
        QStringLiteral("[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?")));
    const QString trimmed = text.trimmed();
    if (!kNumber.match(trimmed).hasMatch())
        throw TypeMismatchError("Type mismatch: \"" + text.toStdString() + "\" is not a number");
    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        throw OverflowError("Overflow: \"" + text.toStdString() + "\" is too large");
    return value;
}

} // namespace

QString fromInt16(std::int16_t value)
{
    return QString::number(value);
}

QString fromSingle(float value)
{
    if (value == 0.0f) return QStringLiteral("0");
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

std::int16_t toInt16(const QString& text)
{
    const double value = parseNumber(text);
    // Far outside, a value is not rounded: it might not fit the rounding's 64 bits.
    const std::int64_t rounded = value >= -32768.5 && value <= 32767.5 ? roundHalfEven(value) : 32768;
    if (rounded < -32768 || rounded > 32767)
        throw OverflowError("Overflow: \"" + text.toStdString() + "\" is outside -32768 to 32767");
    return static_cast<std::int16_t>(rounded);
}

float toSingle(const QString& text)
{
    const double value = parseNumber(text);
    if (std::fabs(value) > std::numeric_limits<float>::max())
        throw OverflowError("Overflow: \"" + text.toStdString() + "\" is too large");
    return static_cast<float>(value);
}

} // namespace dialoon::SettingText
