#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite under its own virtual X server and window manager.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
bash scripts/format-check.sh

# Xvfb picks a free display itself and tells us its number.
wm_pid=""
numberfile="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numberfile" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill ${wm_pid:-} $xvfb_pid 2>/dev/null || true; rm -f "$numberfile"' EXIT
for _ in $(seq 100); do [ -s "$numberfile" ] && break; sleep 0.1; done
display=":$(head -n 1 "$numberfile")"
DISPLAY="$display" openbox >/dev/null 2>&1 &
wm_pid=$!

export DISPLAY="$display" QT_QPA_PLATFORM=xcb
cd build
ctest --output-on-failure -j2 --timeout 300
cd ..

# The second pass, on the same display: the tests built with the address and undefined-behaviour
# sanitizers, then a few seconds of fuzzing for each reader of outside text.
bash scripts/sanitize.sh
bash scripts/fuzz.sh 5
