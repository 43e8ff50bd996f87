// One running copy per user, with QLockFile for the race-free claim and a local socket for activation.
// The socket is the system's own, watched by the event loop, so that the program needs no network
// library (which, with what it brings along, takes a few milliseconds to load at every start).
#include "platform/posix/SingleInstance.h"

#include "platform/posix/SystemError.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <functional>
#include <list>
#include <optional>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace dialoon {
namespace {

const QByteArray kActivate = "activate\n";
// Followed by the file's absolute path in UTF-8 and a line end: the running copy opens the file.
const QByteArray kOpen = "open ";

// Why this folder is not one only the user can write, or an empty text when it is. A symbolic link is
// refused where someone else could have placed it.
QString unsafeFolder(const QString& folder, bool followLinks)
{
    struct stat info = {};
    const QByteArray path = QFile::encodeName(folder);
    if ((followLinks ? ::stat(path.constData(), &info) : ::lstat(path.constData(), &info)) != 0)
        return QStringLiteral("%1 cannot be used (%2)").arg(folder, lastError());
    if (S_ISLNK(info.st_mode)) return QStringLiteral("%1 is a symbolic link").arg(folder);
    if (!S_ISDIR(info.st_mode)) return QStringLiteral("%1 is not a folder").arg(folder);
    if (info.st_uid != ::geteuid()) return QStringLiteral("%1 belongs to another user").arg(folder);
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return QStringLiteral("%1 can be written by other users").arg(folder);
    return {};
}

// The socket's address, or nothing when the path is longer than the system allows.
std::optional<sockaddr_un> socketAddress(const QString& socket)
{
    const QByteArray path = QFile::encodeName(socket);
    sockaddr_un address = {};
    if (path.size() >= qsizetype(sizeof(address.sun_path))) return std::nullopt;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    return address;
}

} // namespace

class SingleInstance::Listener
{
public:
    static constexpr qsizetype kLongestMessage = 4200; // "open " and the longest path

    explicit Listener(std::function<void(const QString& file)> onActivate)
        : onActivate_(std::move(onActivate))
    {
    }

    // The socket file goes with the listener, as the lock still held keeps any other copy from its name.
    ~Listener()
    {
        for (Caller& caller : callers_) {
            caller.notifier.reset();
            ::close(caller.fd);
        }
        if (fd_ >= 0) {
            notifier_.reset();
            ::close(fd_);
            ::unlink(path_.constData());
        }
    }

    // Listens at the socket, replacing a file left there; false with the reason otherwise.
    bool listen(const QString& socket, QString* error)
    {
        const std::optional<sockaddr_un> address = socketAddress(socket);
        if (!address) {
            *error = QStringLiteral("the name is longer than the system allows");
            return false;
        }
        ::unlink(address->sun_path);
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) != 0 ||
            ::chmod(address->sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(fd_, int(kMostCallers)) != 0) {
            *error = lastError();
            return false;
        }
        path_ = address->sun_path;
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                         [this] { acceptCallers(); });
        return true;
    }

private:
    // Callers heard at once; with more, the one waiting longest is let go, so a caller that never
    // speaks cannot keep the next start from getting through.
    static constexpr std::size_t kMostCallers = 8;
    struct Caller
    {
        int fd = -1;
        QByteArray said;
        std::unique_ptr<QSocketNotifier> notifier;
    };

    void acceptCallers()
    {
        for (;;) {
            const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd < 0) return;
            if (callers_.size() >= kMostCallers) letGo(callers_.begin());
            const auto caller = callers_.insert(callers_.end(), {fd, {}, nullptr});
            caller->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            QObject::connect(caller->notifier.get(), &QSocketNotifier::activated, caller->notifier.get(),
                             [this, caller] { hear(caller); });
        }
    }

    // Reads what a caller sent; the message is whole at the end of its line, or when the caller hangs up.
    void hear(std::list<Caller>::iterator caller)
    {
        char buffer[kLongestMessage];
        const ssize_t got = ::read(caller->fd, buffer, sizeof(buffer));
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
        if (got > 0) caller->said.append(buffer, got);
        const bool whole = got <= 0 || caller->said.contains('\n') || caller->said.size() >= kLongestMessage;
        if (!whole) return;
        const QByteArray said = caller->said;
        letGo(caller);
        if (!onActivate_) return;
        if (said.startsWith(kActivate.trimmed())) return onActivate_({});
        // A file is opened only when its message came whole: a cut-off path names another file.
        if (said.startsWith(kOpen) && said.endsWith('\n') && said.count('\n') == 1) {
            const QString file = QString::fromUtf8(said.mid(kOpen.size()).chopped(1));
            if (file.startsWith(u'/')) onActivate_(file);
        }
    }

    void letGo(std::list<Caller>::iterator caller)
    {
        // Its notifier may be the one calling: it goes once it has returned.
        caller->notifier->setEnabled(false);
        caller->notifier.release()->deleteLater();
        ::close(caller->fd);
        callers_.erase(caller);
    }

    std::function<void(const QString& file)> onActivate_;
    int fd_ = -1;
    QByteArray path_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::list<Caller> callers_;
};

