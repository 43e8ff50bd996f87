// Keeps the user's place safe from any way the program can end. The user-interface thread hands it what
// an exit would save after every handler; from there it is saved by whichever thread needs it: the
// termination watch's when the session ends (the user-interface thread may be stuck on a dead X server),
// the one that calls exit() when the toolkit gives up, and a quiet thread of its own that writes the
// place reached every few minutes in sequence mode, so that even a power cut loses minutes, not the day.
#pragma once

#include "app/ExitSave.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

namespace dialoon {

class PlaceKeeper
{
public:
    static constexpr int kIntervalMs = 3 * 60 * 1000;

    // The store is the file at storePath; intervalMs 0 writes nothing on its own.
    explicit PlaceKeeper(const QString& storePath, int intervalMs = kIntervalMs);
    ~PlaceKeeper();

    // What the exit save would write now. Cheap: called after every handler.
    void publish(const AppState& state, const StripModel& strip);
    // The exit save of what was published last, from any thread; false when it failed (said on standard
    // error) or nothing was published yet.
    bool saveAll();
    // One round of the quiet thread: writes the place reached when it moved since it was last written.
    // True when it wrote.
    bool writeIfMoved();

private:
    // One save, with the lock held; false when it failed (said on standard error).
    bool write(const QList<SettingsStore::Setting>& settings);
    void run(int intervalMs);

    const QString storePath_;
    std::mutex mutex_; // guards everything below; a save holds it, so saves never overlap
    std::optional<ExitSave::Kept> published_;
    std::optional<ExitSave::Kept> written_; // the places as last written
    bool stopping_ = false;
    std::condition_variable wake_;
    std::thread quiet_;
};

} // namespace dialoon
