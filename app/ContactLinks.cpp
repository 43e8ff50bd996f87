// The addresses behind the Website and E-mail menu items.
#include "app/ContactLinks.h"

#include "base/BuildInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>

namespace dialoon::ContactLinks {

QString webPage(const QString& homePage, const QStringList& guideCandidates)
{
    if (!homePage.isEmpty()) return homePage;
    if (guideCandidates.isEmpty()) return {};
    QString guide = guideCandidates.first();
    for (const QString& candidate : guideCandidates)
        if (QFileInfo(candidate).isFile()) {
            guide = candidate;
            break;
        }
    return QUrl::fromLocalFile(QFileInfo(guide).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

QString email(const QString& address)
{
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(address);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), QString::fromLatin1(BuildInfo::kTitle));
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}

QStringList guideCandidates(const QString& executablePath)
{
    QStringList candidates;
    const QString executableDir = QFileInfo(executablePath).absolutePath();
    candidates << QDir::cleanPath(executableDir + u'/' + QString::fromUtf8(BuildInfo::kGuideFromExecutable));
    const QString source = QString::fromUtf8(BuildInfo::kGuideInSource);
    if (!source.isEmpty()) candidates << source;
    return candidates;
}

QString webPage(const QString& executablePath)
{
    return webPage(QString::fromUtf8(BuildInfo::kHomePage), guideCandidates(executablePath));
}

QString email()
{
    return email(QString::fromUtf8(BuildInfo::kContactAddress));
}

} // namespace dialoon::ContactLinks
