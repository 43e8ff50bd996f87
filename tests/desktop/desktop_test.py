#!/usr/bin/python3
"""Dialoon on real desktops, driven and watched from outside: GNOME Shell and KDE Plasma's KWin on
Wayland (headless), each with the program on XWayland beside a native GTK 4 window, then mutter managing
an Xvfb server beside an X11 window. Each desktop runs on buses and in folders of its own; whatever the
test starts it ends.

    /usr/bin/python3 tests/desktop/desktop_test.py BUILD/dialoon BUILD/tests/platform/fullscreen_window \
        BUILD/tests/desktop/kwin_pointer

Each desktop is a table of steps: an action, then a condition that has to come true within some seconds
and, for some steps, stay true for some seconds more; both Wayland desktops take the same table. Started
with --window this file is the GTK window, with --service-manager a stand-in for the user's service
manager, with --power-manager one for Plasma's power management.
"""
import ctypes
import itertools
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

try:
    import gi
    gi.require_version("GdkPixbuf", "2.0")
    from gi.repository import GdkPixbuf, Gio, GLib
except (ImportError, ValueError):
    sys.exit("missing: GObject for Debian's /usr/bin/python3 (python3-gi, gir1.2-gdkpixbuf-2.0); "
             "`bash scripts/setup.sh test` installs it\n0 passed, 1 failed")

FILM = "A film"  # the other program's window, on every desktop
FILM_RGB = (0x2E, 0x7D, 0x32)  # the colour of the GTK window
ROLLED_UP = 2  # the tallest a rolled-up strip may be, in pixels
IDLE = 8  # org.gnome.SessionManager's inhibit flag for idleness
ANSWER = ('<interface name="org.dialoon.Test"><method name="Answer"><arg type="s" direction="in"/></method>'
          '</interface>')  # how a KWin script hands the test its answer
SETTINGS = ("[German]\nce=1\nn=2\nctime=3\netime=5\nrd=1\npsave=1\nssave=1\nvisi={visi}\nvoice=1\nguage=2\n"
            "guagen=10205\nred=0\nmark=0\nxxx=1\nleft=3000\nsspeed=150\n")
BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>{kind}</type><listen>unix:path={path}</listen><auth>EXTERNAL</auth>
  <policy context="default"><allow user="*"/><allow own="*"/><allow send_destination="*"/><allow receive_sender="*"/></policy>
