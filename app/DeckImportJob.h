// One import of a deck at a time, on a thread of its own, so that the strip plays on while a large deck
// is read. Its reports arrive on the thread that started it.
#pragma once

#include "decks/DeckImporter.h"

#include <QObject>
#include <QString>

#include <memory>

class QThread;

namespace dialoon {

class DeckImportJob : public QObject
{
    Q_OBJECT
public:
    explicit DeckImportJob(QString decksFolder, QObject* parent = nullptr);
    // Waits for an import under way: it writes only into its scratch folder, which it removes.
    ~DeckImportJob() override;

    // Starts importing the file; false when an import is under way already.
    bool start(const QString& file);
    bool busy() const { return thread_ != nullptr; }

signals:
    void progressed(qint64 done, qint64 total);
    void imported(const dialoon::ImportedDeck& deck);
    // message: one line naming the file and the reason.
    void failed(const QString& file, const QString& message);

private:
    // The thread has ended its work: the next import may start.
    void finish();

    QString decksFolder_;
    QThread* thread_ = nullptr;
};

} // namespace dialoon
