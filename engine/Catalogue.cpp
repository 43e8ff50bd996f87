#include "engine/Catalogue.h"

#include "engine/LessonTable.h"

#include <QFile>
#include <QStringList>

#include <algorithm>

namespace dialoon {
namespace {

using namespace LessonTable;
constexpr int kCopiedBlocks = 3; // blocks 17 to 19 repeat blocks 1 to 3

[[noreturn]] void fail(int lesson, int line, const QString& what)
{
    throw CourseFormatError(
        QStringLiteral("Course lesson %1, line %2: %3").arg(lesson).arg(line).arg(what).toStdString());
}

} // namespace

Catalogue Catalogue::fromResources()
{
    return fromCourseFolder(QStringLiteral(":/course"));
}

Catalogue Catalogue::fromCourseFolder(const QString& folder)
{
    QMap<int, QString> files;
    for (int lesson = 1; lesson <= kLessonCount; ++lesson) {
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
        catalogue.blocks_[kLessonCount + b] = catalogue.blocks_[b];
    return catalogue;
}

void Catalogue::addLesson(int lesson, const QString& fileText)
{
    if (lesson < 1 || lesson > kLessonCount) fail(lesson, 0, QStringLiteral("there is no such lesson"));
    const int expected = kLessons[lesson].length;
    auto& block = blocks_[lesson - 1];
    int count = 0;
    const QStringList lines = fileText.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r')) line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(u'#')) continue;
        const QStringList fields = line.split(u'|');
        if (fields.size() != 4 || !fields[3].isEmpty())
            fail(lesson, i + 1, QStringLiteral("expected position|German|English|"));
        bool ok = false;
        const int position = fields[0].toInt(&ok);
        if (!ok || position != count + 1)
            fail(lesson, i + 1, QStringLiteral("position %1 out of order").arg(fields[0]));
        if (count == kBlockSize)
            fail(lesson, i + 1, QStringLiteral("more than %1 sentences").arg(kBlockSize));
        if (fields[1].isEmpty() || fields[2].isEmpty()) fail(lesson, i + 1, QStringLiteral("empty text"));
        block[count++] = Pair{fields[1], fields[2]};
    }
    if (count != expected)
        fail(lesson, static_cast<int>(lines.size()),
             QStringLiteral("%1 sentences where the lesson has %2").arg(count).arg(expected));
    for (int k = count; k < kBlockSize; ++k)
        block[k] = block[k % count];
}

std::optional<QString> Catalogue::text(std::int16_t id) const
{
    const bool english = id >= kIdBase + kEnglishOffset;
    const int german = english ? id - kEnglishOffset : id;
    const int block = (german - kIdBase) / 100;
    const int position = (german - kIdBase) % 100;
    if (german < kIdBase || block < 1 || block > kBlockCount || position < 1 || position > kBlockSize)
        return std::nullopt;
    const auto& pair = blocks_[block - 1][position - 1];
    if (!pair) return std::nullopt;
    return english ? pair->english : pair->german;
}

bool Catalogue::isComplete() const
{
    return std::all_of(blocks_.begin(), blocks_.end(),
                       [](const auto& block) { return block[0].has_value(); });
}

} // namespace dialoon
