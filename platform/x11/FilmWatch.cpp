#include "platform/x11/FilmWatch.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QTimer>

namespace dialoon {
namespace {

const QString kGnomeService = QStringLiteral("org.gnome.SessionManager");
const QString kGnomePath = QStringLiteral("/org/gnome/SessionManager");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kKdeService = QStringLiteral("org.freedesktop.PowerManagement");
const QString kKdePath = QStringLiteral("/org/freedesktop/PowerManagement/Inhibit");
const QString kKdeInterface = QStringLiteral("org.freedesktop.PowerManagement.Inhibit");

} // namespace

FilmWatch::FilmWatch(std::function<void(bool)> onChange) : onChange_(std::move(onChange))
{
    // The session bus is reached once the strip's first frame is out: the first sentence is seconds away.
    QTimer::singleShot(kFirstQuestionDelayMs, this, &FilmWatch::listen);
}

void FilmWatch::listen()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    // Connected before asking, so that no change between the question and the signal is missed. The bus
    // forgets the watch's signals when the watch goes.
    for (const QString& name : {QStringLiteral("InhibitorAdded"), QStringLiteral("InhibitorRemoved")})
        bus.connect(kGnomeService, kGnomePath, kGnomeService, name, this, SLOT(askGnome()));
    // How GNOME's session manager tells of an inhibitor that keeps the session from idling.
    bus.connect(kGnomeService, kGnomePath, kProperties, QStringLiteral("PropertiesChanged"), this,
                SLOT(gnomePropertiesChanged(QString, QVariantMap)));
    bus.connect(kKdeService, kKdePath, kKdeInterface, QStringLiteral("HasInhibitChanged"), this,
                SLOT(kdeInhibitChanged(bool)));
    // Every question is asked without waiting for its answer; where there is no such service, or it
    // fails, no answer comes, and nothing is known of a film.
    askGnome();
    bus.callWithCallback(
        QDBusMessage::createMethodCall(kKdeService, kKdePath, kKdeInterface, QStringLiteral("HasInhibit")),
        this, SLOT(kdeInhibitChanged(bool)), nullptr);
}

void FilmWatch::gnomePropertiesChanged(const QString&, const QVariantMap& changed)
{
    const auto actions = changed.constFind(QStringLiteral("InhibitedActions"));
    if (actions != changed.constEnd()) set(gnome_, (actions->toUInt() & kIdleInhibited) != 0);
}

void FilmWatch::kdeInhibitChanged(bool inhibited)
{
    set(kde_, inhibited);
}

void FilmWatch::askGnome()
{
    // Which actions the session's inhibitors hold back, all of them together.
    QDBusMessage get =
        QDBusMessage::createMethodCall(kGnomeService, kGnomePath, kProperties, QStringLiteral("Get"));
    get << kGnomeService << QStringLiteral("InhibitedActions");
    QDBusConnection::sessionBus().callWithCallback(get, this, SLOT(gnomeAnswered(QDBusVariant)), nullptr);
}

void FilmWatch::gnomeAnswered(const QDBusVariant& actions)
{
    set(gnome_, (actions.variant().toUInt() & kIdleInhibited) != 0);
}

void FilmWatch::set(bool& which, bool now)
{
    const bool before = active();
    which = now;
    if (active() != before && onChange_) onChange_(active());
}

} // namespace dialoon
