// The layers hold: no file includes a header of a layer above its own or of a folder beside it, and the
// engine reaches nothing of QtGui or QtWidgets. A small tree with planted faults shows each rule bites.
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

// A tree that keeps every rule, in the shape of the real one.
void writeCleanTree(const QDir& root)
{
    write(root, "platform/Platform.h", "#include <QString>\n");
    write(root, "platform/QtPlatform.h", "#include \"platform/Platform.h\"\n#include <QWidget>\n");
    write(root, "engine/Model.h", "#include \"platform/Platform.h\"\n#include <QtCore/QString>\n");
    write(root, "speech/Voice.h", "#include \"platform/QtPlatform.h\"\n#include <QColor>\n");
    write(root, "app/Startup.cpp", "#include \"engine/Model.h\"\n#include \"speech/Voice.h\"\n");
    write(root, "ui/Window.cpp", "#include \"app/Startup.h\"\n#include <QWidget>\n");
}

} // namespace

class LayerCheckTest : public QObject
{
    Q_OBJECT

private slots:
    void theSourceTreeKeepsItsLayers()
    {
        const QStringList violations = layerViolations(QDir(QStringLiteral(DIALOON_SOURCE_DIR)), qtHeaders());
        if (!violations.isEmpty())
            qWarning().noquote() << violations.join(u'\n');
        QCOMPARE(violations.size(), 0);
    }

    void aTreeThatKeepsTheRulesPasses()
    {
        QTemporaryDir dir;
        writeCleanTree(QDir(dir.path()));
        QCOMPARE(layerViolations(QDir(dir.path()), qtHeaders()), QStringList());
    }

    void plantedFaultsAreFound_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("engine includes app") << "engine/Cycle.cpp" << QByteArray("#include \"app/Startup.h\"\n")
                                             << "engine/Cycle.cpp includes app/Startup.h: app is a layer above engine";
        QTest::newRow("platform includes ui") << "platform/Hint.cpp" << QByteArray("#include \"ui/Window.h\"\n")
                                              << "ui is a layer above platform";
        QTest::newRow("app includes ui") << "app/Save.cpp" << QByteArray("  #  include \"ui/Window.h\"\n")
                                         << "ui is a layer above app";
        QTest::newRow("engine includes speech") << "engine/Talk.h" << QByteArray("#include \"speech/Mouth.h\"\n")
                                                << "speech and engine stand side by side";
        QTest::newRow("speech includes engine") << "speech/Say.h" << QByteArray("#include \"engine/Model.h\"\n")
                                                << "engine and speech stand side by side";
        QTest::newRow("engine sees QtGui") << "engine/Colour.h" << QByteArray("#include <QColor>\n")
                                           << "engine/Colour.h sees <QColor> of QtGui";
        QTest::newRow("engine sees a module path") << "engine/Paint.h" << QByteArray("#include <QtGui/QPainter>\n")
                                                   << "sees <QtGui/QPainter> of QtGui";
        QTest::newRow("engine sees QtWidgets through platform")
            << "engine/Place.cpp" << QByteArray("#include \"platform/QtPlatform.h\"\n")
            << "engine/Place.cpp sees <QWidget> of QtWidgets through platform/QtPlatform.h";
    }

    void plantedFaultsAreFound()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QDir root(dir.path());
        writeCleanTree(root);
        write(root, file, text);
        const QStringList violations = layerViolations(root, qtHeaders());
        QCOMPARE(violations.size(), 1);
        QVERIFY2(violations.first().contains(expected), qPrintable(violations.first()));
    }
};

QTEST_GUILESS_MAIN(LayerCheckTest)
#include "layer_check_test.moc"
