#include "app/PlaceKeeper.h"

#include "app/SettingKeys.h"
#include "app/SettingText.h"
#include "base/BuildInfo.h"

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
    const ExitSave::Kept now = ExitSave::kept(state, strip);
    const std::lock_guard<std::mutex> lock(mutex_);
    published_ = now;
}

bool PlaceKeeper::saveAll()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return published_ && write(ExitSave::settings(*published_));
}

bool PlaceKeeper::writeIfMoved()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!published_ || (written_ && published_->samePlaces(*written_))) return false;
    QList<SettingsStore::Setting> places;
    if (published_->place) places.append({SettingKeys::guagen, SettingText::fromInt16(*published_->place)});
    if (published_->deckPlace)
        places.append({ExitSave::deckPlaceKey(published_->deck), QString::number(*published_->deckPlace)});
    return !places.isEmpty() && write(places);
}

bool PlaceKeeper::write(const QList<SettingsStore::Setting>& settings)
{
    try {
        SettingsStore(storePath_).writeSettings(settings);
    } catch (const std::exception& error) {
        // Nobody may be there to see a message: the program may be ending. The quiet thread tries again at
        // its next round, and the exit save says so too, where someone can see it.
        std::cerr << BuildInfo::kTitle << ": " << error.what() << std::endl;
        return false;
    }
    written_ = published_;
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
