// The course file reader on any text. The first byte chooses the lesson number the text is read as (also
// numbers outside the course); the rest is the file. Reading either gives a catalogue that holds that
// lesson, all of its forty places filled with non-empty texts, and nothing else, or raises
// CourseFormatError.
#include "FuzzCheck.h"

#include "engine/Catalogue.h"
#include "engine/LessonTable.h"

#include <QMap>

#include <cstdint>

using namespace dialoon;
using dialoon::fuzz::check;

namespace {

bool holds(const Catalogue& catalogue, int block, int position)
{
    const int german = LessonTable::kIdBase + 100 * block + position;
    const auto germanText = catalogue.text(static_cast<std::int16_t>(german));
    const auto englishText = catalogue.text(static_cast<std::int16_t>(german + LessonTable::kEnglishOffset));
    check(germanText.has_value() == englishText.has_value(), "a sentence and its translation come together",
          QString::number(german));
    if (germanText)
        check(!germanText->isEmpty() && !englishText->isEmpty(), "a stored text is never empty",
              QString::number(german));
    return germanText.has_value();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int lesson = data[0] % (LessonTable::kLessonCount + 2); // 0 to 17
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));

    std::optional<Catalogue> catalogue;
    try {
        catalogue = Catalogue::fromLessonFiles({{lesson, text}});
    } catch (const CourseFormatError&) {
        return 0;
    }
    check(lesson >= 1 && lesson <= LessonTable::kLessonCount, "only a lesson of the course is read",
          QString::number(lesson));
    check(!catalogue->isComplete(), "one lesson is not the whole course");

    // Blocks 17 to 19 repeat lessons 1 to 3.
    const int copy = lesson <= LessonTable::kBlockCount - LessonTable::kLessonCount ? lesson + LessonTable::kLessonCount : -1;
    for (int block = 0; block <= LessonTable::kBlockCount + 1; ++block) {
        const bool filled = block == lesson || block == copy;
        for (int position = 0; position <= LessonTable::kBlockSize + 1; ++position) {
            const bool place = position >= 1 && position <= LessonTable::kBlockSize;
            check(holds(*catalogue, block, position) == (filled && place), "the lesson fills its own places only",
                  QStringLiteral("lesson %1, block %2, position %3").arg(lesson).arg(block).arg(position));
        }
    }
    for (const int id : {-32768, -1, 0, 1, 9999, 30000, 32767})
        check(!catalogue->text(static_cast<std::int16_t>(id)), "ids outside the course hold nothing",
              QString::number(id));
    return 0;
}
