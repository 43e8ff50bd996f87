// The place, published by the user-interface thread and saved from wherever it is needed.
#include "app/PlaceKeeper.h"

#include "app/ExitSave.h"
#include "app/SettingKeys.h"
#include "app/SettingText.h"
#include "app/SettingsStore.h"
#include "base/BuildInfo.h"
#include "engine/AppState.h"
#include "engine/StripModel.h"

#include <chrono>
#include <iostream>

namespace dialoon {

PlaceKeeper::PlaceKeeper(const QString& storePath, int intervalMs) : storePath_(storePath)
{
    if (intervalMs > 0) quiet_ = std::thread([this, intervalMs] { run(intervalMs); });
}

PlaceKeeper::~PlaceKeeper()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (quiet_.joinable()) quiet_.join();
}

void PlaceKeeper::publish(const AppState& state, const StripModel& strip)
{
    const Kept now{state.readAloud, static_cast<float>(strip.chosenLeft), ExitSave::placeKept(state)};
    const std::lock_guard<std::mutex> lock(mutex_);
    published_ = now;
}

bool PlaceKeeper::saveAll()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!published_) return false;
    try {
        SettingsStore(storePath_)
            .writeSettings(
                ExitSave::settings(published_->readAloud, published_->chosenLeft, published_->place));
    } catch (const std::exception& error) {
        // The program is ending: there is nobody to show a message to.
        std::cerr << BuildInfo::kTitle << ": " << error.what() << std::endl;
        return false;
    }
    written_ = published_->place;
    return true;
}

bool PlaceKeeper::writeIfMoved()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!published_ || !published_->place || published_->place == written_) return false;
    try {
        SettingsStore(storePath_)
            .writeSetting(SettingKeys::guagen, SettingText::fromInt16(*published_->place));
    } catch (const std::exception& error) {
        // Tried again at the next round; the exit save says so too, where someone can see it.
        std::cerr << BuildInfo::kTitle << ": " << error.what() << std::endl;
        return false;
    }
    written_ = published_->place;
    return true;
}

void PlaceKeeper::run(int intervalMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::milliseconds(intervalMs), [this] { return stopping_; })) {
        lock.unlock();
        writeIfMoved();
        lock.lock();
    }
}

} // namespace dialoon
