#!/bin/sh
# The package's test step, inside xvfb-run: a window manager beside the suite, as on a desktop.
set -u
openbox >/dev/null 2>&1 &
wm=$!
QT_QPA_PLATFORM=xcb dh_auto_test --no-parallel -- ARGS+="--output-on-failure --timeout 300"
status=$?
kill "$wm" 2>/dev/null
exit $status
