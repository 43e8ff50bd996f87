#include "decks/AnkiPackageModule.h"

#include "platform/posix/SharedLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <memory>
#include <mutex>

namespace dialoon::AnkiPackageModule {
namespace {

// Where the module is: installed beside the program's own files, or in the build tree.
QString modulePath()
{
    const QString installed = QDir(QCoreApplication::applicationDirPath())
                                  .filePath(QStringLiteral(DIALOON_ANKI_MODULE_FROM_EXECUTABLE));
    return QFileInfo::exists(installed) ? installed : QStringLiteral(DIALOON_ANKI_MODULE_IN_BUILD);
}

Entry entry()
{
    // Opened once, kept open for the run: imports are rare, and each one reuses it.
    static std::once_flag opened;
    static std::unique_ptr<SharedLibrary> module;
    std::call_once(opened,
                   [] { module = std::make_unique<SharedLibrary>(modulePath().toLocal8Bit().constData()); });
    if (!module->isOpen())
        throw DeckReadError("Anki packages cannot be read: the program's reader is missing (" +
                            module->problem() + ")");
    const Entry found = module->find(kEntryName);
    if (found == nullptr)
        throw DeckReadError("Anki packages cannot be read: the program's reader is damaged");
    return found;
}

} // namespace

ReadDeck read(const QString& path, const QString& mediaFolder, const QString& scratchFolder,
              const ReadProgress& progress)
{
    ReadDeck deck;
    std::string error;
    entry()(path, mediaFolder, scratchFolder, progress, deck, error);
    if (!error.empty()) throw DeckReadError(error);
    return deck;
}

} // namespace dialoon::AnkiPackageModule
