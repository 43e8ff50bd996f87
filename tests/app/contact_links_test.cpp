// Where Website and E-mail lead: the home page or the installed user guide, and a new message with the
// subject "Dialoon"; never an address the project does not own.
#include "app/ContactLinks.h"
#include "base/BuildInfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QUrlQuery>

using namespace dialoon;

class ContactLinksTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir root;

    QString touch(const QString& relative)
    {
        const QString path = root.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("<html></html>");
        return path;
    }

private slots:
    void webPage_data()
    {
        QTest::addColumn<QString>("homePage");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QStringList>("candidates");
        QTest::addColumn<QString>("expected");
        const QStringList both{"a/guide.html", "b/guide.html"};
        QTest::newRow("home page wins") << "https://www.dialoon.org/" << QStringList{"a/guide.html"} << both
                                        << "https://www.dialoon.org/";
        QTest::newRow("installed guide") << "" << both << both << "a/guide.html";
        QTest::newRow("source copy when not installed")
            << "" << QStringList{"b/guide.html"} << both << "b/guide.html";
        QTest::newRow("none there: the installed place") << "" << QStringList{} << both << "a/guide.html";
        QTest::newRow("a folder is no guide")
            << "" << QStringList{"a/guide.html/x"} << both << "a/guide.html";
        const QString unusual = QStringLiteral("Mein Ordner/Übung/guide.html");
        QTest::newRow("blanks and umlauts") << "" << QStringList{unusual} << QStringList{unusual} << unusual;
    }
    void webPage()
    {
        QFETCH(QString, homePage);
        QFETCH(QStringList, existing);
        QFETCH(QStringList, candidates);
        QFETCH(QString, expected);
        QVERIFY(root.isValid());
        QDir(root.path()).removeRecursively();
        QDir().mkpath(root.path());
        for (const QString& file : existing)
            touch(file);
        QStringList paths;
        for (const QString& candidate : candidates)
            paths << root.filePath(candidate);
        const QString url = ContactLinks::webPage(homePage, paths);
        if (!homePage.isEmpty()) {
            QCOMPARE(url, expected);
            return;
        }
        const QUrl parsed(url, QUrl::StrictMode);
        QVERIFY2(parsed.isValid(), qPrintable(url));
        QCOMPARE(parsed.scheme(), QStringLiteral("file"));
        QCOMPARE(parsed.toLocalFile(), root.filePath(expected));
    }

    void email_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no address: a message to nobody") << ""
                                                         << "mailto:?subject=Dialoon";
        QTest::newRow("an address") << "hallo@dialoon.org"
                                    << "mailto:hallo@dialoon.org?subject=Dialoon";
        QTest::newRow("a blank is encoded") << "a b@dialoon.org"
                                            << "mailto:a%20b@dialoon.org?subject=Dialoon";
        QTest::newRow("a question mark cannot start the query")
            << "who?@dialoon.org"
            << "mailto:who%3F@dialoon.org?subject=Dialoon";
    }
    void email()
    {
        QFETCH(QString, address);
        QFETCH(QString, expected);
        const QString url = ContactLinks::email(address);
        QCOMPARE(url, expected);
        const QUrl parsed(url);
        QCOMPARE(parsed.path(), address);
        QCOMPARE(QUrlQuery(parsed).queryItemValue("subject"), QStringLiteral("Dialoon"));
    }

    void guideIsLookedForInstalledThenInTheSource()
    {
        const QStringList candidates = ContactLinks::guideCandidates("/opt/dialoon/bin/dialoon");
        QVERIFY(!candidates.isEmpty());
        QCOMPARE(candidates.first(),
                 QDir::cleanPath(QStringLiteral("/opt/dialoon/bin/") + BuildInfo::kGuideFromExecutable));
        QVERIFY2(candidates.first().startsWith("/opt/dialoon/"), qPrintable(candidates.first()));
        QVERIFY(candidates.first().endsWith("/dialoon/guide.html"));
        // This build's own source copy exists, so a program run from its build folder finds a guide.
        QCOMPARE(candidates.last(), QString::fromUtf8(BuildInfo::kGuideInSource));
        QVERIFY(QFile::exists(candidates.last()));
    }

    void thisBuildNeverShipsAPlaceholder()
    {
        const QString home = QString::fromUtf8(BuildInfo::kHomePage);
        const QString contact = QString::fromUtf8(BuildInfo::kContactAddress);
        const QString web = ContactLinks::webPage("/usr/bin/dialoon");
        for (const QString& fact : {home, contact, web, ContactLinks::email()})
            QVERIFY2(!fact.contains("example."), qPrintable(fact));
        if (home.isEmpty())
            QCOMPARE(QUrl(ContactLinks::webPage("/usr/bin/dialoon")).scheme(), QStringLiteral("file"));
    }
};

QTEST_GUILESS_MAIN(ContactLinksTest)
#include "contact_links_test.moc"
