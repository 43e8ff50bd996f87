// Makes sure one copy of the program runs per user: the first copy holds a lock and listens; a later
// copy finds the lock taken, asks the running copy to come to the front, and ends.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace dialoon {

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // key names the program for this user; the lock and the socket are derived from it.
    explicit SingleInstance(QString key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first copy: it then holds the lock and listens for later copies.
    bool claim();

    // For a later copy: tells the running copy to come to the front. Waits a short while for a
    // copy that is still starting. Returns whether the message was delivered.
    bool activateRunning(int timeoutMs = 3000);

    static QString defaultKey();

signals:
    void activationRequested();

private:
    QString socketName() const;

    QString key_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

} // namespace dialoon
