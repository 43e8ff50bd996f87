// Settings store over QSettings, whose INI writes go through a temporary file that is flushed to disk
// and renamed over the old one, so that a crash in the middle of a write leaves the old file whole; the
// folder is flushed after the rename, so that the new file stays after a power cut.
#include "app/SettingsStore.h"

#include "engine/Errors.h"
#include "platform/DurableFile.h"
#include "platform/UserSettings.h"

#include <QStringList>

namespace dialoon {
namespace {

const QString kSection = QStringLiteral("German");

QString keyPath(const QString& key)
{
    return kSection + u'/' + key;
}

QString textOf(const QVariant& value)
{
    // A hand-edited value with a comma reads back as a list; keep it as the text that was typed.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

} // namespace

SettingsStore::SettingsStore() : settings_(openUserSettings(QStringLiteral("Tavo"))) {}

SettingsStore::SettingsStore(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::path() const
{
    return settings_->fileName();
}

QString SettingsStore::readSetting(const QString& key) const
{
    return textOf(settings_->value(keyPath(key)));
}

void SettingsStore::writeSetting(const QString& key, const QString& text)
{
    writeSettings({{key, text}});
}

void SettingsStore::writeSettings(const QList<Setting>& settings)
{
    for (const auto& [key, text] : settings)
        settings_->setValue(keyPath(key), text);
    settings_->sync();
    // QSettings keeps the first problem it met for good, and a file it could not fully read (a byte-order
    // mark, a line of junk) leaves a format error that hides whether the write went through. So the write
    // is judged by the file itself: either no problem at all, or the file holds what was written.
    const QSettings::Status status = settings_->status();
    const bool written = status == QSettings::NoError || (status == QSettings::FormatError && fileHolds(settings));
    if (status != QSettings::NoError)
        // Whatever was not written is dropped, so that the next write is judged on its own.
        reopen();
    if (!written || !DurableFile::syncFolderOf(path()))
        throw StoreWriteError("The settings could not be saved to " + path().toStdString() +
                              " (the file or its folder cannot be written).");
    ++replacements_;
}

bool SettingsStore::fileHolds(const QList<Setting>& settings) const
{
    const QSettings file(settings_->fileName(), settings_->format());
    for (const auto& [key, text] : settings)
        if (textOf(file.value(keyPath(key))) != text)
            return false;
    return true;
}

void SettingsStore::reopen()
{
    const QString fileName = settings_->fileName();
    const QSettings::Format format = settings_->format();
    settings_.reset();
    settings_ = std::make_unique<QSettings>(fileName, format);
}

} // namespace dialoon
