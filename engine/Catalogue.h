// The course catalogue: German sentences and their English translations, addressed by sentence id.
// Block b holds the German text of position k at id 10000 + 100 b + k and its translation 10000 higher.
#pragma once

#include "base/Errors.h"

#include <QMap>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace dialoon {

class Catalogue
{
public:
    // The course compiled into the program.
    static Catalogue fromResources();
    // The course in a folder of lesson files named lesson01.txt to lesson16.txt. Raises
    // CourseFormatError, naming the file, when a lesson's file cannot be read, and for the faults
    // fromLessonFiles refuses.
    static Catalogue fromCourseFolder(const QString& folder);
    // Lesson files by lesson number (1 to 16), in the course file format. Raises CourseFormatError for
    // a malformed file or a lesson whose length differs from the lesson table.
    static Catalogue fromLessonFiles(const QMap<int, QString>& lessonFiles);

    // The stored text, trailing blanks included, or nothing when the id holds no text.
    std::optional<QString> text(std::int16_t id) const;

    // Whether every lesson of the course is present.
    bool isComplete() const;

private:
    struct Pair
    {
        QString german;
        QString english;
    };
    void addLesson(int lesson, const QString& fileText);

    // Blocks 1 to 19, positions 1 to 40, each filled (or empty when its lesson is absent).
    std::array<std::array<std::optional<Pair>, 40>, 19> blocks_{};
};

} // namespace dialoon
