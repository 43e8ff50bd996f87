// Durable replacement of a file: the new content in place whole, the old file's permissions kept, a
// symbolic link kept a link, a time of modification that moves on, and on failure the old file as it was.
#include "platform/posix/DurableFile.h"
#include "support/OrdinaryUser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace dialoon;

namespace {

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

mode_t modeOf(const QString& path)
{
    struct stat info = {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode;
}

} // namespace

class DurableFileTest : public QObject
{
    Q_OBJECT
private slots:
    void newFileHasTheUsualPermissions()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Tavo.ini");
        const mode_t mask = ::umask(022);
        ::umask(mask);
        QVERIFY(DurableFile::replace(path, "[German]\nce=1\n"));
        QCOMPARE(contentOf(path), QByteArray("[German]\nce=1\n"));
        QCOMPARE(modeOf(path) & 07777, 0666 & ~mask);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Tavo.ini"});
    }

    void replacementKeepsPermissionsAndMovesTheTimeOn()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Tavo.ini");
        writeFile(path, "[German]\nn=2\n");
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0600), 0);
        const QDateTime before = QFileInfo(path).lastModified();
        // Same size, at once: a reader that compares size and time must still see a change.
        QVERIFY(DurableFile::replace(path, "[German]\nn=7\n"));
        QCOMPARE(contentOf(path), QByteArray("[German]\nn=7\n"));
        QCOMPARE(modeOf(path) & 07777, mode_t(0600));
        QVERIFY(QFileInfo(path).lastModified() > before);
    }

    void symbolicLinkStaysALink()
    {
        QTemporaryDir dir;
        const QString real = dir.filePath("elsewhere.ini");
        const QString path = dir.filePath("Tavo.ini");
        writeFile(real, "old");
        QVERIFY(QFile::link(real, path));
        QVERIFY(DurableFile::replace(path, "new"));
        QVERIFY(S_ISLNK(modeOf(path)));
        QCOMPARE(contentOf(real), QByteArray("new"));
    }

    void failureLeavesTheOldFileAsItWas_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("folder cannot be written") << "read-only folder";
        QTest::newRow("folder is gone") << "no folder";
    }
    void failureLeavesTheOldFileAsItWas()
    {
        QFETCH(QString, fault);
        QTemporaryDir dir;
        const QString folder = dir.filePath("config");
        QVERIFY(QDir(dir.path()).mkdir("config"));
        const QString path = fault == "no folder" ? dir.filePath("gone/Tavo.ini") : folder + "/Tavo.ini";
        if (fault == "read-only folder") {
            writeFile(path, "old");
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
        }
        QString problem;
        bool replaced = true;
        {
            OrdinaryUser user;
            replaced = DurableFile::replace(path, "new", &problem);
        }
        ::chmod(QFile::encodeName(folder).constData(), 0700);
        QVERIFY(!replaced);
        QVERIFY(!problem.isEmpty());
        if (fault == "read-only folder") {
            QCOMPARE(contentOf(path), QByteArray("old"));
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"Tavo.ini"});
        }
    }
};

QTEST_GUILESS_MAIN(DurableFileTest)
#include "durable_file_test.moc"
