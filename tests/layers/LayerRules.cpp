// Include directions between the layers. Each folder has a rank; a file may include headers of its own
// folder and of folders of a lower rank only. Folders of the same rank stand side by side and do not
// include each other, so the folders can never form a cycle. The engine is QtCore only: no header it
// reaches, directly or through the project's own headers, may belong to QtGui or QtWidgets.
#include "LayerRules.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <functional>
#include <map>

namespace dialoon {
namespace {

const std::map<QString, int> kRanks = {
    {QStringLiteral("platform"), 0}, {QStringLiteral("engine"), 1}, {QStringLiteral("speech"), 1},
    {QStringLiteral("app"), 2},      {QStringLiteral("ui"), 3},
};
const QStringList kGuiModules = {QStringLiteral("QtGui"), QStringLiteral("QtWidgets"), QStringLiteral("QtSvg"),
                                 QStringLiteral("QtSvgWidgets"), QStringLiteral("QtOpenGL")};

struct Include
{
    QString name;
    bool project; // "..." rather than <...>
};

QString folderOf(const QString& path)
{
    return path.section(u'/', 0, 0);
}

QList<Include> includesOf(const QString& filePath)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])"),
                                            QRegularExpression::MultilineOption);
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    QList<Include> result;
    for (auto it = pattern.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        result.append({match.captured(2), match.captured(1) == u'"'});
    }
    return result;
}

class Checker
{
public:
    Checker(const QDir& root, const QDir& qtHeaders) : root_(root), qtHeaders_(qtHeaders) {}

    QStringList run()
    {
        QDirIterator it(root_.path(), {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                        QDirIterator::Subdirectories);
        QStringList files;
        while (it.hasNext())
            files << root_.relativeFilePath(it.next());
        files.sort();
        for (const QString& file : files) {
            const auto rank = kRanks.find(folderOf(file));
            if (rank == kRanks.end())
                continue;
            checkDirections(file, rank->second);
            if (folderOf(file) == QLatin1String("engine"))
                checkCoreOnly(file);
        }
        return violations_;
    }

private:
    void checkDirections(const QString& file, int rank)
    {
        const QString folder = folderOf(file);
        for (const Include& include : includesOf(root_.filePath(file))) {
            if (!include.project || !include.name.contains(u'/'))
                continue;
            const QString target = folderOf(include.name);
            const auto targetRank = kRanks.find(target);
            if (targetRank == kRanks.end() || target == folder)
                continue;
            if (targetRank->second > rank)
                violations_ << QStringLiteral("%1 includes %2: %3 is a layer above %4")
                                   .arg(file, include.name, target, folder);
            else if (targetRank->second == rank)
                violations_ << QStringLiteral("%1 includes %2: %3 and %4 stand side by side and must not "
                                              "include each other")
                                   .arg(file, include.name, target, folder);
        }
    }

    // The module of a Qt header such as <QColor> or <QtGui/QColor>, or an empty text for other headers.
    QString qtModuleOf(const QString& header) const
    {
        if (header.contains(u'/')) {
            const QString module = header.section(u'/', 0, 0);
            return module.startsWith(QLatin1String("Qt")) ? module : QString();
        }
        if (!header.startsWith(u'Q'))
            return {};
        const auto cached = moduleCache_.constFind(header);
        if (cached != moduleCache_.constEnd())
            return *cached;
        QString found;
        for (const QString& module : qtHeaders_.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (QFileInfo::exists(qtHeaders_.filePath(module + u'/' + header))) {
                found = module;
                if (module == QLatin1String("QtCore"))
                    break;
            }
        }
        moduleCache_.insert(header, found);
        return found;
    }

    void checkCoreOnly(const QString& file)
    {
        QSet<QString> seen;
        const std::function<void(const QString&, const QString&)> visit = [&](const QString& path,
                                                                               const QString& via) {
            if (seen.contains(path))
                return;
            seen.insert(path);
            for (const Include& include : includesOf(root_.filePath(path))) {
                if (include.project) {
                    if (QFileInfo::exists(root_.filePath(include.name)))
                        visit(include.name, via.isEmpty() ? include.name : via);
                    continue;
                }
                const QString module = qtModuleOf(include.name);
                if (kGuiModules.contains(module))
                    violations_ << QStringLiteral("%1 sees <%2> of %3%4: the engine is QtCore only")
                                       .arg(file, include.name, module,
                                            via.isEmpty() ? QString() : QStringLiteral(" through ") + via);
            }
        };
        visit(file, QString());
    }

    QDir root_;
    QDir qtHeaders_;
    QStringList violations_;
    mutable QHash<QString, QString> moduleCache_;
};

} // namespace

QStringList layerViolations(const QDir& root, const QDir& qtHeaders)
{
    return Checker(root, qtHeaders).run();
}

} // namespace dialoon