SingleInstance::SingleInstance(QString key) : key_(std::move(key)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultKey()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");
    return QStringLiteral("dialoon-") + (user.isEmpty() ? QStringLiteral("user") : user);
}

QString SingleInstance::privateFolder(QString* problem)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && unsafeFolder(runtime, true).isEmpty()) return runtime;
    const QString own = QDir::tempPath() + QStringLiteral("/dialoon-%1").arg(::geteuid());
    const QString why = ::mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST
                            ? QStringLiteral("%1 cannot be made (%2)").arg(own, lastError())
                            : unsafeFolder(own, false);
    if (why.isEmpty()) return own;
    if (problem) *problem = why;
    return {};
}

QString SingleInstance::socketName(const QString& folder) const
{
    return folder + u'/' + key_ + QStringLiteral(".socket");
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
    lock_ = std::make_unique<QLockFile>(folder + u'/' + key_ + QStringLiteral(".lock"));
    // A lock left by a copy that crashed is taken over: QLockFile checks whether its owner still lives.
    if (!lock_->tryLock(0)) {
        const QLockFile::LockError error = lock_->error();
        lock_.reset();
        if (error == QLockFile::LockFailedError) return Claim::Elsewhere;
        problem_ = QStringLiteral("the lock that keeps to one running copy cannot be made in %1 (%2)")
                       .arg(folder, error == QLockFile::PermissionError
                                        ? QStringLiteral("no permission to write there")
                                        : QStringLiteral("writing there failed; the folder may be full"));
        return Claim::Unguarded;
    }
    // We hold the lock, so a socket file still lying about belongs to a dead copy.
    const QString socket = socketName(folder);
    listener_ = std::make_unique<Listener>([this](const QString& file) { emit activationRequested(file); });
    if (!listener_->listen(socket, &why)) {
        listener_.reset();
        problem_ =
            QStringLiteral("a second start cannot bring this one to the front (%1: %2)").arg(socket, why);
        return Claim::Unguarded;
    }
    return Claim::Sole;
}

bool SingleInstance::activateRunning(int timeoutMs, const QString& file)
{
    const QByteArray message = file.isEmpty() ? kActivate : kOpen + file.toUtf8() + '\n';
    if (message.size() > Listener::kLongestMessage || file.contains(u'\n')) return false;
    const QString folder = privateFolder();
    if (folder.isEmpty()) return false;
    const QDeadlineTimer deadline(timeoutMs);
    const std::optional<sockaddr_un> address = socketAddress(socketName(folder));
    if (!address) return false;
    while (!deadline.hasExpired()) {
        // Without waiting: a copy whose queue of callers is full is tried again, like one still starting.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) return false;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) == 0) {
            const bool sent =
                ::send(fd, message.constData(), std::size_t(message.size()), MSG_NOSIGNAL) == message.size();
            ::close(fd);
            return sent;
        }
        ::close(fd);
        // The running copy may still be starting and not listening yet, or busy.
        QThread::msleep(50);
    }
    return false;
}

} // namespace dialoon
