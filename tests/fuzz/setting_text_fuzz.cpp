// The stored-text conversions on any text: reading a number either gives a value or raises one of the two
// errors it names, the value is the one the C library reads from the same text, and what is written reads
// back as the same value. The input's first bytes also serve
// as a raw 16-bit integer and a raw single, so that writing is tried on every value, not only on those
// some text spells.
#include "FuzzCheck.h"

#include "app/SettingText.h"
#include "base/Errors.h"

#include <QRegularExpression>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>

using namespace dialoon;
using dialoon::fuzz::check;

namespace {

template <typename Read>
auto readOrNothing(Read read, const QString& text) -> std::optional<decltype(read(text))>
{
    try {
        return read(text);
    } catch (const TypeMismatchError&) {
    } catch (const OverflowError&) {
    }
    return std::nullopt;
}

// A second opinion on a number's value: the C library's reading of the trimmed text (this process keeps
// the "C" locale), or nothing when it does not read the whole text.
std::optional<double> libraryReading(const QString& text)
{
    const QByteArray ascii = text.trimmed().toLatin1();
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(ascii.constData(), &end);
    if (ascii.isEmpty() || end != ascii.constData() + ascii.size()) return std::nullopt;
    return value;
}

void int16RoundTrip(std::int16_t value)
{
    static const QRegularExpression plain(QStringLiteral("^-?(0|[1-9][0-9]*)$"));
    const QString text = SettingText::fromInt16(value);
    check(plain.match(text).hasMatch(), "an integer is written as plain decimal", text);
    check(SettingText::toInt16(text) == value, "an integer reads back as itself", text);
}

void singleRoundTrip(float value)
{
    const QString text = SettingText::fromSingle(value);
    if (!std::isfinite(value)) return;
    const float back = SettingText::toSingle(text);
    check(back == value, "a single reads back as itself",
          text + QStringLiteral(" read back as ") + QString::number(back, 'g', 9));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const auto integer = readOrNothing(&SettingText::toInt16, text);
    const auto single = readOrNothing(&SettingText::toSingle, text);
    const auto reference = integer || single ? libraryReading(text) : std::nullopt;
    if (integer) {
        check(reference && std::nearbyint(*reference) == *integer,
              "an integer is the number rounded half to even", text);
        int16RoundTrip(*integer);
        // Any text that reads as a 16-bit integer is a number well within single precision.
        check(single.has_value(), "an integer's text reads as a single too", text);
        check(std::fabs(*single - *integer) <= 0.5f, "the integer is the single rounded", text);
    }
    if (single) {
        check(std::isfinite(*single), "a single read from text is finite", text);
        check(reference && static_cast<float>(*reference) == *single,
              "a single is the number in single precision", text);
        singleRoundTrip(*single);
    }

    if (size >= sizeof(std::int16_t)) {
        std::int16_t raw;
        std::memcpy(&raw, data, sizeof raw);
        int16RoundTrip(raw);
    }
    if (size >= sizeof(float)) {
        float raw;
        std::memcpy(&raw, data, sizeof raw);
        singleRoundTrip(raw);
    }
    return 0;
}
