// Folder sync on POSIX systems; elsewhere the system's own rename is durable enough.
#include "platform/DurableFile.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace dialoon::DurableFile {

bool syncFolderOf(const QString& filePath)
{
#ifdef Q_OS_UNIX
    const QByteArray dir = QFile::encodeName(QFileInfo(filePath).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
#else
    Q_UNUSED(filePath);
    return true;
#endif
}

} // namespace dialoon::DurableFile
