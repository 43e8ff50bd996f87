#include "platform/posix/DurableFile.h"

#include "platform/posix/SystemError.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace dialoon::DurableFile {
namespace {

qint64 millisecondsOf(const struct timespec& time)
{
    return static_cast<qint64>(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
}

} // namespace

bool replace(const QString& filePath, const QByteArray& content, QString* problem)
{
    const auto failed = [problem](const QString& what) {
        if (problem) *problem = what;
        return false;
    };
    // A store kept elsewhere through a symbolic link stays there, and the link stays a link.
    const QFileInfo info(filePath);
    const QString resolved =
        info.isSymLink() && !info.canonicalFilePath().isEmpty() ? info.canonicalFilePath() : filePath;
    const QByteArray target = QFile::encodeName(resolved);
    struct stat old = {};
    const bool hadOld = ::stat(target.constData(), &old) == 0;

    // A new file beside the old one, made with the usual permissions for new files (the umask applies).
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = target + ".new-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return failed(QStringLiteral("cannot make a file beside it (%1)").arg(lastError()));
    }
    if (fd < 0) return failed(QStringLiteral("cannot make a file beside it"));
    // Takes the new file away again, closing it unless it is closed already.
    const auto abandon = [&](const QString& what) {
        const QString why = QStringLiteral("%1 (%2)").arg(what, lastError());
        if (fd >= 0) ::close(fd);
        ::unlink(temporary.constData());
        return failed(why);
    };

    const char* data = content.constData();
    qint64 left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return abandon(QStringLiteral("cannot write the new content"));
        data += written;
        left -= written;
    }
    if (hadOld && ::fchmod(fd, old.st_mode & 07777) != 0)
        return abandon(QStringLiteral("cannot give the new content the old file's permissions"));
    struct stat now = {};
    if (hadOld && ::fstat(fd, &now) == 0 && millisecondsOf(now.st_mtim) <= millisecondsOf(old.st_mtim)) {
        const qint64 later = millisecondsOf(old.st_mtim) + 1;
        const struct timespec times[2] = {{0, UTIME_OMIT},
                                          {static_cast<time_t>(later / 1000), (later % 1000) * 1000000}};
        if (::futimens(fd, times) != 0) return abandon(QStringLiteral("cannot set the new content's time"));
    }
    if (::fsync(fd) != 0) return abandon(QStringLiteral("cannot flush the new content to disk"));
    if (::close(std::exchange(fd, -1)) != 0) return abandon(QStringLiteral("cannot write the new content"));
    if (::rename(temporary.constData(), target.constData()) != 0)
        return abandon(QStringLiteral("cannot put the new content in place"));
    // The folder too, so that the new name is on disk.
    const int folder = ::open(QFile::encodeName(QFileInfo(resolved).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = folder >= 0 && ::fsync(folder) == 0;
    if (folder >= 0) ::close(folder);
    if (!synced) return failed(QStringLiteral("the folder cannot be flushed to disk (%1)").arg(lastError()));
    return true;
}

} // namespace dialoon::DurableFile
