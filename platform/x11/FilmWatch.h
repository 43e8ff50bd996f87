// Follows whether the desktop session is kept awake for a film or a presentation. A video player, a
// browser playing a video or a presentation program asks the session not to go idle while it plays;
// that request is the one sign a desktop gives of a film shown in another program's window, fullscreen
// or not (a Wayland desktop tells no other program which window is fullscreen). On GNOME the session
// manager counts these requests (its idle inhibitors); on KDE Plasma the power management does. The
// watch follows their signals on the session bus; it never polls and never inhibits anything itself.
// Where neither service runs, no film is ever seen.
#pragma once

#include <QObject>
#include <QVariantMap>

#include <functional>

class QDBusVariant;

namespace dialoon {

class FilmWatch : public QObject
{
    Q_OBJECT
public:
    // onChange hears every change, once the session's answer to the first question has come.
    explicit FilmWatch(std::function<void(bool)> onChange);

    bool active() const { return gnome_ || kde_; }

    // The session manager's flag for requests that the session not go idle.
    static constexpr unsigned kIdleInhibited = 8;
    static constexpr int kFirstQuestionDelayMs = 500;

private slots:
    // Called by the session bus, with a signal's first arguments or with an answer.
    void askGnome();
    void gnomeAnswered(const QDBusVariant& actions);
    void gnomePropertiesChanged(const QString& interface, const QVariantMap& changed);
    void kdeInhibitChanged(bool inhibited);

private:
    void listen();
    void set(bool& which, bool now);

    std::function<void(bool)> onChange_;
    bool gnome_ = false;
    bool kde_ = false;
};

} // namespace dialoon
