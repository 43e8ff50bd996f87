// The session's idle inhibitors, followed on the session bus: GNOME's session manager and KDE's power
// management. Every question is asked without waiting for its answer.
#include "platform/x11/FilmWatch.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
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
    bus.connect(kGnomeService, kGnomePath, kGnomeService, QStringLiteral("InhibitorAdded"), this,
                SLOT(askGnome()));
    bus.connect(kGnomeService, kGnomePath, kGnomeService, QStringLiteral("InhibitorRemoved"), this,
                SLOT(askGnome()));
    // How GNOME's session manager tells of an inhibitor that keeps the session from idling.
    bus.connect(kGnomeService, kGnomePath, kProperties, QStringLiteral("PropertiesChanged"), this,
                SLOT(gnomePropertiesChanged(QString, QVariantMap)));
    bus.connect(kKdeService, kKdePath, kKdeInterface, QStringLiteral("HasInhibitChanged"), this,
                SLOT(kdeInhibitChanged(bool)));
    askGnome();
    askKde();
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
    whenAnswered(QDBusConnection::sessionBus().asyncCall(get), [this](const QVariant& value) {
        const QVariant actions = value.value<QDBusVariant>().variant();
        set(gnome_, (actions.toUInt() & kIdleInhibited) != 0);
    });
}

void FilmWatch::askKde()
{
    const QDBusMessage ask =
        QDBusMessage::createMethodCall(kKdeService, kKdePath, kKdeInterface, QStringLiteral("HasInhibit"));
    whenAnswered(QDBusConnection::sessionBus().asyncCall(ask),
                 [this](const QVariant& value) { set(kde_, value.toBool()); });
}

void FilmWatch::whenAnswered(const QDBusPendingCall& call, std::function<void(const QVariant&)> answered)
{
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, answered = std::move(answered)] {
        watcher->deleteLater();
        // No such service on this desktop, or it failed: nothing is known of a film.
        const QDBusMessage reply = watcher->reply();
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            answered(reply.arguments().constFirst());
    });
}

void FilmWatch::set(bool& which, bool now)
{
    const bool before = active();
    which = now;
    if (active() != before && onChange_) onChange_(active());
}

} // namespace dialoon
