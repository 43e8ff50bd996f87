// Loading and lookup of the course catalogue.
#include "engine/Catalogue.h"

#include "engine/LessonTable.h"

#include <QFile>
#include <QStringList>

namespace dialoon {
namespace {

constexpr int kGermanBase = LessonTable::kIdBase;
using LessonTable::kEnglishOffset;
constexpr int kCopiedBlocks = 3; // blocks 17 to 19 repeat blocks 1 to 3

[[noreturn]] void fail(int lesson, int line, const QString& what)
{
    throw CourseFormatError(QStringLiteral("Course lesson %1, line %2: %3").arg(lesson).arg(line).arg(what).toStdString());
}

} // namespace

Catalogue Catalogue::fromResources()
{
    return fromCourseFolder(QStringLiteral(":/course"));
}

Catalogue Catalogue::fromCourseFolder(const QString& folder)
{
    QMap<int, QString> files;
    for (int lesson = 1; lesson <= LessonTable::kLessonCount; ++lesson) {
        QFile file(QStringLiteral("%1/lesson%2.txt").arg(folder).arg(lesson, 2, 10, QLatin1Char('0')));
        // A course with a lesson missing would show the lesson's places as empty: it is refused instead.
        if (!file.open(QIODevice::ReadOnly))
            throw CourseFormatError(QStringLiteral("Course lesson %1: the file %2 cannot be read (%3)")
                                        .arg(lesson)
                                        .arg(file.fileName(), file.errorString())
                                        .toStdString());
        files.insert(lesson, QString::fromUtf8(file.readAll()));
    }
    return fromLessonFiles(files);
}

Catalogue Catalogue::fromLessonFiles(const QMap<int, QString>& lessonFiles)
{
    Catalogue catalogue;
    for (auto it = lessonFiles.cbegin(); it != lessonFiles.cend(); ++it)
        catalogue.addLesson(it.key(), it.value());
    for (int b = 0; b < kCopiedBlocks; ++b)
        catalogue.blocks_[LessonTable::kLessonCount + b] = catalogue.blocks_[b];
    return catalogue;
}

void Catalogue::addLesson(int lesson, const QString& fileText)
{
    if (lesson < 1 || lesson > LessonTable::kLessonCount)
        fail(lesson, 0, QStringLiteral("there is no such lesson"));
    const int expected = LessonTable::kLessons[lesson].length;
    std::array<Pair, LessonTable::kBlockSize> pairs;
    int count = 0;
    const QStringList lines = fileText.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList fields = line.split(u'|');
        if (fields.size() != 4 || !fields[3].isEmpty())
            fail(lesson, i + 1, QStringLiteral("expected position|German|English|"));
        bool ok = false;
        const int position = fields[0].toInt(&ok);
        if (!ok || position != count + 1)
            fail(lesson, i + 1, QStringLiteral("position %1 out of order").arg(fields[0]));
        if (count == LessonTable::kBlockSize)
            fail(lesson, i + 1, QStringLiteral("more than %1 sentences").arg(LessonTable::kBlockSize));
        if (fields[1].isEmpty() || fields[2].isEmpty())
            fail(lesson, i + 1, QStringLiteral("empty text"));
        pairs[count++] = {fields[1], fields[2]};
    }
    if (count != expected)
        fail(lesson, static_cast<int>(lines.size()),
             QStringLiteral("%1 sentences where the lesson has %2").arg(count).arg(expected));
    auto& block = blocks_[lesson - 1];
    for (int k = 0; k < LessonTable::kBlockSize; ++k)
        block[k] = pairs[k % count];
}

std::optional<QString> Catalogue::text(std::int16_t id) const
{
    int german = id;
    const bool english = id >= kGermanBase + kEnglishOffset;
    if (english)
        german -= kEnglishOffset;
    const int block = (german - kGermanBase) / 100;
    const int position = (german - kGermanBase) % 100;
    if (german < kGermanBase || block < 1 || block > LessonTable::kBlockCount || position < 1 ||
        position > LessonTable::kBlockSize)
        return std::nullopt;
    const auto& pair = blocks_[block - 1][position - 1];
    if (!pair)
        return std::nullopt;
    return english ? pair->english : pair->german;
}

bool Catalogue::isComplete() const
{
    for (int b = 0; b < LessonTable::kBlockCount; ++b)
        if (!blocks_[b][0])
            return false;
    return true;
}

} // namespace dialoon
