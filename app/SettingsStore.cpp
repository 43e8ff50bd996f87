// Settings store over QSettings, whose INI writes go through a temporary file and a rename, so that a
// crash in the middle of a write leaves the old file whole.
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
    const QVariant value = settings_->value(keyPath(key));
    // A hand-edited value with a comma reads back as a list; keep it as the text that was typed.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void SettingsStore::writeSetting(const QString& key, const QString& text)
{
    settings_->setValue(keyPath(key), text);
    settings_->sync();
    if (settings_->status() != QSettings::NoError) {
        // A QSettings object keeps its error for good; a fresh one judges the next write on its own.
        const QString fileName = settings_->fileName();
        const QSettings::Format format = settings_->format();
        settings_.reset();
        settings_ = std::make_unique<QSettings>(fileName, format);
        throw StoreWriteError("The settings could not be saved to " + path().toStdString() +
                              " (the file or its folder cannot be written).");
    }
    DurableFile::syncFolderOf(path());
}

} // namespace dialoon
