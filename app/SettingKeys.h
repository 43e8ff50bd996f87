// The stored settings: their names, and the 16-bit ones mirrored in the state with their first-run values.
#pragma once

#include "engine/AppState.h"

#include <QString>

#include <array>

namespace dialoon::SettingKeys {

inline const QString ce = QStringLiteral("ce");
inline const QString n = QStringLiteral("n");
inline const QString ctime = QStringLiteral("ctime");
inline const QString etime = QStringLiteral("etime");
inline const QString rd = QStringLiteral("rd");
inline const QString psave = QStringLiteral("psave");
inline const QString ssave = QStringLiteral("ssave");
inline const QString visi = QStringLiteral("visi");
inline const QString voice = QStringLiteral("voice");
inline const QString guage = QStringLiteral("guage");
inline const QString guagen = QStringLiteral("guagen");
inline const QString red = QStringLiteral("red");
inline const QString mark = QStringLiteral("mark");
inline const QString xxx = QStringLiteral("xxx");
inline const QString left = QStringLiteral("left");
inline const QString sspeed = QStringLiteral("sspeed");
// Not written on the first run: a store without it means the usual rate.
inline const QString slow = QStringLiteral("slow");

inline constexpr std::int16_t kFirstRunGermanSeconds = 5;
inline constexpr std::int16_t kFirstRunEnglishSeconds = 3;

// A 16-bit setting: its key, the state's field that mirrors it, and its value on the first run.
struct Integer
{
    const QString& key;
    std::int16_t AppState::*field;
    std::int16_t firstRun;
};

// In the order they are read, and named when they cannot be.
inline const std::array<Integer, 13> kIntegers = {{
    {ce, &AppState::germanFirst, 1},
    {n, &AppState::repeatCount, 2},
    {ctime, &AppState::englishSeconds, kFirstRunEnglishSeconds},
    {etime, &AppState::germanSeconds, kFirstRunGermanSeconds},
    {rd, &AppState::sequentialPlay, 0},
    {psave, &AppState::saveSchedule, 1},
    {ssave, &AppState::saveSettings, 1},
    {visi, &AppState::autoHide, 0},
    {voice, &AppState::readAloud, 1},
    {guage, &AppState::lessonIndex, 1},
    {guagen, &AppState::sentenceId, 11000},
    {red, &AppState::redSetting, 0},
    {mark, &AppState::startWithWindows, 0},
}};

} // namespace dialoon::SettingKeys
