// Settings store over QSettings, in an INI file. QSettings reads the store and makes the new content of
// each save, in a scratch copy beside it; the content is checked whole and then put in the store's place
// by DurableFile, in one replacement that is on disk for good or leaves the old file as it was. (QSettings'
// own writes can leave a cut-off file in the store's place when the disk is full, and keep a format error
// from reading a file with a byte-order mark or a line of junk that makes every later write look failed.)
#include "app/SettingsStore.h"

#include "base/Errors.h"
#include "platform/posix/DurableFile.h"
#include "platform/posix/SingleInstance.h"
#include "platform/posix/UserSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>

namespace dialoon {
namespace {

const QString kSection = QStringLiteral("German");

// The course's keys live in the section "German"; a key that names its own section ("Decks/playing")
// lives there.
QString keyPath(const QString& key)
{
    return key.contains(u'/') ? key : kSection + u'/' + key;
}

QString textOf(const QVariant& value)
{
    // A hand-edited value with a comma reads back as a list; keep it as the text that was typed.
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

// Every key and its value, as QSettings sees them, in text: a value is the same when it reads the same.
// (Compared as values, a number that is no number, kept by another program in another section, would
// never equal itself.)
QMap<QString, QString> contentOf(const QSettings& settings)
{
    QMap<QString, QString> content;
    for (const QString& key : settings.allKeys())
        content.insert(key, textOf(settings.value(key)));
    return content;
}

// The content with each serialised value turned into text: QSettings reads "@@" at a value's start as
// one "@" of plain text.
QByteArray asText(const QByteArray& content)
{
    static const QByteArray kSerialised = QByteArrayLiteral("@Variant(");
    QList<QByteArray> lines = content.split('\n');
    for (QByteArray& line : lines) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0 || line.startsWith(';') || line.startsWith('[')) continue;
        qsizetype value = equals + 1;
        while (value < line.size() && (line[value] == ' ' || line[value] == '\t'))
            ++value;
        if (line.mid(value).startsWith(kSerialised)) line.insert(value, '@');
    }
    return lines.join('\n');
}

[[noreturn]] void fail(const QString& store, const QString& why)
{
    throw StoreWriteError("The settings could not be saved to " + store.toStdString() + " (" +
                          why.toStdString() + ").");
}

// A working file of this content, under a name no QSettings of this process has seen (QSettings keeps
// what it read of each file by name): in the user's private folder, which is in memory when it is the
// runtime folder so that writing does not wait for the disk, or else beside the store; never where another
// user could make the lock file QSettings waits on.
std::unique_ptr<QTemporaryFile> makeScratch(const QString& store, const QByteArray& content)
{
    const QString name = QFileInfo(store).fileName() + QStringLiteral(".XXXXXX");
    std::unique_ptr<QTemporaryFile> scratch;
    for (const QString& folder : {SingleInstance::privateFolder(), QFileInfo(store).absolutePath()}) {
        if (folder.isEmpty()) continue;
        scratch = std::make_unique<QTemporaryFile>(folder + u'/' + name);
        if (scratch->open() && scratch->write(content) == content.size() && scratch->flush()) {
            scratch->close();
            return scratch;
        }
    }
    fail(store, QStringLiteral("no working file can be written: ") + scratch->errorString());
}

} // namespace

SettingsStore::SettingsStore() : settings_(openUserSettings(QStringLiteral("Tavo")))
{
    openStore();
}

SettingsStore::SettingsStore(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
    openStore();
}

void SettingsStore::openStore()
{
    path_ = settings_->fileName();
    QFile stored(path_);
    if (!stored.open(QIODevice::ReadOnly)) return;
    const QByteArray content = stored.readAll();
    const QByteArray text = asText(content);
    if (text == content) return;
    if (DurableFile::replace(path_, text)) {
        settings_->sync(); // what it read of the file at its start goes: the file is longer now
        return;
    }
    // Read-only: the values are read from a copy; a save puts the text in the store's place. Where not
    // even a copy can be written, nothing can be saved either, and the store reads nothing.
    try {
        readCopy_ = makeScratch(path_, text);
        settings_ = std::make_unique<QSettings>(readCopy_->fileName(), QSettings::IniFormat);
    } catch (const StoreWriteError&) {
        settings_ = std::make_unique<QSettings>(QString(), QSettings::IniFormat);
    }
}

QString SettingsStore::readSetting(const QString& key) const
{
    return textOf(settings_->value(keyPath(key)));
}

void SettingsStore::writeSettings(const QList<Setting>& settings)
{
    // The store as it is now, byte-order mark and junk lines included: QSettings reads past them.
    const QString file = path();
    QByteArray current;
    QFile existing(file);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly))
            fail(file, QStringLiteral("the file cannot be read: ") + existing.errorString());
        current = asText(existing.readAll());
    }

    // QSettings makes the new content, in its own format, in a scratch copy of the store.
    const std::unique_ptr<QTemporaryFile> scratch = makeScratch(file, current);
    QMap<QString, QString> intended;
    {
        QSettings maker(scratch->fileName(), QSettings::IniFormat);
        for (const auto& [key, text] : settings)
            maker.setValue(keyPath(key), text);
        maker.sync();
        if (maker.status() == QSettings::AccessError)
            fail(file, QStringLiteral("no working file can be written"));
        intended = contentOf(maker);
    }
    // By name: QSettings put a new file in the scratch's place.
    QFile made(scratch->fileName());
    if (!made.open(QIODevice::ReadOnly))
        fail(file, QStringLiteral("no working file can be read: ") + made.errorString());
    const QByteArray content = made.readAll();
    made.close();

    // The content must hold all of it: QSettings does not see a write cut short by a full disk.
    const std::unique_ptr<QTemporaryFile> check = makeScratch(file, content);
    if (contentOf(QSettings(check->fileName(), QSettings::IniFormat)) != intended)
        fail(file, QStringLiteral("the new content could not be written whole; the disk may be full"));

    // On the first run the folder may not be there yet.
    QString problem;
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        fail(file, QStringLiteral("its folder cannot be made"));
    if (!DurableFile::replace(file, content, &problem)) fail(file, problem);
    // The store's own reader notices the new file by its size and time, and reads it again.
    if (readCopy_) {
        readCopy_.reset();
        settings_ = std::make_unique<QSettings>(file, QSettings::IniFormat);
    }
    settings_->sync();
    ++replacements_;
}

} // namespace dialoon
