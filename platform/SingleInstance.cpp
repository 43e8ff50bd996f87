// One running copy per user, with QLockFile for the race-free claim and a local socket for activation.
#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QThread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace dialoon {
namespace {

const QByteArray kActivate = "activate\n";

#ifdef Q_OS_UNIX
// Why this folder is not one only the user can write, or an empty text when it is. A symbolic link is
// refused where someone else could have placed it.
QString unsafeFolder(const QString& folder, bool followLinks)
{
    struct stat info = {};
    const QByteArray path = QFile::encodeName(folder);
    if ((followLinks ? ::stat(path.constData(), &info) : ::lstat(path.constData(), &info)) != 0)
        return QStringLiteral("%1 cannot be used (%2)").arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("%1 is a symbolic link").arg(folder);
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("%1 is not a folder").arg(folder);
    if (info.st_uid != ::geteuid())
        return QStringLiteral("%1 belongs to another user").arg(folder);
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return QStringLiteral("%1 can be written by other users").arg(folder);
    return {};
}
#endif

} // namespace

SingleInstance::SingleInstance(QString key, QObject* parent) : QObject(parent), key_(std::move(key))
{
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().startsWith(kActivate.trimmed()))
                    emit activationRequested();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultKey()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    return QStringLiteral("dialoon-") + (user.isEmpty() ? QStringLiteral("user") : user);
}

QString SingleInstance::privateFolder(QString* problem)
{
#ifdef Q_OS_UNIX
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && unsafeFolder(runtime, true).isEmpty())
        return runtime;
    const QString own = QDir::tempPath() + QStringLiteral("/dialoon-%1").arg(::geteuid());
    if (::mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST) {
        if (problem)
            *problem = QStringLiteral("%1 cannot be made (%2)").arg(own, QString::fromLocal8Bit(std::strerror(errno)));
        return {};
    }
    const QString why = unsafeFolder(own, false);
    if (why.isEmpty())
        return own;
    if (problem)
        *problem = why;
    return {};
#else
    // Elsewhere the temporary folder is the user's own.
    Q_UNUSED(problem);
    return QDir::tempPath();
#endif
}

QString SingleInstance::socketName(const QString& folder) const
{
#ifdef Q_OS_WIN
    Q_UNUSED(folder);
    return key_;
#else
    return folder + u'/' + key_ + QStringLiteral(".socket");
#endif
}

SingleInstance::Claim SingleInstance::claim()
{
    problem_.clear();
    QString why;
    const QString folder = privateFolder(&why);
    if (folder.isEmpty()) {
        problem_ = QStringLiteral("no private folder for the lock that keeps to one running copy: ") + why;
        return Claim::Unguarded;
    }
    const QString lockPath = folder + u'/' + key_ + QStringLiteral(".lock");
    lock_ = std::make_unique<QLockFile>(lockPath);
    // A lock left by a copy that crashed is taken over: QLockFile checks whether its owner still lives.
    if (!lock_->tryLock(0)) {
        const QLockFile::LockError error = lock_->error();
        lock_.reset();
        if (error == QLockFile::LockFailedError)
            return Claim::Elsewhere;
        problem_ = QStringLiteral("the lock that keeps to one running copy cannot be made in %1 (%2)")
                       .arg(folder, error == QLockFile::PermissionError
                                         ? QStringLiteral("no permission to write there")
                                         : QStringLiteral("writing there failed; the folder may be full"));
        return Claim::Unguarded;
    }
    // We hold the lock, so a socket file still lying about belongs to a dead copy.
    const QString socket = socketName(folder);
    QLocalServer::removeServer(socket);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(socket)) {
        problem_ = QStringLiteral("a second start cannot bring this one to the front (%1: %2)")
                       .arg(socket, server_.errorString());
        return Claim::Unguarded;
    }
    return Claim::Sole;
}

bool SingleInstance::activateRunning(int timeoutMs)
{
    const QString folder = privateFolder();
    if (folder.isEmpty())
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketName(folder));
        if (socket.waitForConnected(200)) {
            socket.write(kActivate);
            socket.waitForBytesWritten(500);
            socket.disconnectFromServer();
            return true;
        }
        // The running copy may still be starting and not listening yet.
        QThread::msleep(50);
    }
    return false;
}

} // namespace dialoon
