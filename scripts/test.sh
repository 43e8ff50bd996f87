#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite under its own virtual X server and window manager.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $wm_pid $xvfb_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY="$display" openbox >/dev/null 2>&1 &
wm_pid=$!

export DISPLAY="$display" QT_QPA_PLATFORM=xcb
cd build
ctest --output-on-failure -j2 --timeout 300
