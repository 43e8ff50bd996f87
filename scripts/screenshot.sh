#!/usr/bin/env bash
# Takes the screenshot of the README and the metainfo (data/desktop/screenshot.png): the strip with a
# German sentence while Peedy says it in his balloon, on a virtual X server with a window manager and a
# settings folder of its own. Needs a build (bash scripts/setup.sh) and the test tools
# (bash scripts/setup.sh test). Usage: bash scripts/screenshot.sh [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-data/desktop/screenshot.png}"
program=./build/dialoon
[ -x "$program" ] || { echo "screenshot: build Dialoon first (bash scripts/setup.sh)" >&2; exit 1; }
for tool in Xvfb openbox xdotool xwininfo convert import display; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing (bash scripts/setup.sh test)" >&2; exit 1; }
done

# A screen just large enough for the strip at the top and Peedy in his corner below it.
width=900 height=330
work="$(mktemp -d)"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")" QT_QPA_PLATFORM=xcb
openbox >/dev/null 2>&1 &
pids+=($!)
# A calm desktop behind the windows.
convert -size "${width}x${height}" gradient:'#6d9bd1'-'#2c5282' "$work/desktop.png"
# display sets the root window and exits with status 1 all the same.
display -window root "$work/desktop.png" || true

# Settings of its own: German first and shown long enough for the whole sentence to be spoken.
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" HOME="$work"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
cat >"$XDG_CONFIG_HOME/Tavo.ini" <<'INI'
[German]
ce=1
n=1
ctime=3
etime=15
rd=1
psave=0
ssave=0
visi=0
voice=1
guage=3
guagen=10301
red=0
mark=0
xxx=1
left=5680
sspeed=150
INI
"$program" >"$work/program.log" 2>&1 &
pids+=($!)

# The balloon is the program's untitled window (named after the program, not "Form1" or "Peedy"); it
# shows the sentence word by word as it is spoken. Of the pictures taken while it is up, the one with the
# most ink in the balloon has the whole sentence.
best=-1
for _ in $(seq 300); do
  sleep 0.2
  balloon=""
  while read -r id; do
    info="$(xwininfo -id "$id" 2>/dev/null)" || continue
    grep -q 'IsViewable' <<<"$info" || continue
    w="$(sed -n 's/^ *Width: //p' <<<"$info")"
    h="$(sed -n 's/^ *Height: //p' <<<"$info")"
    [ "$w" -gt 40 ] && [ "$h" -gt 10 ] || continue
    x="$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")"
    y="$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")"
    balloon="${w}x${h}+${x}+${y}"
  done < <(xwininfo -root -tree | awk '/"Dialoon": \("dialoon" "Dialoon"\)/ { print $1 }')
  if [ -z "$balloon" ]; then
    [ "$best" -ge 0 ] && break
    continue
  fi
  import -window root "$work/shot.png"
  ink="$(convert "$work/shot.png" -crop "$balloon" +repage -fuzz 12% -fill black +opaque 'rgb(32,44,36)' \
         -fill white -opaque 'rgb(32,44,36)' -format '%[fx:round(mean*w*h)]' info:)"
  if [ "$ink" -gt "$best" ]; then
    best="$ink"
    cp "$work/shot.png" "$work/best.png"
  fi
done
[ "$best" -ge 0 ] || { echo "screenshot: Peedy's balloon never appeared" >&2; cat "$work/program.log" >&2; exit 1; }

# The right part of the screen, where the strip and Peedy are.
convert "$work/best.png" -crop "$((width - 360))x${height}+360+0" +repage -strip "$out"
echo "screenshot: $out"
