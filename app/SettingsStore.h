// The per-user settings store: text values under application "Tavo", section "German", in an INI file
// under the XDG config directory.
#pragma once

#include <QList>
#include <QSettings>
#include <QString>
#include <QTemporaryFile>

#include <memory>
#include <utility>

namespace dialoon {

class SettingsStore
{
public:
    // A key and the text to store under it.
    using Setting = std::pair<QString, QString>;

    // The user's own store.
    SettingsStore();
    // A store kept in the INI file at this path (tests use one in a temporary directory).
    explicit SettingsStore(const QString& iniPath);

    // Keys are in the section "German", unless they name their own section before a slash.
    // The stored text, or the empty text when the key was never written.
    QString readSetting(const QString& key) const;

    // Stores the text and makes it durable before returning. Raises StoreWriteError, naming the store's
    // path, when the store cannot be written; what was stored before stays intact.
    void writeSetting(const QString& key, const QString& text) { writeSettings({{key, text}}); }

    // Stores all the texts in one replacement of the store, durable before returning: afterwards the
    // store holds either all of them or none. Raises StoreWriteError as writeSetting does.
    void writeSettings(const QList<Setting>& settings);

    // How often this store has replaced its file since it was opened: once for each save.
    int replacements() const { return replacements_; }

    QString path() const { return path_; }

private:
    // Reads stored values as text: a value in QSettings' serialised form ("@Variant(...)", only ever
    // typed by hand here) is read and kept as the text it is, never decoded, since decoding one may
    // ask for gigabytes. The store is rewritten so once; where it cannot be, a copy is read instead.
    void openStore();

    std::unique_ptr<QSettings> settings_;
    std::unique_ptr<QTemporaryFile> readCopy_;
    QString path_;
    int replacements_ = 0;
};

} // namespace dialoon
