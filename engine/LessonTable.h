// The lessons of the course: index, caption, block of the catalogue and number of sentences. The one
// place the lesson list lives; the settings dialog takes its captions from here.
#pragma once

#include <QString>

#include <array>

namespace dialoon {

struct Lesson
{
    int index;       // 0 is the whole course, 1 to 16 a lesson
    const char* caption;
    int block;       // block of the catalogue the lesson plays; 0 for the whole course
    int length;      // sentences before the block repeats itself; 0 for the whole course
};

namespace LessonTable {

inline constexpr int kLessonCount = 16;     // selectable lessons
inline constexpr int kBlockCount = 19;      // blocks 17 to 19 repeat blocks 1 to 3
inline constexpr int kBlockSize = 40;

// Sentence ids: block b holds the German text of position k at kIdBase + 100 b + k, its English
// kEnglishOffset higher.
inline constexpr int kIdBase = 10000;
inline constexpr int kEnglishOffset = 10000;
inline constexpr int kFirstSentenceId = kIdBase + 100 + 1;                       // 10101
inline constexpr int kLastSentenceId = kIdBase + 100 * kBlockCount + kBlockSize; // 11940

inline constexpr std::array<Lesson, kLessonCount + 1> kLessons{{
    {0, "Entire", 0, 0},
    {1, "Greeting someone", 1, 21},
    {2, "Introducing yourself and your family", 2, 38},
    {3, "At the bank", 3, 27},
    {4, "Celebrations", 4, 25},
    {5, "Travelling one", 5, 27},
    {6, "Travelling two", 6, 36},
    {7, "Hospitality", 7, 37},
    {8, "Ordering one", 8, 33},
    {9, "Ordering two", 9, 22},
    {10, "Shopping one", 10, 37},
    {11, "Shopping two", 11, 29},
    {12, "Sports", 12, 25},
    {13, "Telling the time", 13, 30},
    {14, "Your career", 14, 40},
    {15, "Accommodation one", 15, 40},
    {16, "Accommodation two", 16, 19},
}};

inline QString caption(int index)
{
    return QString::fromLatin1(kLessons.at(index).caption);
}

} // namespace LessonTable
} // namespace dialoon
