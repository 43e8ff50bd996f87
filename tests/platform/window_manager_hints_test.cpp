// What the program asks of the window manager, and learns from it, on a real X server: a window kept off
// the taskbar says so before it is mapped, and opacity counts as shown only while a compositing manager
// holds the screen's selection.
#include "platform/x11/WindowManagerHints.h"

#include <QGuiApplication>
#include <QTest>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

using namespace dialoon;

namespace {

xcb_connection_t* connection()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(const char* name)
{
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply{
        xcb_intern_atom_reply(
            connection(), xcb_intern_atom(connection(), 0, std::uint16_t(std::strlen(name)), name), nullptr),
        &std::free};
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

class WindowManagerHintsTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb") || !connection())
            QSKIP("needs an X server");
    }

    void aWindowKeptOffTheTaskbarSaysSo()
    {
        QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        window.resize(40, 40);
        keepOffTaskbar(&window);
        const auto id = static_cast<xcb_window_t>(window.winId());
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply{
            xcb_get_property_reply(
                connection(),
                xcb_get_property(connection(), 0, id, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 16), nullptr),
            &std::free};
        QVERIFY(reply);
        const auto* states = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        const QList<xcb_atom_t> found(states, states + xcb_get_property_value_length(reply.get()) / 4);
        QVERIFY(found.contains(atom("_NET_WM_STATE_SKIP_TASKBAR")));
        QVERIFY(found.contains(atom("_NET_WM_STATE_SKIP_PAGER")));
    }

    // The test's own window stands in for a compositing manager by taking its selection.
    void opacityShowsOnlyWithACompositingManager()
    {
        const xcb_atom_t selection = atom("_NET_WM_CM_S0");
        std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> before{
            xcb_get_selection_owner_reply(connection(), xcb_get_selection_owner(connection(), selection),
                                          nullptr),
            &std::free};
        if (before && before->owner != XCB_WINDOW_NONE) QSKIP("a compositing manager runs on this display");
        QVERIFY(!windowsBlend());

        QWidget manager;
        const auto id = static_cast<xcb_window_t>(manager.winId());
        xcb_set_selection_owner(connection(), id, selection, XCB_CURRENT_TIME);
        QVERIFY(windowsBlend());

        xcb_set_selection_owner(connection(), XCB_WINDOW_NONE, selection, XCB_CURRENT_TIME);
        QVERIFY(!windowsBlend());
    }
};

QTEST_MAIN(WindowManagerHintsTest)
#include "window_manager_hints_test.moc"
