// Reading a store file of any content, as start-up reads it: every key through the store, then the whole
// of start-up's reading into the application state. Reading a key never raises; a value that is no
// number raises only the two errors the conversions name, and start-up turns those into its usual values.
// (Whether a damaged file is then written back well is a matter of saving, not of reading.)
#include "FakePlatform.h"
#include "FuzzCheck.h"

#include "app/SettingKeys.h"
#include "app/SettingText.h"
#include "app/SettingsStore.h"
#include "app/Startup.h"
#include "base/Errors.h"
#include "engine/AppState.h"
#include "engine/Catalogue.h"
#include "engine/SentenceSelector.h"
#include "engine/StripModel.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

using namespace dialoon;
using dialoon::fuzz::check;

namespace {

const QString* const kKeys[] = {
    &SettingKeys::ce,    &SettingKeys::n,     &SettingKeys::ctime,  &SettingKeys::etime,
    &SettingKeys::rd,    &SettingKeys::psave, &SettingKeys::ssave,  &SettingKeys::visi,
    &SettingKeys::voice, &SettingKeys::guage, &SettingKeys::guagen, &SettingKeys::red,
    &SettingKeys::mark,  &SettingKeys::xxx,   &SettingKeys::left,   &SettingKeys::sspeed};

struct World
{
    std::unique_ptr<QCoreApplication> app;
    std::unique_ptr<QTemporaryDir> dir;
    Catalogue catalogue; // empty: start-up's reading loads no sentence
    long long files = 0;
};

World* world = nullptr;

template <typename Read> void readNumber(Read read, const QString& text)
{
    try {
        read(text);
    } catch (const TypeMismatchError&) {
    } catch (const OverflowError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    world = new World;
    world->app = std::make_unique<QCoreApplication>(*argc, *argv);
    world->dir = std::make_unique<QTemporaryDir>();
    if (!world->dir->isValid()) dialoon::fuzz::fault("no temporary folder");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A fresh name for every input: the settings machinery keeps files it has read, and would take an
    // unchanged size and time for unchanged content.
    const QString path = world->dir->filePath(QStringLiteral("Tavo%1.ini").arg(world->files++));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
                static_cast<qint64>(size))
            dialoon::fuzz::fault("cannot write the store file", path);
    }
    {
        SettingsStore store(path);
        for (const QString* key : kKeys) {
            const QString text = store.readSetting(*key);
            readNumber(&SettingText::toInt16, text);
            readNumber(&SettingText::toSingle, text);
        }

        AppState state;
        StripModel strip;
        FakePlatform platform;
        SentenceSelector selector(state, strip, world->catalogue, platform, [] { return 0.5f; });
        Startup(state, strip, store, platform, selector).readSettings();
        // What start-up keeps is always something the strip can play with.
        const int most = 3276;
        check(state.germanSeconds >= -most && state.germanSeconds <= most && state.englishSeconds >= -most &&
                  state.englishSeconds <= most && state.germanSeconds + state.englishSeconds >= -most &&
                  state.germanSeconds + state.englishSeconds <= most,
              "the display times can be counted in ticks",
              QStringLiteral("%1 %2").arg(state.germanSeconds).arg(state.englishSeconds));
        check(strip.left >= 0 && strip.left <= platform.screenWidthTwips(), "the strip stays on the screen",
              QString::number(strip.left));
        check(platform.messages.isEmpty() && platform.warnings.size() <= 1,
              "at most one warning, no message");
    }
    QFile::remove(path);
    return 0;
}
