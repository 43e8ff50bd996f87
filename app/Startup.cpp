#include "app/Startup.h"

#include "app/SettingKeys.h"
#include "app/SettingText.h"
#include "app/SettingsStore.h"
#include "base/BuildInfo.h"
#include "base/Errors.h"
#include "engine/AppState.h"
#include "engine/SentenceSource.h"
#include "engine/StripDrag.h"
#include "engine/StripGeometry.h"
#include "engine/StripModel.h"
#include "platform/Platform.h"

#include <QStringList>

#include <cstdint>

namespace dialoon {
namespace {

constexpr std::int16_t kFirstRunSpeed = 150;
// The seconds of a showing count ten ticks each in 16 bits.
constexpr int kMostSecondsPerShowing = 3276;

float firstRunLeft(const Platform& platform)
{
    return static_cast<float>(platform.screenWidthTwips() / 2 - 2000);
}

} // namespace

void Startup::readSettings()
{
    QStringList unreadable;
    const auto unread = [&](const QString& key, const QString& text) {
        unreadable << QStringLiteral("%1 = \"%2\"").arg(key, text);
    };
    // The stored value; the first-run value, the key named in the warning, when the text holds none.
    const auto read = [&](const QString& key, auto parse, auto firstRun) -> decltype(firstRun) {
        const QString text = store_.readSetting(key);
        try {
            return parse(text);
        } catch (const std::exception&) {
            unread(key, text);
            return firstRun;
        }
    };

    for (const SettingKeys::Integer& key : SettingKeys::kIntegers)
        state_.*(key.field) = read(key.key, SettingText::toInt16, key.firstRun);
    // A position saved on a wider screen must not leave the strip out of reach.
    strip_.chosenLeft = read(SettingKeys::left, SettingText::toSingle, firstRunLeft(platform_));
    strip_.left = StripDrag::clampLeft(strip_.chosenLeft, platform_.screenWidthTwips());
    state_.speedSetting = read(SettingKeys::sspeed, SettingText::toInt16, kFirstRunSpeed);
    // Kept only once the user chose it from the character's menu.
    state_.slowSpeech = store_.readSetting(SettingKeys::slow).isEmpty()
                            ? 0
                            : read(SettingKeys::slow, SettingText::toInt16, std::int16_t(0));

    // Display times so long that a showing could not be counted are not a setting anyone made.
    const auto countable = [](int seconds) {
        return seconds >= -kMostSecondsPerShowing && seconds <= kMostSecondsPerShowing;
    };
    if (!countable(state_.germanSeconds) || !countable(state_.englishSeconds) ||
        !countable(state_.germanSeconds + state_.englishSeconds)) {
        unread(SettingKeys::etime, QString::number(state_.germanSeconds));
        unread(SettingKeys::ctime, QString::number(state_.englishSeconds));
        state_.germanSeconds = SettingKeys::kFirstRunGermanSeconds;
        state_.englishSeconds = SettingKeys::kFirstRunEnglishSeconds;
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

    if (store_.readSetting(SettingKeys::xxx).isEmpty()) {
        // One replacement of the store: a program killed meanwhile leaves no half-made store behind.
        QList<SettingsStore::Setting> settings = {
            {SettingKeys::xxx, QStringLiteral("1")},
            {SettingKeys::left, SettingText::fromSingle(firstRunLeft(platform_))},
            {SettingKeys::sspeed, SettingText::fromInt16(kFirstRunSpeed)}};
        for (const SettingKeys::Integer& key : SettingKeys::kIntegers)
            settings.append({key.key, SettingText::fromInt16(key.firstRun)});
        try {
            store_.writeSettings(settings);
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

    // The watch and the bar run from the start; the effects and the cycle wait for the welcome.
    for (int t = 0; t < kTimerCount; ++t)
        strip_.timerEnabled[t] = t == Timer1 || t == Timer2;

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
