// One running copy per user, with QLockFile for the race-free claim and a local socket for activation.
#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace dialoon {
namespace {

const QByteArray kActivate = "activate\n";

QString lockDirectory()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir;
}

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

QString SingleInstance::socketName() const
{
#ifdef Q_OS_WIN
    return key_;
#else
    // In the user's own runtime folder, where no other user can take the name first.
    return lockDirectory() + u'/' + key_ + QStringLiteral(".socket");
#endif
}

bool SingleInstance::claim()
{
    lock_ = std::make_unique<QLockFile>(lockDirectory() + u'/' + key_ + QStringLiteral(".lock"));
    // A lock left by a copy that crashed is taken over: QLockFile checks whether its owner still lives.
    if (!lock_->tryLock(0)) {
        lock_.reset();
        return false;
    }
    // We hold the lock, so a socket file still lying about belongs to a dead copy.
    QLocalServer::removeServer(socketName());
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(socketName()))
        qWarning("Dialoon: a second start cannot bring this one to the front (%s)",
                 qPrintable(server_.errorString()));
    return true;
}

bool SingleInstance::activateRunning(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketName());
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
