// The layers, checked over the build's own targets. Each header belongs to the target whose sources lie
// in its folder; a file of a target may include headers of its own target and of every target its target
// reaches through its links, and of no other. A target that links one of the project's targets but
// includes nothing of it is named too, so that the links say what the layers use. The engine is QtCore
// only: no header it reaches, directly or through the project's own headers, may belong to QtGui or
// QtWidgets.
#include "LayerRules.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <functional>

namespace dialoon {
namespace {

const QStringList kGuiModules = {QStringLiteral("QtGui"), QStringLiteral("QtWidgets"),
                                 QStringLiteral("QtSvg"), QStringLiteral("QtSvgWidgets"),
                                 QStringLiteral("QtOpenGL")};

struct Include
{
    QString name;
    bool project; // "..." rather than <...>
};

QString folderOf(const QString& path)
{
    return QFileInfo(path).path();
}

QList<Include> includesOf(const QString& filePath)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])"),
                                            QRegularExpression::MultilineOption);
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) return {};
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
    Checker(const QDir& root, const QList<LayerTarget>& targets, const QDir& qtHeaders)
        : root_(root), targets_(targets), qtHeaders_(qtHeaders)
    {
        for (const LayerTarget& target : targets_)
            for (const QString& file : target.files)
                if (!ownerOfFolder_.contains(folderOf(file)))
                    ownerOfFolder_.insert(folderOf(file), target.name);
    }

    QStringList run()
    {
        for (const LayerTarget& target : targets_) {
            const QSet<QString> reach = reachOf(target.name);
            QSet<QString> used;
            QStringList files = target.files;
            files.sort();
            for (const QString& file : files) {
                checkIncludes(file, target.name, reach, used);
                if (folderOf(file) == QLatin1String("engine")) checkCoreOnly(file);
            }
            for (const QString& link : target.links)
                if (!target.files.isEmpty() && isTargetWithFiles(link) && !used.contains(link))
                    violations_ << QStringLiteral("%1 links %2 but includes none of its headers")
                                       .arg(target.name, link);
        }
        return violations_;
    }

private:
    const LayerTarget* find(const QString& name) const
    {
        for (const LayerTarget& target : targets_)
            if (target.name == name) return &target;
        return nullptr;
    }

    bool isTargetWithFiles(const QString& name) const
    {
        const LayerTarget* target = find(name);
        return target && !target->files.isEmpty();
    }

    // The target and every target it reaches through its links.
    QSet<QString> reachOf(const QString& name) const
    {
        QSet<QString> reach;
        const std::function<void(const QString&)> visit = [&](const QString& at) {
            if (reach.contains(at)) return;
            reach.insert(at);
            if (const LayerTarget* target = find(at))
                for (const QString& link : target->links)
                    visit(link);
        };
        visit(name);
        return reach;
    }

    void checkIncludes(const QString& file, const QString& target, const QSet<QString>& reach,
                       QSet<QString>& used)
    {
        for (const Include& include : includesOf(root_.filePath(file))) {
            if (!include.project || !include.name.contains(u'/')) continue;
            const QString owner = ownerOfFolder_.value(folderOf(include.name));
            if (owner.isEmpty()) continue;
            used.insert(owner);
            if (!reach.contains(owner))
                violations_ << QStringLiteral("%1 includes %2: %3 is not among the targets %4 links")
                                   .arg(file, include.name, owner, target);
        }
    }

    // The module of a Qt header such as <QColor> or <QtGui/QColor>, or an empty text for other headers.
    QString qtModuleOf(const QString& header) const
    {
        if (header.contains(u'/')) {
            const QString module = header.section(u'/', 0, 0);
            return module.startsWith(QLatin1String("Qt")) ? module : QString();
        }
        if (!header.startsWith(u'Q')) return {};
        const auto cached = moduleCache_.constFind(header);
        if (cached != moduleCache_.constEnd()) return *cached;
        QString found;
        for (const QString& module : qtHeaders_.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (QFileInfo::exists(qtHeaders_.filePath(module + u'/' + header))) {
                found = module;
                if (module == QLatin1String("QtCore")) break;
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
            if (seen.contains(path)) return;
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
    QList<LayerTarget> targets_;
    QDir qtHeaders_;
    QHash<QString, QString> ownerOfFolder_;
    QStringList violations_;
    mutable QHash<QString, QString> moduleCache_;
};

} // namespace

QList<LayerTarget> readLayerTargets(const QString& path, const QDir& root)
{
    QList<LayerTarget> targets;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return targets;
    const QString rootPath = QFileInfo(root.path()).canonicalFilePath() + u'/';
    // A header listed by an interface library shows among the sources of every target that links it: it
    // belongs to the first target that lists it, the targets coming bottom up.
    QSet<QString> claimed;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(u'|');
        if (fields.size() != 4) continue;
        LayerTarget target{fields[0], {}, fields[3].split(u';', Qt::SkipEmptyParts)};
        const QDir folder(fields[1]);
        for (const QString& source : fields[2].split(u';', Qt::SkipEmptyParts)) {
            const QString absolute = QFileInfo(folder.filePath(source)).canonicalFilePath();
            const QString relative = absolute.mid(rootPath.size());
            if (absolute.startsWith(rootPath) && !claimed.contains(relative)) {
                target.files << relative;
                claimed.insert(relative);
            }
        }
        targets << target;
    }
    return targets;
}

QStringList layerViolations(const QDir& root, const QList<LayerTarget>& targets, const QDir& qtHeaders)
{
    return Checker(root, targets, qtHeaders).run();
}

} // namespace dialoon
