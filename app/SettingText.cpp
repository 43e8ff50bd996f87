// Conversions between stored text and 16-bit integers or single-precision numbers.
#include "app/SettingText.h"

#include "base/Errors.h"
#include "base/Twips.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <limits>

namespace dialoon::SettingText {
namespace {

// Decimal numbers as a person would type them: sign, digits, fraction, exponent.
bool isNumber(QStringView text)
{
    const qsizetype end = text.size();
    qsizetype at = 0;
    const auto digits = [&] {
        const qsizetype from = at;
        while (at < end && text[at] >= u'0' && text[at] <= u'9')
            ++at;
        return at - from;
    };
    if (at < end && (text[at] == u'+' || text[at] == u'-')) ++at;
    qsizetype mantissa = digits();
    if (at < end && text[at] == u'.') {
        ++at;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (at < end && (text[at] == u'e' || text[at] == u'E')) {
        ++at;
        if (at < end && (text[at] == u'+' || text[at] == u'-')) ++at;
        if (digits() == 0) return false;
    }
    return at == end;
}

double parseNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (!isNumber(trimmed))
        throw TypeMismatchError("Type mismatch: \"" + text.toStdString() + "\" is not a number");
    bool ok = false;
    QString digits = trimmed;
    if (digits.startsWith(u'+')) digits.remove(0, 1);
    const double value = QLocale::c().toDouble(digits, &ok);
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
    if (value < -32768.5 || value > 32767.5)
        throw OverflowError("Overflow: \"" + text.toStdString() + "\" is outside -32768 to 32767");
    const std::int64_t rounded = roundHalfEven(value);
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
