// Makes sure one copy of the program runs per user: the first copy holds a lock and listens; a later
// copy finds the lock taken, asks the running copy to come to the front, and ends. The lock and the
// socket live in a folder only the user can write, so that no other user can take their names first.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace dialoon {

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Claim {
        Sole,      // the first copy: it holds the lock and listens for later copies
        Elsewhere, // another copy holds the lock
        Unguarded, // this copy may run, but the guard is not (wholly) in place; problem() says why
    };
    Q_ENUM(Claim)

    // key names the program for this user; the lock and the socket are derived from it.
    explicit SingleInstance(QString key);
    ~SingleInstance() override;

    Claim claim();
    // Why the last claim was Unguarded, naming the folder or the socket concerned.
    QString problem() const { return problem_; }

    // For a later copy: tells the running copy to come to the front, or to open the file (an absolute
    // path). Waits a short while for a copy that is still starting. Returns whether the message was
    // delivered.
    bool activateRunning(int timeoutMs = 3000, const QString& file = {});

    static QString defaultKey();

    // The folder for the lock and the socket: the user's runtime folder (XDG_RUNTIME_DIR) when it is
    // the user's own and no one else may write it, else a folder of the user's own in the temporary
    // folder, made on first use; a folder owned by someone else is never used. Empty when there is no
    // such folder; problem then says why, naming the folder.
    static QString privateFolder(QString* problem = nullptr);

signals:
    // file: the absolute path a later copy asked to open, or empty.
    void activationRequested(const QString& file);

private:
    class Listener; // where later copies' messages arrive

    QString socketName(const QString& folder) const;

    QString key_;
    QString problem_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<Listener> listener_;
};

} // namespace dialoon
