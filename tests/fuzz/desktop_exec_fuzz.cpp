// The logon entry's Exec value for any executable path: a desktop that reads the value back, first
// undoing the escapes of a string value, then splitting it into arguments by the quoting rule of the Exec
// key and turning "%%" into "%", must find exactly one argument, the path itself. The reading side is
// written here from the Desktop Entry rules, strictly: anything the rules leave undefined counts as a
// fault of the writer.
#include "FuzzCheck.h"

#include "platform/posix/LogonEntry.h"

#include <QStringList>

#include <cstdint>
#include <optional>

using namespace dialoon;
using dialoon::fuzz::check;

namespace {

const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");

// The escapes of a string value: \s \n \t \r \\; nothing else may follow a backslash.
std::optional<QString> unescapeString(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++i == value.size()) return std::nullopt;
        switch (value[i].unicode()) {
        case 's':
            out += u' ';
            break;
        case 'n':
            out += u'\n';
            break;
        case 't':
            out += u'\t';
            break;
        case 'r':
            out += u'\r';
            break;
        case '\\':
            out += u'\\';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

// "%%" is a literal percent sign; any other '%' starts a field code, which a path must not turn into.
std::optional<QString> expandPercents(const QString& arg)
{
    QString out;
    for (qsizetype i = 0; i < arg.size(); ++i) {
        if (arg[i] != u'%') {
            out += arg[i];
            continue;
        }
        if (++i == arg.size() || arg[i] != u'%') return std::nullopt;
        out += u'%';
    }
    return out;
}

// The quoting rule: arguments apart by spaces; a quoted argument is enclosed in double quotes, inside
// which a backslash escapes only '"', '`', '$' and '\'; an unquoted argument holds no reserved character.
std::optional<QStringList> splitArguments(const QString& line)
{
    QStringList args;
    qsizetype i = 0;
    while (i < line.size()) {
        if (line[i] == u' ') {
            ++i;
            continue;
        }
        QString arg;
        if (line[i] == u'"') {
            for (++i;; ++i) {
                if (i == line.size()) return std::nullopt; // no closing quote
                if (line[i] == u'"') break;
                if (line[i] == u'\\') {
                    if (++i == line.size()) return std::nullopt;
                    const QChar e = line[i];
                    if (e != u'"' && e != u'`' && e != u'$' && e != u'\\') return std::nullopt;
                }
                arg += line[i];
            }
            ++i;
            if (i < line.size() && line[i] != u' ')
                return std::nullopt; // a quoted argument is a whole argument
        } else {
            for (; i < line.size() && line[i] != u' '; ++i) {
                if (kReserved.contains(line[i])) return std::nullopt;
                arg += line[i];
            }
        }
        const auto expanded = expandPercents(arg);
        if (!expanded) return std::nullopt;
        args << *expanded;
    }
    return args;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (path.contains(QChar(0))) // no file name holds a NUL
        return 0;
    const QString value = LogonEntry::desktopExecValue(path);
    check(!value.contains(u'\n') && !value.contains(u'\r'), "the value stays on its line", value);

    const auto line = unescapeString(value);
    check(line.has_value(), "the value's escapes are those of a string", value);
    const auto args = splitArguments(*line);
    check(args.has_value(), "the value follows the quoting rule", value);
    check(args->size() == 1, "the value is one argument", value);
    check(args->front() == path, "the argument is the path", value + QStringLiteral(" -> ") + args->front());
    return 0;
}
