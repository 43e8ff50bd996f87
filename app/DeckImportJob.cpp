#include "app/DeckImportJob.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>

namespace dialoon {

DeckImportJob::DeckImportJob(QString decksFolder, QObject* parent)
    : QObject(parent), decksFolder_(std::move(decksFolder))
{
}

DeckImportJob::~DeckImportJob()
{
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

void DeckImportJob::finish()
{
    if (!thread_) return;
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
}

bool DeckImportJob::start(const QString& file)
{
    if (thread_) return false;
    const QPointer<DeckImportJob> self(this);
    const QString folder = decksFolder_;
    thread_ = QThread::create([self, folder, file] {
        // Reports go to the job's thread in order; one that finds the job gone is dropped.
        const auto report = [self](auto f) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, f] {
                    if (self) f(*self);
                },
                Qt::QueuedConnection);
        };
        qint64 lastDone = -1;
        const auto progress = [&](qint64 done, qint64 total) {
            // At most a few hundred reports, however many steps the import takes.
            if (total > 0 && done != total && lastDone >= 0 && (done - lastDone) * 200 < total) return;
            lastDone = done;
            report([done, total](DeckImportJob& job) { emit job.progressed(done, total); });
        };
        try {
            const ImportedDeck deck = DeckImporter(folder).import(file, progress);
            report([deck](DeckImportJob& job) {
                job.finish();
                emit job.imported(deck);
            });
        } catch (const std::exception& error) {
            const QString message = QString::fromStdString(error.what());
            report([file, message](DeckImportJob& job) {
                job.finish();
                emit job.failed(file, message);
            });
        }
    });
    thread_->start();
    return true;
}

} // namespace dialoon
