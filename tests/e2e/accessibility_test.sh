#!/usr/bin/env bash
# What a screen reader finds of the running program, asked over an accessibility bus of the test's own:
# the strip, Peedy's window and the balloon are windows with their names; the German caption is static
# text named by the sentence on the strip, and tells the bus when the sentence comes; the menu picture
# is a button whose press opens the menu; Peedy is a button whose action says the sentence again.
# Usage: accessibility_test.sh PATH_TO_DIALOON (needs DISPLAY, dbus-daemon, at-spi2-core, python3-pyatspi)
set -uo pipefail
program="$1"
course="$(cd "$(dirname "$0")/../../data/course" && pwd)"
python=""
for candidate in python3 /usr/bin/python3; do
  "$candidate" -c 'import pyatspi' 2>/dev/null && { python="$candidate"; break; }
done
[ -n "$python" ] || { echo "SKIP: pyatspi is missing (bash scripts/setup.sh test)"; exit 77; }
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] && command -v dbus-daemon >/dev/null || { echo "SKIP: at-spi2-core is missing"; exit 77; }
work="$(mktemp -d)"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

# A session bus and an accessibility bus of the test's own, found by nobody else; the launcher is kept
# off the shared display, where it would announce its bus to every program on it.
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/home/.config"
export XDG_DATA_HOME="$work/home/.local/share"
bus="$(dbus-daemon --session --fork --print-address=1 --print-pid=1)" || { echo "FAIL: no session bus"; exit 1; }
export DBUS_SESSION_BUS_ADDRESS="$(sed -n 1p <<<"$bus")"
pids+=("$(sed -n 2p <<<"$bus")")
env -u DISPLAY "$launcher" --launch-immediately >"$work/launcher.log" 2>&1 &
pids+=($!)

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" >"$work/out" 2>&1 &
pids+=($!)

"$python" - "$course" <<'PY'
import glob, sys, time
import pyatspi
from gi.repository import GLib

german = {line.split("|")[1].strip() for path in glob.glob(sys.argv[1] + "/*.txt")
          for line in open(path, encoding="utf-8") if line.count("|") >= 2}
failures = []
def check(ok, what):
    print(("ok: " if ok else "FAIL: ") + what)
    if not ok: failures.append(what)
def until(test, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        GLib.MainContext.default().iteration(False)
        if (found := test()) is not None: return found
        time.sleep(0.05)
    return None
def find(node, role, name=None):
    if node is None: return None
    if node.getRole() == role and (name is None or node.name == name): return node
    return next((f for c in node if (f := find(c, role, name)) is not None), None)

app = until(lambda: next((a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "Dialoon"), None), 15)
check(app is not None, "the program is on the accessibility bus")
if app is None: sys.exit(1)
heard = []
def renamed(event):
    if event.source.getRole() == pyatspi.ROLE_LABEL: heard.append(event.source.name)
pyatspi.Registry.registerEventListener(renamed, "object:property-change:accessible-name")

windows = {w.name: w.getRole() for w in app if w}
for name in ("Dialoon", "Peedy", "Peedy's balloon"):
    check(windows.get(name) == pyatspi.ROLE_FRAME, f"a window named {name!r}: {windows.get(name)}")
strip = next(w for w in app if w.name == "Dialoon")
# The German caption comes first; the welcome stands in it until the first sentence slides in.
caption = next(c for c in strip if c.getRole() == pyatspi.ROLE_LABEL)
until(lambda: True if caption.name in german else None, 15)
check(caption.name in german, f"the caption reads the German sentence: {caption.name!r}")
check(caption.name in heard, f"the bus heard the German sentence come: {heard}")

menu = find(strip, pyatspi.ROLE_PUSH_BUTTON, "Menu")
check(menu is not None, "the menu picture is a button named Menu")
if menu is not None:
    # A popup is no window of the application's on the bus: its coming is heard instead.
    shown = []
    pyatspi.Registry.registerEventListener(
        lambda event: event.detail1 and shown.append(event.source.getRole()), "object:state-changed:showing")
    menu.queryAction().doAction(0)
    until(lambda: True if pyatspi.ROLE_POPUP_MENU in shown else None, 5)
    check(pyatspi.ROLE_POPUP_MENU in shown, "pressing it opens the menu")
peedy = find(next((w for w in app if w.name == "Peedy"), None), pyatspi.ROLE_PUSH_BUTTON, "Peedy")
check(peedy is not None and peedy.queryAction().getDescription(0) == "Say it again",
      "Peedy is a button whose action says the sentence again")
sys.exit(1 if failures else 0)
PY
status=$?
[ "$status" -eq 0 ] || { echo "program output:"; cat "$work/out"; exit 1; }
echo "A screen reader finds the strip, its captions, the menu button and Peedy."
