// The layers hold: a file includes headers of its own target and of the targets its target links, and no
// other; a target links only what it includes something of; the engine reaches nothing of QtGui or
// QtWidgets. A small tree with planted faults shows each rule bites, among them the engine reaching for a
// header of the operating system's room.
#include "LayerRules.h"

#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace dialoon;

namespace {

QDir qtHeaders()
{
    return QDir(QLibraryInfo::path(QLibraryInfo::HeadersPath));
}

void write(const QDir& root, const QString& path, const QByteArray& text)
{
    QVERIFY(root.mkpath(QFileInfo(path).path()));
    QFile file(root.filePath(path));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// A tree that keeps every rule, in the shape of the real one, and its targets.
QList<LayerTarget> writeCleanTree(const QDir& root)
{
    write(root, "base/Twips.h", "#include <cmath>\n");
    write(root, "platform/Platform.h", "#include \"base/Twips.h\"\n#include <QString>\n");
    write(root, "platform/posix/LogonEntry.h", "#include \"base/Twips.h\"\n");
    write(root, "platform/x11/QtPlatform.h",
          "#include \"platform/Platform.h\"\n#include \"platform/posix/LogonEntry.h\"\n#include <QWidget>\n");
    write(root, "engine/Model.h", "#include \"platform/Platform.h\"\n#include <QtCore/QString>\n");
    write(root, "app/Startup.cpp", "#include \"engine/Model.h\"\n#include \"platform/posix/LogonEntry.h\"\n");
    write(root, "ui/Window.cpp", "#include \"app/Startup.h\"\n#include \"platform/x11/QtPlatform.h\"\n");
    return {
        {"base", {"base/Twips.h"}, {}},
        {"interface", {"platform/Platform.h"}, {"base"}},
        {"posix", {"platform/posix/LogonEntry.h"}, {"base"}},
        {"x11", {"platform/x11/QtPlatform.h"}, {"interface", "posix"}},
        {"engine", {"engine/Model.h"}, {"interface", "Qt6::Core"}},
        {"app", {"app/Startup.cpp"}, {"engine", "posix"}},
        {"ui", {"ui/Window.cpp"}, {"app", "x11"}},
    };
}

} // namespace

class LayerCheckTest : public QObject
{
    Q_OBJECT

private slots:
    void theSourceTreeKeepsItsLayers()
    {
        const QDir root(QStringLiteral(DIALOON_SOURCE_DIR));
        const QList<LayerTarget> targets = readLayerTargets(QStringLiteral(DIALOON_LAYER_TARGETS), root);
        QVERIFY(targets.size() >= 8);
        const QStringList violations = layerViolations(root, targets, qtHeaders());
        if (!violations.isEmpty()) qWarning().noquote() << violations.join(u'\n');
        QCOMPARE(violations.size(), 0);
    }

    void aTreeThatKeepsTheRulesPasses()
    {
        QTemporaryDir dir;
        const QList<LayerTarget> targets = writeCleanTree(QDir(dir.path()));
        const QStringList violations = layerViolations(QDir(dir.path()), targets, qtHeaders());
        QVERIFY2(violations.isEmpty(), qPrintable(violations.join(u'\n')));
    }

    void plantedFaultsAreFound_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("engine includes the logon entry")
            << "engine/Model.h" << QByteArray("#include \"platform/posix/LogonEntry.h\"\n")
            << "engine/Model.h includes platform/posix/LogonEntry.h: posix is not among the targets engine "
               "links";
        QTest::newRow("engine includes app") << "engine/Model.h" << QByteArray("#include \"app/Startup.h\"\n")
                                             << "app is not among the targets engine links";
        QTest::newRow("app includes ui") << "app/Startup.cpp" << QByteArray("  #  include \"ui/Window.h\"\n")
                                         << "ui is not among the targets app links";
        QTest::newRow("a link nothing uses") << "ui/Window.cpp" << QByteArray("#include \"app/Startup.h\"\n")
                                             << "ui links x11 but includes none of its headers";
        QTest::newRow("engine sees QtGui") << "engine/Model.h" << QByteArray("#include <QColor>\n")
                                           << "engine/Model.h sees <QColor> of QtGui";
        QTest::newRow("engine sees QtWidgets through the platform")
            << "engine/Model.h" << QByteArray("#include \"platform/x11/QtPlatform.h\"\n")
            << "engine/Model.h sees <QWidget> of QtWidgets through platform/x11/QtPlatform.h";
    }

    void plantedFaultsAreFound()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QDir root(dir.path());
        const QList<LayerTarget> targets = writeCleanTree(root);
        write(root, file, text);
        const QStringList violations = layerViolations(root, targets, qtHeaders());
        QVERIFY2(!violations.isEmpty() && violations.join(u'\n').contains(expected),
                 qPrintable(violations.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(LayerCheckTest)
#include "layer_check_test.moc"
