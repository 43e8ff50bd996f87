// The lessons of the course: caption and number of sentences. The one place the lesson list lives; the
// settings dialog takes its captions from here.
#pragma once

#include <QString>

#include <array>

namespace dialoon {

// Lesson i (1 to 16) plays block i of the catalogue; lesson 0 is the whole course.
struct Lesson
{
    const char* caption;
    int length; // sentences before the block repeats itself; 0 for the whole course
};

namespace LessonTable {

inline constexpr int kLessonCount = 16; // selectable lessons
inline constexpr int kBlockCount = 19;  // blocks 17 to 19 repeat blocks 1 to 3
inline constexpr int kBlockSize = 40;

// Sentence ids: block b holds the German text of position k at kIdBase + 100 b + k, its English
// kEnglishOffset higher.
inline constexpr int kIdBase = 10000;
inline constexpr int kEnglishOffset = 10000;
inline constexpr int kFirstSentenceId = kIdBase + 100 + 1;                       // 10101
inline constexpr int kLastSentenceId = kIdBase + 100 * kBlockCount + kBlockSize; // 11940

inline constexpr std::array<Lesson, kLessonCount + 1> kLessons{{
    {"Entire", 0},
    {"Greeting someone", 21},
    {"Introducing yourself and your family", 38},
    {"At the bank", 27},
    {"Celebrations", 25},
    {"Travelling one", 27},
    {"Travelling two", 36},
    {"Hospitality", 37},
    {"Ordering one", 33},
    {"Ordering two", 22},
    {"Shopping one", 37},
    {"Shopping two", 29},
    {"Sports", 25},
    {"Telling the time", 30},
    {"Your career", 40},
    {"Accommodation one", 40},
    {"Accommodation two", 19},
}};

inline QString caption(int index)
{
    return QString::fromLatin1(kLessons.at(index).caption);
}

} // namespace LessonTable
} // namespace dialoon