</busconfig>
"""
NEEDED = {  # program: the Debian package that brings it
    "dbus-daemon": "dbus-daemon", "gnome-shell": "gnome-shell", "Xwayland": "xwayland",
    "/usr/libexec/gnome-session-binary": "gnome-session-bin", "mutter": "mutter", "Xvfb": "xvfb",
    "xdotool": "xdotool", "xwininfo": "x11-utils", "xprop": "x11-utils", "/usr/bin/kwin_wayland": "kwin-wayland",
}


class HarnessError(Exception):
    """The desktop could not be set up or read: no finding about Dialoon."""


def wait_for(condition, seconds, interval=0.05):
    """Polls until the condition answers something true or the seconds are up; gives its last answer."""
    deadline = time.monotonic() + seconds
    while True:
        answer = condition()
        if answer or time.monotonic() >= deadline:
            return answer
        time.sleep(interval)


class Lab:
    """One desktop: its folders, environment, buses and processes, and the program's windows on it."""

    def __init__(self, name):
        self.root = tempfile.mkdtemp(prefix=f"dialoon-{name}-")
        self.children, self.program, self.xdisplays = [], None, ()
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"), "LANG": "C.UTF-8", "HOME": self.path("home"),
            "XDG_CONFIG_HOME": self.path("home/.config"), "XDG_RUNTIME_DIR": self.path("run"),
            "XDG_DATA_DIRS": f"{self.path('share')}:/usr/share", "GSETTINGS_BACKEND": "memory",
            "NO_AT_BRIDGE": "1", "GTK_A11Y": "none",
            **{name: value for name, value in os.environ.items() if name.endswith("SAN_OPTIONS")},  # scripts/sanitize.sh
        }
        os.mkdir(self.path("run"), 0o700)

    def path(self, name):
        return os.path.join(self.root, name)

    def write(self, name, text):
        os.makedirs(os.path.dirname(self.path(name)), exist_ok=True)
        with open(self.path(name), "w") as f:
            f.write(text)

    def log(self, name):
        with open(self.path(f"{name}.log"), errors="replace") as f:
            return f.read()

    def run(self, *argv):
        return subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=10).stdout

    def spawn(self, name, argv, extra_env=None, talk=False, pass_fds=()):
        """Starts a process in a process group of its own; with talk, we hold its stdin and stdout."""
        with open(self.path(f"{name}.log"), "wb") as log:
            child = subprocess.Popen(argv, env={**self.env, **(extra_env or {})}, stderr=log, pass_fds=pass_fds,
                                     stdin=subprocess.PIPE if talk else subprocess.DEVNULL,
                                     stdout=subprocess.PIPE if talk else log, start_new_session=True)
        self.children.append(child)
        return child

    def start_buses(self):
        for kind in ("system", "session"):
            socket = self.path(f"{kind}.bus")
            self.write(f"{kind}.conf", BUS_CONFIG.format(kind=kind, path=socket))
            self.spawn(f"{kind}-bus", ["dbus-daemon", "--nofork", f"--config-file={self.path(kind + '.conf')}"])
            if not wait_for(lambda: os.path.exists(socket), 5):
                raise HarnessError(f"the {kind} bus did not start")
            self.env[f"DBUS_{kind.upper()}_BUS_ADDRESS"] = f"unix:path={socket}"
        self.bus = Gio.DBusConnection.new_for_address_sync(
            self.env["DBUS_SESSION_BUS_ADDRESS"],
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)

    def call(self, name, path, method, args=None, reply=None, interface=None):
        return self.bus.call_sync(name, path, interface or name, method, args,
                                  GLib.VariantType(reply) if reply else None, Gio.DBusCallFlags.NONE, 5000).unpack()

    def start_program(self, dialoon, visi):
        self.write("home/.config/Tavo.ini", SETTINGS.format(visi=visi))
        self.program = self.spawn("dialoon", [dialoon])

    def program_windows(self):
        """The program's shown top-level windows: {title: (x, y, width, height)}."""
        shown = {}
        for _ in range(5):  # xdotool gives up when a window it looks at goes meanwhile (a tooltip, say)
            search = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.program.pid)],
                                    env=self.env, capture_output=True, text=True, timeout=10)
            if "BadWindow" not in search.stderr:
                break
        for window in search.stdout.split():
            m = re.search(r'Window id: \S+ "(.*)"\n.*Absolute upper-left X:\s+(-?\d+).*Absolute upper-left Y:\s+(-?\d+)'
                          r".*Width:\s+(\d+).*Height:\s+(\d+).*Map State: IsViewable",
                          self.run("xwininfo", "-id", window), re.S)
            if m:
                shown[m.group(1)] = tuple(map(int, m.groups()[1:]))
        return shown

    def strip(self):
        return self.program_windows().get("Form1")

    def speaking(self):
        return "PeedyBalloon" in self.program_windows()

    def observe(self):
        if self.program and self.program.poll() is not None:
            return f"the program has ended with status {self.program.returncode}: {self.log('dialoon')[-500:]}"
        return f"program's windows {self.program_windows()}; {self.stacking_seen()}"

    def close(self):
        """Ends the processes, newest first: each politely, then its whole group, then any orphan."""
        for child in reversed(self.children):
            if child.poll() is None:
                child.terminate()
                try:
                    child.wait(3)
                except subprocess.TimeoutExpired:
                    pass
            try:
                os.killpg(child.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            child.wait()
        for pid in os.listdir("/proc"):  # this process is a subreaper: what the children left is ours now
            try:
                with open(f"/proc/{pid}/stat") as f:
                    if int(f.read().rsplit(")", 1)[1].split()[1]) == os.getpid():
                        os.kill(int(pid), signal.SIGKILL)
                        os.waitpid(int(pid), 0)
            except (OSError, IndexError, ValueError):
                pass
        shutil.rmtree(self.root, ignore_errors=True)
        for n in self.xdisplays:  # an XWayland that went down hard leaves its lock and socket behind
            try:
                with open(f"/tmp/.X{n}-lock") as f:
                    os.kill(int(f.read()), 0)
            except ProcessLookupError:
                for leftover in (f"/tmp/.X{n}-lock", f"/tmp/.X11-unix/X{n}"):
                    if os.path.exists(leftover):
                        os.unlink(leftover)
            except (OSError, ValueError):
                pass


class WaylandLab(Lab):
    """A Wayland desktop: the program on XWayland beside a native GTK 4 window, the pointer moved as
    remote-input programs move it. A desktop tells where its pointer is (pointer), moves it
    (move_pointer), reads its windows (film_at, focus, stacking), whether the session is kept from idling
    (idle_inhibited, inhibition_seen) and its screen (screenshot)."""

    def __init__(self, name, desktop):
        super().__init__(name)
        self.env.update(XDG_SESSION_TYPE="wayland", XDG_CURRENT_DESKTOP=desktop, WAYLAND_DISPLAY=f"dialoon-{name}")
        self.before = None  # how the strip stood before the pointer last moved
        self.rects = set()  # wherever a window of the program has been seen

    def start_film(self):
        self.film = self.spawn("window", [sys.executable, __file__, "--window"], {"GDK_BACKEND": "wayland"}, True)
        if self.film.stdout.readline().strip() != b"ok ready" or not wait_for(lambda: self.film_at(self.workarea), 10):
            raise HarnessError("the GTK window did not come up:\n" + self.log("window")[-2000:])
        # On GNOME the first motion of a session moves the compositor's pointer, but no client hears of it;
        # the GTK window counts the motions it is told of.
        x, y, width, height = self.workarea
        for n in range(10):
            heard = self.tell_film("motions")
            self.move_pointer(x + width // 2 + n, y + height // 2)
            if wait_for(lambda: self.tell_film("motions") != heard, 0.5):
                return
        raise HarnessError("the GTK window hears no pointer motion")

    def tell_film(self, command):
        self.film.stdin.write(f"{command}\n".encode())
        self.film.stdin.flush()
        answer = self.film.stdout.readline().decode().split()
        if answer[:2] != ["ok", command]:
            raise HarnessError(f"the GTK window answered {answer} to {command!r}")
        return answer[2:]

    def dialoon_above_film(self):
        order = self.stacking()
        titles = [title for title, _ in order]
        if FILM not in titles:
            raise HarnessError(f"the GTK window is not among {titles}")
        return [title for title, own in order[titles.index(FILM) + 1:] if own]

    def stacking_seen(self):
        return (f"strip before the pointer moved {self.before}; stacking {[t for t, _ in self.stacking()]}; "
                f"focus {self.focus()}; pointer {self.pointer()}; "
                f"XWayland's pointer {self.run('xdotool', 'getmouselocation').strip()}; {self.inhibition_seen()}")

    def note_windows(self):
        self.rects.update(self.program_windows().values())

    def film_covers_program(self):
        """Whether a screenshot shows the GTK window's colour wherever the program's windows have been."""
        pixels, stride, width, height, colour = self.screenshot()
        step = len(colour)
        for x, y, w, h in self.rects:
            left, right = max(x, 0), min(x + w, width)
            for row in range(max(y, 0), min(y + h, height)):
                if pixels[row * stride + left * step:row * stride + right * step] != colour * (right - left):
                    return False
        return True


class Gnome(WaylandLab):
    """GNOME Shell on Wayland with its session manager, a GTK 4 window and the program on XWayland."""

    def __init__(self):
        super().__init__("gnome", "GNOME")

    def start(self):
        self.start_buses()
        # Told that IBus is no unit of the user's service manager, gnome-shell forks ibus-daemon and runs
        # JavaScript between fork and exec, which now and then deadlocks the shell at start.
        manager = self.spawn("service-manager", [sys.executable, __file__, "--service-manager"], talk=True)
        if manager.stdout.readline().strip() != b"ready":
            raise HarnessError("the service manager's stand-in did not start")
        # A session of no components: org.gnome.SessionManager alone, the keeper of inhibitors.
        self.write("share/gnome-session/sessions/dialoon-test.session",
                   "[GNOME Session]\nName=Dialoon test\nRequiredComponents=\n")
        os.mkdir(self.path("autostart"))
        self.write("home/.local/share/gnome-shell/lock-warning-shown", "")  # a notification told once per user
        self.spawn("gnome-session", ["/usr/libexec/gnome-session-binary", "--builtin", "--session=dialoon-test",
                                     "--disable-acceleration-check", f"--autostart={self.path('autostart')}"])
        if not wait_for(lambda: self.call("org.freedesktop.DBus", "/org/freedesktop/DBus", "NameHasOwner",
                                          GLib.Variant("(s)", ("org.gnome.SessionManager",)), "(b)")[0], 10):
            raise HarnessError("gnome-session did not come up:\n" + self.log("gnome-session")[-2000:])
        self.spawn("gnome-shell", ["gnome-shell", "--headless", "--wayland", "--unsafe-mode", "--virtual-monitor",
                                   "1024x768", f"--wayland-display={self.env['WAYLAND_DISPLAY']}"])
        # Up once the top bar has its place; it comes up in the overview, as after logging in, and greets
        # with notifications that stay while the pointer rests on them. Eval answers only in unsafe mode.
        if not wait_for(lambda: self.eval(
                "!Main.layoutManager._startingUp && (Main.overview.hide(), Main.welcomeDialog?.close(),"
                " Main.messageTray.getSources().forEach(s => s.destroy()), !Main.overview.visible) &&"
                " !Main.overview.animationInProgress && !Main.modalCount &&"
                " Main.messageTray._notificationState == imports.ui.messageTray.State.HIDDEN", quietly=True), 30, 0.1):
            raise HarnessError("gnome-shell did not come up clear in unsafe mode:\n" + self.log("gnome-shell")[-2000:])
        display, auth = self.eval("['DISPLAY', 'XAUTHORITY'].map(v => imports.gi.GLib.getenv(v))")
        self.xdisplays = sum(re.findall(r"X11 display :(\d+), \(using :(\d+)", self.log("gnome-shell")), ())
        if not display or not self.xdisplays:
            raise HarnessError("XWayland did not start:\n" + self.log("gnome-shell")[-2000:])
        self.env.update(DISPLAY=display, XAUTHORITY=auth)
        self.workarea = tuple(self.eval("(r => [r.x, r.y, r.width, r.height])(global.workspace_manager"
                                        ".get_active_workspace().get_work_area_for_monitor(0))"))
        self.screen = tuple(self.eval("global.display.get_size()"))
        # The pointer, moved as a remote-desktop client moves it.
        self.pointer_session = self.call("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop",
                                         "CreateSession", None, "(o)")[0]
        self.pointer_call("Start")
        self.start_film()

    def eval(self, code, quietly=False):
        try:
            ok, text = self.call("org.gnome.Shell", "/org/gnome/Shell", "Eval", GLib.Variant("(s)", (code,)), "(bs)")
            if ok:
                return json.loads(text) if text else None
        except GLib.Error as e:
            ok, text = False, e.message
        if not quietly:
            raise HarnessError(f"Eval failed: {text}\n  {code}")

    def film_at(self, rect):
        return self.eval(f"global.display.list_all_windows().some(w => w.get_title() == {json.dumps(FILM)} && "
                         f"(r => [r.x, r.y, r.width, r.height])(w.get_frame_rect()).join() == '{','.join(map(str, rect))}')")

    def focus(self):
        return self.eval("global.display.focus_window?.get_title()")

    def stacking(self):
        """The shown windows, bottom to top as the compositor stacks them: [title, whether the program's]."""
        return self.eval("global.display.sort_windows_by_stacking(global.display.list_all_windows())"
                         ".filter(w => !w.minimized && w.get_compositor_private()?.visible)"
                         f".map(w => [w.get_title(), w.get_pid() == {self.program.pid}])")

    def idle_inhibited(self):
        return self.call("org.gnome.SessionManager", "/org/gnome/SessionManager", "IsInhibited",
                         GLib.Variant("(u)", (IDLE,)), "(b)")[0]

    def inhibition_seen(self):
        return "InhibitedActions " + str(self.call(
            "org.gnome.SessionManager", "/org/gnome/SessionManager", "Get",
            GLib.Variant("(ss)", ("org.gnome.SessionManager", "InhibitedActions")), "(v)",
            "org.freedesktop.DBus.Properties")[0])

    def screenshot(self):
        shot = self.path("screen.png")
        self.call("org.gnome.Shell", "/org/gnome/Shell/Screenshot", "Screenshot",
                  GLib.Variant("(bbs)", (False, False, shot)), "(bs)", "org.gnome.Shell.Screenshot")
        image = GdkPixbuf.Pixbuf.new_from_file(shot)
        return (image.get_pixels(), image.get_rowstride(), image.get_width(), image.get_height(),
                bytes(FILM_RGB) + b"\xff" * (image.get_n_channels() - 3))

    def pointer_call(self, method, args=None):
        self.call("org.gnome.Mutter.RemoteDesktop", self.pointer_session, method, args,
                  interface="org.gnome.Mutter.RemoteDesktop.Session")

    def pointer(self):
        return tuple(self.eval("global.get_pointer().slice(0, 2)"))

    def move_pointer(self, x, y):
        for _ in range(5):
            at = self.pointer()
            if at == (x, y):
                return
            self.pointer_call("NotifyPointerMotionRelative", GLib.Variant("(dd)", (x - at[0], y - at[1])))
            wait_for(lambda: self.pointer() != at, 0.5, 0.01)
        raise HarnessError(f"the pointer went to {self.pointer()}, not to {(x, y)}")


class Kwin(WaylandLab):
    """KDE Plasma's compositor KWin on Wayland, headless and without Plasma's shell (so without a panel),
    with a stand-in for Plasma's power management, a GTK 4 window and the program on XWayland. KWin is
    read through its scripting interface: each question is a script that KWin runs once and that calls the
    test back with the answer. The pointer is moved, and KWin's idleness asked, by a Wayland client of
    KWin's own interfaces (kwin_pointer)."""

    def __init__(self):
        super().__init__("kwin", "KDE")
        self.answers, self.questions, self.at = [], 0, None

    def start(self, kwin_pointer):
        self.start_buses()
        manager = self.spawn("power-manager", [sys.executable, __file__, "--power-manager"], talk=True)
        if manager.stdout.readline().strip() != b"ready":
            raise HarnessError("the power management's stand-in did not start")
        self.bus.register_object("/answer", Gio.DBusNodeInfo.new_for_xml(f"<node>{ANSWER}</node>").interfaces[0],
                                 lambda *call: (self.answers.append(call[5].unpack()[0]), call[6].return_value(None)))
        # The installed program asks for a file capability (cap_sys_resource), which a container may
        # refuse it; a copy has none. An application KWin starts once XWayland is up learns its display.
        kwin, told = shutil.copy("/usr/bin/kwin_wayland", self.path("kwin_wayland")), self.path("display.log")
        self.spawn("kwin", [kwin, "--virtual", "--xwayland", "--socket", self.env["WAYLAND_DISPLAY"], "--width", "1024",
                            "--height", "768", "--no-lockscreen", "--no-global-shortcuts", "--no-kactivities",
                            f"sh -c 'echo $DISPLAY > {told}'"],
                   {"KWIN_WAYLAND_NO_PERMISSION_CHECKS": "1", "KWIN_SCREENSHOT_NO_PERMISSION_CHECKS": "1"})
        if not wait_for(lambda: os.path.exists(told) and self.log("display").endswith("\n"), 20, 0.1):
            raise HarnessError("KWin did not start XWayland:\n" + self.log("kwin")[-2000:])
        self.env["DISPLAY"] = self.log("display").strip()
        self.xdisplays = [self.env["DISPLAY"].lstrip(":")]
        self.pointer_client = self.spawn("pointer", [kwin_pointer], talk=True)
        if self.pointer_client.stdout.readline().strip() != b"ok":
            raise HarnessError("kwin_pointer did not start:\n" + self.log("pointer")[-500:])
        self.workarea = tuple(self.script("(r => [r.x, r.y, r.width, r.height])(workspace.clientArea("
                                          "KWin.MaximizeArea, workspace.activeScreen, workspace.currentDesktop))"))
        self.screen = (self.script("workspace.displayWidth"), self.script("workspace.displayHeight"))
        self.start_film()

    def script(self, expression):
        """The expression's value, as a KWin script sees it, through JSON."""
        self.questions += 1
        name = f"dialoon-test-{self.questions}"
        self.write("question.js", f"callDBus({json.dumps(self.bus.get_unique_name())}, '/answer', "
                                  f"'org.dialoon.Test', 'Answer', JSON.stringify({expression}));")
        number = self.call("org.kde.KWin", "/Scripting", "loadScript",
                           GLib.Variant("(ss)", (self.path("question.js"), name)), "(i)", "org.kde.kwin.Scripting")[0]
        try:
            self.call("org.kde.KWin", f"/{number}", "run", interface="org.kde.kwin.Script")
            if not wait_for(lambda: (GLib.MainContext.default().iteration(False), self.answers)[1], 2, 0.002):
                raise HarnessError(f"KWin's script gave no answer to {expression}:\n{self.log('kwin')[-1000:]}")
        finally:
            self.call("org.kde.KWin", "/Scripting", "unloadScript", GLib.Variant("(s)", (name,)), "(b)",
                      "org.kde.kwin.Scripting")
        return json.loads(self.answers.pop())

    def shown(self, method):
        """The value of an array method called on the windows KWin manages and shows."""
        return self.script(f"workspace.clientList().filter(w => !w.minimized && !w.hidden).{method}")

    def film_at(self, rect):
        return self.shown(f"some(w => w.caption == {json.dumps(FILM)} && (r => [r.x, r.y, r.width, r.height])"
                          f"(w.frameGeometry).join() == '{','.join(map(str, rect))}')")

    def focus(self):
        return self.script("workspace.activeClient && workspace.activeClient.caption")

    def stacking(self):
        """The shown windows that KWin manages, bottom to top: [title, whether the program's]. The windows
        that bypass the window manager (the balloon, menus) are not among them: KWin stacks them above all."""
        return self.shown(f"sort((a, b) => a.stackingOrder - b.stackingOrder)"
                          f".map(w => [w.caption, w.pid == {self.program.pid}])")

    def stacking_seen(self):
        hidden = self.script("workspace.clientList().filter(w => w.hidden).map(w => w.caption)")
        return f"{super().stacking_seen()}; hidden by KWin {hidden}"

    def has_inhibit(self):
        return self.call("org.freedesktop.PowerManagement", "/org/freedesktop/PowerManagement/Inhibit",
                         "HasInhibit", None, "(b)", "org.freedesktop.PowerManagement.Inhibit")[0]

    def idle_inhibited(self):
        """Whether the power management holds an inhibition and KWin keeps the session from idling, if they
        agree."""
        told, awake = self.has_inhibit(), self.tell_pointer("idle 300") == ["awake"]
        return told if told == awake else None

    def inhibition_seen(self):
        return f"power management's HasInhibit {self.has_inhibit()}"

    def screenshot(self):
        """The screen as KWin shows it: 32-bit pixels, blue first."""
        read, write = os.pipe()
        fds = Gio.UnixFDList()
        fds.append(write)  # a copy
        os.close(write)
        info = self.bus.call_with_unix_fd_list_sync(
            "org.kde.KWin.ScreenShot2", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureArea",
            GLib.Variant("(iiuua{sv}h)", (0, 0, *self.screen, {}, 0)), GLib.VariantType("(a{sv})"),
            Gio.DBusCallFlags.NONE, 5000, fds)[0].unpack()[0]
        del fds  # KWin's copy alone is left to write to
        with os.fdopen(read, "rb") as pipe:
            pixels = pipe.read()
        return pixels, info["stride"], info["width"], info["height"], bytes(reversed(FILM_RGB)) + b"\xff"

    def tell_pointer(self, command):
        self.pointer_client.stdin.write(f"{command}\n".encode())
        self.pointer_client.stdin.flush()
        answer = self.pointer_client.stdout.readline().decode().split()
        if answer[:1] != ["ok"]:
            raise HarnessError(f"kwin_pointer answered {answer} to {command!r}:\n{self.log('pointer')[-500:]}")
        return answer[1:]

    def pointer(self):
        return tuple(self.script("[workspace.cursorPos.x, workspace.cursorPos.y]"))

    def move_pointer(self, x, y):
        """Moves the pointer by so much, as a mouse does: placed, it would stay over an X11 window for XWayland
        once it had moved over it (see kwin_pointer.cpp)."""
        at = self.at or self.pointer()
        self.tell_pointer(f"by {x - at[0]} {y - at[1]}")
        self.at = self.pointer()  # nothing else moves it
        if self.at != (x, y):
            raise HarnessError(f"the pointer went to {self.at}, not to {(x, y)}")


ROUNDS = 20  # rolling up and unrolling in a row: a fault of one in ten fails them


def glide(lab, to, step=6, pause=0.008):
    """Moves the pointer as a hand moves it slowly: a few pixels at a time, each heard before the next."""
    x, y = lab.pointer()
    count = max(abs(to[0] - x), abs(to[1] - y)) // step + 1
    for n in range(1, count + 1):
        lab.move_pointer(x + (to[0] - x) * n // count, y + (to[1] - y) * n // count)
        time.sleep(pause)


def rounds(lab, seen, top, film_middle, rolled_up, unrolled):
    """The steps that roll the strip up and unroll it ROUNDS times, the pointer moved by turns in one
    jump, slowly, and along the top edge of the screen (through the top bar where there is one, else past
    the strip's end): the strip has to follow wherever the pointer goes, however it went there."""
    def strip_middle():
        return seen["strip"][0] + seen["strip"][2] // 2

    def edge():  # a place off the strip at the top of the screen
        x, y, width, height = seen["strip"]
        return (strip_middle(), top // 2) if top >= 8 else (x + width + 40, y + height // 2)

    def line():
        return (strip_middle(), top)

    def travel(way, place):
        def action():
            lab.before = lab.strip()
            if way == "slowly":
                glide(lab, place())
            elif way == "along the top edge":
                lab.move_pointer(*edge())
                time.sleep(0.1)
                glide(lab, place(), step=20)
            else:
                lab.move_pointer(*place())
        return action

    steps = []
    for n in range(ROUNDS):
        way = ("in one jump", "slowly", "along the top edge")[n % 3]
        steps += [(f"round {n + 1}, {way}: pointer away onto the other window, the strip rolls up",
                   travel(way, lambda: film_middle), rolled_up, 1.5, 0),
                  (f"round {n + 1}, {way}: pointer onto the line at the top of the work area, the strip unrolls",
                   travel(way, line), unrolled, 1, 0)]
    return steps


def wayland_steps(lab, dialoon):
    x, top, width, height = lab.workarea
    film_middle = (x + width // 2, top + height // 2)
    seen = {}

    def strip_at_top():
        strip = lab.strip()
        if strip and strip[1] == top and strip[3] > 2 * ROLLED_UP:
            seen["strip"] = strip
            lab.note_windows()
        return "strip" in seen

    def pointer_to(place):
        """Moves the pointer, noting how the strip stood before: rolling up and unrolling are changes."""
        def action():
            lab.before = lab.strip()
            lab.move_pointer(*place())
        return action

    middle = lambda: seen["strip"][0] + seen["strip"][2] // 2  # noqa: E731
    on_strip = pointer_to(lambda: (middle(), seen["strip"][1] + seen["strip"][3] // 2))
    on_line = pointer_to(lambda: (middle(), top))
    on_film = pointer_to(lambda: film_middle)

    def rolled_up():
        strip = lab.strip()
        return lab.before == seen["strip"] and bool(strip) and strip[3] <= ROLLED_UP

    def unrolled():
        return bool(lab.before) and lab.before[3] <= ROLLED_UP and lab.strip() == seen["strip"]

    def peedy_above():
        lab.note_windows()
        return "Peedy" in lab.program_windows() and "Peedy" in lab.dialoon_above_film()

    def speaks():
        if lab.speaking():
            lab.note_windows()
            seen["spoke"] = True
        return seen.get("spoke")

    def menu_open():
        # The menu is the program's one tall window besides Peedy (a tooltip is one line high).
        return any(h > 100 and title != "Peedy" for title, (_, _, _, h) in lab.program_windows().items())

    def open_menu():
        # Along the strip, as a hand goes: KWin now and then takes the pointer off the strip as it unrolls
        # under a pointer at rest, and puts it back with the next motion.
        on_line()
        wait_for(unrolled, 1)
        glide(lab, (seen["strip"][0] + 462, top + 8))

    def film(state, inhibitor):
        lab.move_pointer(*film_middle)
        lab.tell_film(state)
        lab.tell_film(inhibitor)
        size = (0, 0, *lab.screen) if state == "fullscreen" else lab.workarea
        if not wait_for(lambda: lab.film_at(size) and lab.focus() == FILM, 5):
            raise HarnessError(f"the GTK window did not go {state} with the focus")
        if not wait_for(lambda: lab.idle_inhibited() == (inhibitor == "inhibit"), 2):
            raise HarnessError(f"the session did not hear of the {inhibitor}: {lab.inhibition_seen()}")
        seen.pop("spoke", None)

    return [
        # (what, action, condition, within seconds, then held for seconds)
        ("start: the strip stands at the top of the work area, full height",
         lambda: lab.start_program(dialoon, visi=1), strip_at_top, 10, 0),
        ("pointer onto the strip, resting there through the welcome: the strip stays unrolled",
         on_strip, lambda: lab.strip() == seen["strip"], 1, 5),
        *rounds(lab, seen, top, film_middle, rolled_up, unrolled),
        ("Peedy speaks", lambda: None, speaks, 12, 0),
        ("Peedy stands above the GTK window", lambda: None, peedy_above, 1, 0),
        ("the GTK window goes fullscreen and keeps the session from idling: Peedy keeps quiet, "
         "nothing of Dialoon is above it or shows on the screen", lambda: film("fullscreen", "inhibit"),
         lambda: not lab.speaking() and not lab.dialoon_above_film() and lab.film_covers_program(), 2, 20),
        ("the GTK window is back to normal and lets go: Peedy speaks again, the strip is above it",
         lambda: film("unfullscreen", "uninhibit"), lambda: speaks() and "Form1" in lab.dialoon_above_film(), 12, 0),
        ("pointer onto the line, then over the menu picture: the menu opens", open_menu, menu_open, 2, 0),
        ("pointer away onto the GTK window, to click it: the menu closes", on_film, lambda: not menu_open(), 1, 0),
    ]


class MutterX11(Lab):
    """mutter as the window manager of an Xvfb server, an X11 window and the program."""

    def __init__(self):
        super().__init__("mutter")
        self.env.update(XDG_SESSION_TYPE="x11", XDG_CURRENT_DESKTOP="GNOME")

    def start(self, fullscreen_window):
        self.start_buses()
        read, write = os.pipe()
        self.spawn("xvfb", ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                   pass_fds=(write,))
        os.close(write)
        with os.fdopen(read) as number:
            self.env["DISPLAY"] = ":" + number.readline().strip()
        self.spawn("mutter", ["mutter", "--x11", "--replace", "--sm-disable"])
        if not wait_for(lambda: "window id" in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK"), 15):
            raise HarnessError("mutter did not take the X display:\n" + self.log("mutter")[-2000:])
        self.film = self.spawn("window", [fullscreen_window], {"QT_QPA_PLATFORM": "xcb"}, True)
        self.film_id = int(self.film.stdout.readline().split()[-1])
        if not wait_for(lambda: self.film_id in self.root_windows("_NET_CLIENT_LIST_STACKING"), 10):
            raise HarnessError("mutter did not manage the X11 window")

    def root_windows(self, property_name):
        return [int(w, 16) for w in re.findall(r"0x[0-9a-f]+", self.run("xprop", "-root", property_name))]

    def tell_film(self, command):
        self.film.stdin.write(f"{command}\n".encode())
        self.film.stdin.flush()
        if self.film.stdout.readline().strip() != b"ok" or \
                not wait_for(lambda: self.root_windows("_NET_ACTIVE_WINDOW") == [self.film_id], 5):
            raise HarnessError(f"the X11 window did not carry out {command!r} and become active")

    def stacking(self):
        """The managed windows, bottom to top, and the program's windows that are shown."""
        order = self.root_windows("_NET_CLIENT_LIST_STACKING")
        if self.film_id not in order:
            raise HarnessError(f"the X11 window is not among the managed windows: {list(map(hex, order))}")
        return order, {int(w) for w in self.run("xdotool", "search", "--onlyvisible", "--pid", str(self.program.pid)).split()}

    def dialoon_above_film(self):
        order, own = self.stacking()
        above = order[order.index(self.film_id) + 1:]
        # A window that bypasses the window manager, such as the balloon, is above every managed one.
        return [self.run("xdotool", "getwindowname", str(w)).strip() for w in own if w in above or w not in order]

    def stacking_seen(self):
        order, own = self.stacking()
        return f"stacking {[FILM if w == self.film_id else hex(w) + ' (Dialoon)' * (w in own) for w in order]}"


def mutter_steps(m, dialoon):
    return [
        ("start: the strip and Peedy are above the X11 window", lambda: m.start_program(dialoon, visi=0),
         lambda: {"Form1", "Peedy"} <= set(m.dialoon_above_film()), 10, 0),
        ("the X11 window goes fullscreen and active: nothing of Dialoon is above it, and stays so",
         lambda: m.tell_film("full"), lambda: not m.dialoon_above_film(), 2, 3),
        ("the X11 window is back to normal: the strip is above it again",
         lambda: m.tell_film("normal"), lambda: "Form1" in m.dialoon_above_film(), 2, 0),
    ]


def run_steps(name, lab, steps, tally):
    for number, (what, action, condition, within, hold) in enumerate(steps, 1):
        action()
        began = time.monotonic()
        ok = bool(wait_for(condition, within))
        came = time.monotonic() - began
        if ok and hold:
            ok = not wait_for(lambda: not condition(), hold)
        tally[ok] += 1
        print(f"{'PASS' if ok else 'FAIL'} {name} {number}: {what}\n"
              f"    {f'after {came:.1f} s' if ok else 'seen'}: {lab.observe()}", flush=True)


def main(dialoon, fullscreen_window, kwin_pointer):
    missing = [f"{program} ({package})" for program, package in NEEDED.items() if not shutil.which(program)]
    if not os.access(kwin_pointer, os.X_OK):
        missing.append(f"{kwin_pointer} (built where libwayland-dev, libwayland-bin and plasma-wayland-protocols are)")
    try:
        gi.require_version("Gtk", "4.0")
    except ValueError:
        missing.append("GTK 4 for Python (gir1.2-gtk-4.0)")
    if missing:
        print(f"missing: {', '.join(missing)}; `bash scripts/setup.sh test` installs them\n0 passed, 1 failed")
        return 1
    # mutter starts XWayland only where the X sockets' folder is as X servers make it; it makes none.
    if os.geteuid() == 0 and not os.path.isdir("/tmp/.X11-unix"):
        os.mkdir("/tmp/.X11-unix")
    if os.path.isdir("/tmp/.X11-unix") and os.stat("/tmp/.X11-unix").st_mode & 0o7777 != 0o1777:
        if os.geteuid() != 0:
            print("/tmp/.X11-unix is not mode 1777, so XWayland cannot start\n0 passed, 1 failed")
            return 1
        os.chmod("/tmp/.X11-unix", 0o1777)
    ctypes.CDLL(None).prctl(36, 1)  # PR_SET_CHILD_SUBREAPER
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))  # ended from outside: clean up on the way out
    tally = {True: 0, False: 0}
    for name, desktop, steps, args in (("gnome", Gnome, wayland_steps, ()),
                                       ("kwin", Kwin, wayland_steps, (kwin_pointer,)),
                                       ("mutter-x11", MutterX11, mutter_steps, (fullscreen_window,))):
        lab = desktop()
        try:
            lab.start(*args)
            run_steps(name, lab, steps(lab, dialoon), tally)
        except (HarnessError, GLib.Error, subprocess.SubprocessError, OSError) as e:
            tally[False] += 1
            print(f"FAIL {name}: {e}", flush=True)
        finally:
            lab.close()
    print(f"{tally[True]} passed, {tally[False]} failed")
    return 1 if tally[False] else 0


def serve(name, path, interface, answer):
    """Owns the name on the session bus and answers the calls of the interface at the path: answer(bus,
    method, arguments) gives the reply's values. Says "ready" once the name is owned."""
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    bus.register_object(path, Gio.DBusNodeInfo.new_for_xml(f"<node>{interface}</node>").interfaces[0],
                        lambda *call: call[6].return_value(answer(bus, call[4], call[5].unpack())))
    Gio.bus_own_name_on_connection(bus, name, Gio.BusNameOwnerFlags.NONE,
                                   lambda *_: print("ready", flush=True), lambda *_: os._exit(1))
    GLib.MainLoop().run()


def serve_service_manager():
    """Owns org.freedesktop.systemd1 and says every unit asked for exists."""
    serve("org.freedesktop.systemd1", "/org/freedesktop/systemd1",
          '<interface name="org.freedesktop.systemd1.Manager"><method name="GetUnit">'
          '<arg type="s" direction="in"/><arg type="o" direction="out"/></method></interface>',
          lambda *_: GLib.Variant("(o)", ("/org/freedesktop/systemd1/unit",)))


def serve_power_manager():
    """Owns org.freedesktop.PowerManagement as Plasma's power management does: keeps the inhibitions that
    programs ask for (video players, browsers) until they let go, and tells whether there are any."""
    path, interface = "/org/freedesktop/PowerManagement/Inhibit", "org.freedesktop.PowerManagement.Inhibit"
    cookies, numbers = set(), itertools.count(1)

    def answer(bus, method, args):
        before = bool(cookies)
        reply = None
        if method == "Inhibit":
            reply = GLib.Variant("(u)", (next(numbers),))
            cookies.add(reply[0])
        elif method == "UnInhibit":
            cookies.discard(args[0])
        else:
            reply = GLib.Variant("(b)", (bool(cookies),))
        if bool(cookies) != before:
            bus.emit_signal(None, path, interface, "HasInhibitChanged", GLib.Variant("(b)", (bool(cookies),)))
        return reply

    serve("org.freedesktop.PowerManagement", path, f'<interface name="{interface}">'
          '<method name="Inhibit"><arg type="s" direction="in"/><arg type="s" direction="in"/>'
          '<arg type="u" direction="out"/></method><method name="UnInhibit"><arg type="u" direction="in"/></method>'
          '<method name="HasInhibit"><arg type="b" direction="out"/></method>'
          '<signal name="HasInhibitChanged"><arg type="b"/></signal></interface>', answer)


def show_window():
    """A maximized GTK 4 window of one colour. It obeys one command a line on standard input (fullscreen,
    unfullscreen, inhibit, uninhibit, motions, quit) and answers "ok COMMAND" once done, for motions
    followed by the number of pointer motions it has been told of."""
    gi.require_version("Gdk", "4.0")
    gi.require_version("Gtk", "4.0")
    from gi.repository import Gdk, Gtk
    app = Gtk.Application(application_id="org.dialoon.test.Film")
    state = {"motions": 0, "cookie": 0}
    power = Gio.DBusProxy.new_for_bus_sync(  # Plasma's power management, where there is one
        Gio.BusType.SESSION, Gio.DBusProxyFlags.DO_NOT_AUTO_START | Gio.DBusProxyFlags.DO_NOT_LOAD_PROPERTIES |
        Gio.DBusProxyFlags.DO_NOT_CONNECT_SIGNALS, None, "org.freedesktop.PowerManagement",
        "/org/freedesktop/PowerManagement/Inhibit", "org.freedesktop.PowerManagement.Inhibit")

    def command(*_):
        line = sys.stdin.readline().strip()
        window, answer = app.get_active_window(), ""
        if line == "fullscreen":
            window.fullscreen()
        elif line == "unfullscreen":
            window.unfullscreen()
        elif line == "inhibit":
            # GTK holds an idle inhibitor of the compositor's on the window, and tells org.gnome.SessionManager;
            # Plasma's power management is told as video players tell it.
            state["cookie"] = app.inhibit(window, Gtk.ApplicationInhibitFlags.IDLE, "Playing a film")
            if power.get_name_owner():
                state["power"] = power.call_sync("Inhibit", GLib.Variant("(ss)", (FILM, "Playing a film")),
                                                 Gio.DBusCallFlags.NONE, 5000).unpack()[0]
        elif line == "uninhibit":
            app.uninhibit(state["cookie"])
            if "power" in state:
                power.call_sync("UnInhibit", GLib.Variant("(u)", (state.pop("power"),)), Gio.DBusCallFlags.NONE, 5000)
        elif line == "motions":
            answer = f" {state['motions']}"
        else:
            app.quit()
            return False
        print(f"ok {line}{answer}", flush=True)
        return True

    def activate(app):
        css = Gtk.CssProvider()
        css.load_from_data(("window { background: #%02x%02x%02x; }" % FILM_RGB).encode())
        Gtk.StyleContext.add_provider_for_display(Gdk.Display.get_default(), css, Gtk.STYLE_PROVIDER_PRIORITY_USER)
        window = Gtk.ApplicationWindow(application=app, title=FILM, decorated=False)
        motion = Gtk.EventControllerMotion()
        motion.connect("motion", lambda *_: state.update(motions=state["motions"] + 1))
        window.add_controller(motion)
        window.maximize()
        window.present()
        GLib.io_add_watch(sys.stdin.fileno(), GLib.PRIORITY_DEFAULT, GLib.IO_IN | GLib.IO_HUP, command)
        print("ok ready", flush=True)

    app.connect("activate", activate)
    app.run([])


if __name__ == "__main__":
    if sys.argv[1:2] == ["--service-manager"]:
        serve_service_manager()
    elif sys.argv[1:2] == ["--power-manager"]:
        serve_power_manager()
    elif sys.argv[1:2] == ["--window"]:
        show_window()
    elif len(sys.argv) == 4:
        sys.exit(main(*sys.argv[1:]))
    else:
        sys.exit(f"usage: {sys.argv[0]} DIALOON FULLSCREEN_WINDOW KWIN_POINTER")
