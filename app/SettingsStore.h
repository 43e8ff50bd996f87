// The per-user settings store: text values under application "Tavo", section "German". An INI file
// under the XDG config directory on Linux, the per-user registry on Windows.
#pragma once

#include <QSettings>
#include <QString>

#include <memory>

namespace dialoon {

class SettingsStore
{
public:
    // The user's own store.
    SettingsStore();
    // A store kept in the INI file at this path (tests use one in a temporary directory).
    explicit SettingsStore(const QString& iniPath);
    ~SettingsStore();

    // The stored text, or the empty text when the key was never written.
    QString readSetting(const QString& key) const;

    // Stores the text and makes it durable before returning. Raises StoreWriteError, naming the store's
    // path, when the store cannot be written; what was stored before stays intact.
    void writeSetting(const QString& key, const QString& text);

    QString path() const;

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace dialoon
