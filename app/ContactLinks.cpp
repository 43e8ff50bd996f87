#include "app/ContactLinks.h"

#include "base/BuildInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>

namespace dialoon::ContactLinks {

QString webPage(const QString& homePage, const QStringList& guideCandidates)
{
    if (!homePage.isEmpty()) return homePage;
    if (guideCandidates.isEmpty()) return {};
    const auto found = std::find_if(guideCandidates.begin(), guideCandidates.end(),
                                    [](const QString& candidate) { return QFileInfo(candidate).isFile(); });
    const QString& guide = found != guideCandidates.end() ? *found : guideCandidates.first();
    return QUrl::fromLocalFile(QFileInfo(guide).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

QString email(const QString& address)
{
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(address);
    url.setQuery(QUrlQuery{{QStringLiteral("subject"), QString::fromLatin1(BuildInfo::kTitle)}});
    return url.toString(QUrl::FullyEncoded);
}

QStringList guideCandidates(const QString& executablePath)
{
    QStringList candidates{QDir::cleanPath(QFileInfo(executablePath).absolutePath() + u'/' +
                                           QString::fromUtf8(BuildInfo::kGuideFromExecutable))};
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
