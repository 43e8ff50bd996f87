// Start-up sequence.
#include "app/Startup.h"

#include "app/SettingKeys.h"
#include "app/SettingText.h"
#include "app/SettingsStore.h"
#include "base/BuildInfo.h"
#include "base/Errors.h"
#include "engine/AppState.h"
#include "engine/SentenceSelector.h"
#include "engine/StripDrag.h"
#include "engine/StripGeometry.h"
#include "engine/StripModel.h"
#include "platform/Platform.h"

#include <cstdint>
#include <vector>

namespace dialoon {
namespace {

constexpr std::int16_t kFirstRunGermanSeconds = 5;
constexpr std::int16_t kFirstRunEnglishSeconds = 3;

struct IntegerKey
{
    const QString& key;
    std::int16_t AppState::*field;
    std::int16_t firstRun;
};

// In the order the keys are written on the first run and read back, up to mark.
const std::vector<IntegerKey>& integerKeys()
{
    using K = AppState;
    static const std::vector<IntegerKey> keys = {
        {SettingKeys::ce, &K::germanFirst, 1},
        {SettingKeys::n, &K::repeatCount, 2},
        {SettingKeys::ctime, &K::englishSeconds, kFirstRunEnglishSeconds},
        {SettingKeys::etime, &K::germanSeconds, kFirstRunGermanSeconds},
        {SettingKeys::rd, &K::sequentialPlay, 0},
        {SettingKeys::psave, &K::saveSchedule, 1},
        {SettingKeys::ssave, &K::saveSettings, 1},
        {SettingKeys::visi, &K::autoHide, 0},
        {SettingKeys::voice, &K::readAloud, 1},
        {SettingKeys::guage, &K::lessonIndex, 1},
        {SettingKeys::guagen, &K::sentenceId, 11000},
        {SettingKeys::red, &K::redSetting, 0},
        {SettingKeys::mark, &K::startWithWindows, 0},
    };
    return keys;
}

constexpr std::int16_t kFirstRunSpeed = 150;
// The seconds of a showing count ten ticks each in 16 bits.
constexpr int kMostSecondsPerShowing = 3276;

double firstRunLeft(const Platform& platform)
{
    return platform.screenWidthTwips() / 2 - 2000;
}

} // namespace

Startup::Startup(AppState& state, StripModel& strip, SettingsStore& store, Platform& platform,
                 SentenceSelector& selector)
    : state_(state), strip_(strip), store_(store), platform_(platform), selector_(selector)
{
}

void Startup::writeFirstRunValues()
{
    // One replacement of the store: a program killed meanwhile leaves no half-made store behind.
    QList<SettingsStore::Setting> settings;
    for (const IntegerKey& key : integerKeys())
        settings.append({key.key, SettingText::fromInt16(key.firstRun)});
    settings.append({SettingKeys::xxx, QStringLiteral("1")});
    settings.append(
        {SettingKeys::left, SettingText::fromSingle(static_cast<float>(firstRunLeft(platform_)))});
    settings.append({SettingKeys::sspeed, SettingText::fromInt16(kFirstRunSpeed)});
    store_.writeSettings(settings);
}

void Startup::readSettings()
{
    QStringList unreadable;
    const auto readInteger = [&](const QString& key, std::int16_t firstRun) -> std::int16_t {
        const QString text = store_.readSetting(key);
        try {
            return SettingText::toInt16(text);
        } catch (const std::exception&) {
            unreadable << QStringLiteral("%1 = \"%2\"").arg(key, text);
            return firstRun;
        }
    };

    for (const IntegerKey& key : integerKeys())
        state_.*(key.field) = readInteger(key.key, key.firstRun);
    state_.firstRunMarker = store_.readSetting(SettingKeys::xxx);

    const QString leftText = store_.readSetting(SettingKeys::left);
    try {
        strip_.left = SettingText::toSingle(leftText);
    } catch (const std::exception&) {
        unreadable << QStringLiteral("%1 = \"%2\"").arg(SettingKeys::left, leftText);
        strip_.left = static_cast<float>(firstRunLeft(platform_));
    }
    // A position saved on a wider screen must not leave the strip out of reach.
    strip_.chosenLeft = strip_.left;
    strip_.left = StripDrag::clampLeft(strip_.left, platform_.screenWidthTwips());

    state_.speedSetting = readInteger(SettingKeys::sspeed, kFirstRunSpeed);
    // Kept only once the user chose it from the character's menu.
    state_.slowSpeech =
        store_.readSetting(SettingKeys::slow).isEmpty() ? 0 : readInteger(SettingKeys::slow, 0);

    // Display times so long that a showing could not be counted are not a setting anyone made.
    const auto countable = [](int seconds) {
        return seconds >= -kMostSecondsPerShowing && seconds <= kMostSecondsPerShowing;
    };
    if (!countable(state_.germanSeconds) || !countable(state_.englishSeconds) ||
        !countable(state_.germanSeconds + state_.englishSeconds)) {
        unreadable << QStringLiteral("%1 = \"%2\"").arg(SettingKeys::etime).arg(state_.germanSeconds)
                   << QStringLiteral("%1 = \"%2\"").arg(SettingKeys::ctime).arg(state_.englishSeconds);
        state_.germanSeconds = kFirstRunGermanSeconds;
        state_.englishSeconds = kFirstRunEnglishSeconds;
    }

    if (!unreadable.isEmpty())
        platform_.showWarning(QString::fromLatin1(BuildInfo::kTitle),
                              QStringLiteral("These settings could not be read, so their usual values are "
                                             "used instead:\n\n%1\n\nThe settings file is %2")
                                  .arg(unreadable.join(u'\n'), store_.path()));
}

void Startup::run(const std::function<void()>& prepareCharacter)
{
    prepareCharacter();

    state_.firstRunMarker = store_.readSetting(SettingKeys::xxx);
    if (state_.firstRunMarker.isEmpty()) {
        try {
            writeFirstRunValues();
        } catch (const StoreWriteError& error) {
            // The program still runs with the usual values; only this run's choices cannot be kept.
            platform_.showWarning(QString::fromLatin1(BuildInfo::kTitle),
                                  QString::fromStdString(error.what()));
        }
    }
    readSettings();

    strip_.top = platform_.topEdgeTwips();
    strip_.visible = false;

    strip_.splashTop = platform_.screenHeightTwips() / 2 - 1800;
    strip_.splashLeft = platform_.screenWidthTwips() / 2 - 1000;
    strip_.splashOpen = true;

    strip_.timerEnabled[Timer1] = true;
    strip_.timerEnabled[Timer2] = true;
    strip_.timerEnabled[Timer3] = false;
    strip_.timerEnabled[Timer4] = false;
    strip_.timerEnabled[Timer5] = false;

    state_.cycleTicks = 0;
    state_.cyclePhase = 0;
    strip_.barColour = 10;
    strip_.barColourNext = 12;
    strip_.barColourLast = 10;
    state_.welcomeCountdown = 70;

    selector_.Load_Next_Sentence();

    StripGeometry::makeTopmost(strip_, platform_);
    StripGeometry::Get_Windows_Rect(strip_, platform_);
}

} // namespace dialoon
