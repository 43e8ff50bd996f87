// Where no session bus can be found or launched, the bus library is given the user's bus address
// instead of trying to launch one; everywhere else it is left to find or launch the bus itself.
#include "platform/posix/SessionBus.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace dialoon;

class SessionBusTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir root;
    int cases = 0;

    QByteArray folder(const QString& name)
    {
        QDir(root.path()).mkpath(name);
        return QFile::encodeName(root.filePath(name));
    }

    void makeFile(const QByteArray& path, QFileDevice::Permissions permissions)
    {
        QFile file(QFile::decodeName(path));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(file.setPermissions(permissions));
    }

private slots:
    void launchIsSkippedOnlyWhereItCannotSucceed_data()
    {
        QTest::addColumn<QString>("surroundings");
        QTest::addColumn<bool>("skipped");
        QTest::newRow("nothing to find or launch a bus with") << "" << true;
        QTest::newRow("a bus address given") << "address" << false;
        QTest::newRow("no runtime folder") << "no runtime" << false;
        QTest::newRow("the user's bus in the runtime folder") << "user bus" << false;
        QTest::newRow("dbus-launch along PATH") << "launcher on path" << false;
        QTest::newRow("dbus-launch in the library's own folder") << "launcher in bin" << false;
        QTest::newRow("a dbus-launch that cannot be run") << "launcher not runnable" << true;
        QTest::newRow("dbus-launch in the current folder, an empty entry of PATH")
            << "launcher here" << false;
    }

    void launchIsSkippedOnlyWhereItCannotSucceed()
    {
        QFETCH(QString, surroundings);
        QFETCH(bool, skipped);
        const QString place = QString::number(++cases);
        const QByteArray runtime = folder(QStringLiteral("run/") + place);
        const QByteArray tools = folder(QStringLiteral("tools/") + place);
        const QByteArray bin = folder(QStringLiteral("bin/") + place);
        SessionBus::Surroundings around{{}, runtime, folder(QStringLiteral("empty")) + ':' + tools, bin};
        if (surroundings == "address")
            around.busAddress = "unix:path=/run/user/1000/bus";
        else if (surroundings == "no runtime")
            around.runtimeDir.clear();
        else if (surroundings == "user bus")
            makeFile(runtime + "/bus", QFile::ReadOwner | QFile::WriteOwner);
        else if (surroundings == "launcher on path")
            makeFile(tools + "/dbus-launch", QFile::ReadOwner | QFile::ExeOwner);
        else if (surroundings == "launcher in bin")
            makeFile(bin + "/dbus-launch", QFile::ReadOwner | QFile::ExeOwner);
        else if (surroundings == "launcher not runnable")
            makeFile(tools + "/dbus-launch", QFile::ReadOwner);
        const QString before = QDir::currentPath();
        if (surroundings == "launcher here") {
            makeFile(tools + "/dbus-launch", QFile::ReadOwner | QFile::ExeOwner);
            around.path = "/nonexistent::/nonexistent-too";
            QDir::setCurrent(QFile::decodeName(tools));
        }

        const std::optional<QByteArray> address = SessionBus::addressInsteadOfLaunch(around);
        QDir::setCurrent(before);
        QCOMPARE(address.has_value(), skipped);
        if (skipped) QCOMPARE(*address, "unix:path=" + runtime + "/bus");
    }

    // A bus address writes bytes outside a small set as %XX.
    void theAddressIsEscaped()
    {
        const QByteArray runtime = folder(QStringLiteral("a b%c,d=é"));
        const auto address = SessionBus::addressInsteadOfLaunch({{}, runtime, {}, {}});
        QVERIFY(address);
        QCOMPARE(*address, "unix:path=" + QFile::encodeName(root.path()) + "/a%20b%25c%2cd%3d%c3%a9/bus");
    }
};

QTEST_GUILESS_MAIN(SessionBusTest)
#include "session_bus_test.moc"
