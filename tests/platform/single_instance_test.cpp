// One running copy per user: where the lock and the socket are kept, what a claim says in each state of
// the folders, and that a later copy reaches the first. Each case sets the runtime and temporary
// folders of its own.
#include "platform/posix/SingleInstance.h"
#include "platform/x11/QtPlatform.h"
#include "speech/StderrCapture.h"
#include "support/OrdinaryUser.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <vector>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace dialoon;

namespace {

constexpr uid_t kOtherUser = 65534; // nobody

// Sets an environment variable for as long as it lives.
class ScopedVariable
{
public:
    ScopedVariable(const char* name, const QString& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name))
    {
        old_ = qgetenv(name);
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, QFile::encodeName(value));
    }
    ~ScopedVariable()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

QString ownFallback(const QString& temp)
{
    return temp + QStringLiteral("/dialoon-%1").arg(::geteuid());
}

void makeFolder(const QString& path, mode_t mode, uid_t owner)
{
    QVERIFY(QDir().mkpath(path));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
    QCOMPARE(::chown(QFile::encodeName(path).constData(), owner, static_cast<gid_t>(-1)), 0);
}

} // namespace

class SingleInstanceTest : public QObject
{
    Q_OBJECT
private slots:
    void claimInEachStateOfTheFolders_data()
    {
        QTest::addColumn<QString>("runtime"); // XDG_RUNTIME_DIR: "private", "open", "other", "unset"
        QTest::addColumn<QString>("temp");   // the temporary folder: "usable", "a file", "read-only", "taken"
        QTest::addColumn<int>("claim");      // SingleInstance::Claim
        QTest::addColumn<QString>("lockIn"); // "runtime", "fallback" or "" (no lock)
        using C = SingleInstance::Claim;
        QTest::newRow("own runtime folder") << "private"
                                            << "usable" << int(C::Sole) << "runtime";
        QTest::newRow("no runtime folder") << "unset"
                                           << "usable" << int(C::Sole) << "fallback";
        QTest::newRow("runtime folder others may write") << "open"
                                                         << "usable" << int(C::Sole) << "fallback";
        QTest::newRow("runtime folder of another user") << "other"
                                                        << "usable" << int(C::Sole) << "fallback";
        QTest::newRow("temporary folder is a file") << "unset"
                                                    << "a file" << int(C::Unguarded) << "";
        QTest::newRow("temporary folder cannot be written") << "unset"
                                                            << "read-only" << int(C::Unguarded) << "";
        // Another user made the names first, in the shared temporary folder: the lock they hold there is
        // not ours, and does not keep this copy from starting.
        QTest::newRow("private folder taken by another user") << "unset"
                                                              << "taken" << int(C::Unguarded) << "";
    }
    void claimInEachStateOfTheFolders()
    {
        QFETCH(QString, runtime);
        QFETCH(QString, temp);
        QFETCH(int, claim);
        QFETCH(QString, lockIn);
        if (::geteuid() != 0 && (runtime == "other" || temp == "taken"))
            QSKIP("needs root to make a folder of another user");

        QTemporaryDir dir;
        const QString runtimeFolder = dir.filePath("runtime");
        if (runtime == "private")
            makeFolder(runtimeFolder, 0700, ::geteuid());
        else if (runtime == "open")
            makeFolder(runtimeFolder, 0777, ::geteuid());
        else if (runtime == "other")
            makeFolder(runtimeFolder, 0700, kOtherUser);

        QString tempFolder = dir.filePath("tmp");
        QLockFile othersLock(tempFolder + "/" + SingleInstance::defaultKey() + ".lock");
        std::unique_ptr<QLockFile> othersPrivateLock;
        if (temp == "a file") {
            QFile file(tempFolder);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (temp == "read-only") {
            makeFolder(tempFolder, 0555, ::geteuid());
        } else {
            makeFolder(tempFolder, 0777, ::geteuid());
        }
        if (temp == "taken") {
            // Every name this copy or an earlier version of it would use, made and held by someone else.
            const QString others = ownFallback(tempFolder);
            makeFolder(others, 0777, ::geteuid());
            othersPrivateLock =
                std::make_unique<QLockFile>(others + "/" + SingleInstance::defaultKey() + ".lock");
            QVERIFY(othersPrivateLock->tryLock(0));
            QVERIFY(othersLock.tryLock(0));
            makeFolder(others, 0777, kOtherUser);
            QString userName = qEnvironmentVariable("USER");
            makeFolder(tempFolder + "/runtime-" + (userName.isEmpty() ? QStringLiteral("root") : userName),
                       0700, kOtherUser);
        }

        const ScopedVariable runtimeVariable("XDG_RUNTIME_DIR",
                                             runtime == "unset" ? QString() : runtimeFolder);
        const ScopedVariable tempVariable("TMPDIR", tempFolder);
        SingleInstance instance(SingleInstance::defaultKey());
        SingleInstance::Claim result;
        {
            OrdinaryUser user;
            result = instance.claim();
        }
        QCOMPARE(int(result), claim);
        if (result == SingleInstance::Claim::Unguarded) {
            QVERIFY2(instance.problem().contains(tempFolder), qPrintable(instance.problem()));
            return;
        }
        const QString folder = lockIn == "runtime" ? runtimeFolder : ownFallback(tempFolder);
        QVERIFY2(QFile::exists(folder + "/" + SingleInstance::defaultKey() + ".lock"), qPrintable(folder));
        QCOMPARE(SingleInstance::privateFolder(), folder);
        struct stat info = {};
        QCOMPARE(::lstat(QFile::encodeName(folder).constData(), &info), 0);
        QCOMPARE(info.st_uid, ::geteuid());
        if (lockIn == "fallback") QCOMPARE(info.st_mode & 0777, 0700u);
    }

    void laterCopyBringsTheFirstToTheFront()
    {
        QTemporaryDir dir;
        const ScopedVariable runtimeVariable("XDG_RUNTIME_DIR", dir.path());
        SingleInstance first(QStringLiteral("dialoon-test"));
        QCOMPARE(first.claim(), SingleInstance::Claim::Sole);
        QSignalSpy activated(&first, &SingleInstance::activationRequested);
        SingleInstance later(QStringLiteral("dialoon-test"));
        QCOMPARE(later.claim(), SingleInstance::Claim::Elsewhere);
        QVERIFY(later.activateRunning());
        QTRY_COMPARE(activated.count(), 1);
    }

    // Only the activation message brings the copy to the front: a caller that says something else, or
    // hangs up without a word, is let go, and callers that never speak cannot keep a later start from
    // getting through. The socket is the user's alone.
    void onlyTheActivationMessageCounts()
    {
        QTemporaryDir dir;
        const ScopedVariable runtimeVariable("XDG_RUNTIME_DIR", dir.path());
        SingleInstance first(QStringLiteral("dialoon-test"));
        QCOMPARE(first.claim(), SingleInstance::Claim::Sole);
        QSignalSpy activated(&first, &SingleInstance::activationRequested);
        const QByteArray path = QFile::encodeName(dir.filePath("dialoon-test.socket"));
        struct stat info = {};
        QCOMPARE(::stat(path.constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
        const auto call = [&path](const QByteArray& message) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
            sockaddr_un address = {};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
                !message.isEmpty())
                (void)::write(fd, message.constData(), std::size_t(message.size()));
            QTest::qWait(5); // the copy hears it
            return fd;
        };
        for (const QByteArray& message : {QByteArray("hello\n"), QByteArray(), QByteArray(200, 'x')})
            ::close(call(message));
        std::vector<int> silent; // callers that never speak, more than are heard at once
        for (int i = 0; i < 20; ++i)
            silent.push_back(call({}));
        QCOMPARE(activated.count(), 0);
        SingleInstance later(QStringLiteral("dialoon-test"));
        QVERIFY(later.activateRunning());
        QTRY_COMPARE(activated.count(), 1);
        for (int fd : silent)
            ::close(fd);
    }

    // The socket goes with the copy that made it; the lock stays for the next.
    void theSocketGoesWithTheCopy()
    {
        QTemporaryDir dir;
        const ScopedVariable runtimeVariable("XDG_RUNTIME_DIR", dir.path());
        const QString socket = dir.filePath("dialoon-test.socket");
        {
            SingleInstance first(QStringLiteral("dialoon-test"));
            QCOMPARE(first.claim(), SingleInstance::Claim::Sole);
            QVERIFY(QFile::exists(socket));
        }
        QVERIFY(!QFile::exists(socket));
        SingleInstance next(QStringLiteral("dialoon-test"));
        QCOMPARE(next.claim(), SingleInstance::Claim::Sole);
    }

    // A lock held without the socket: this copy runs, but no later copy can reach it, and the claim says
    // so instead of reporting the guard as whole. A socket path longer than the system allows does it.
    void lockWithoutListeningIsNoWholeClaim()
    {
        QTemporaryDir dir;
        const QString deep = dir.filePath(QString(60, u'a') + "/" + QString(60, u'b'));
        QVERIFY(QDir().mkpath(deep));
        QCOMPARE(::chmod(QFile::encodeName(deep).constData(), 0700), 0);
        const ScopedVariable runtimeVariable("XDG_RUNTIME_DIR", deep);
        SingleInstance first(QStringLiteral("dialoon-test"));
        QCOMPARE(first.claim(), SingleInstance::Claim::Unguarded);
        QVERIFY2(first.problem().contains(deep), qPrintable(first.problem()));
        // It holds the lock all the same: a later copy finds it taken.
        SingleInstance later(QStringLiteral("dialoon-test"));
        QCOMPARE(later.claim(), SingleInstance::Claim::Elsewhere);
        QVERIFY(!later.activateRunning(300));
    }

    // The program, when it cannot make the lock, starts all the same and says why in one line.
    void programStartsUnguardedWithOneLine()
    {
        QTemporaryDir dir;
        const QString notAFolder = dir.filePath("tmp");
        QFile file(notAFolder);
        QVERIFY(file.open(QIODevice::WriteOnly));
        StderrCapture errors; // before its own temporary file has nowhere to go
        const ScopedVariable runtimeVariable("XDG_RUNTIME_DIR", QString());
        const ScopedVariable tempVariable("TMPDIR", notAFolder);
        QtPlatform platform;
        QVERIFY(platform.claimSingleInstance());
        const QStringList lines = errors.release();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().startsWith("Dialoon: ") && lines.first().contains(notAFolder),
                 qPrintable(lines.first()));
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
