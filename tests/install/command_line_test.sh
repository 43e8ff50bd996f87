#!/usr/bin/env bash
# The program's command line run for real: --help and --version answer and exit 0 with and without a
# display; one readable file is opened as phrases; any other argument gets one line on standard error and status 2; a start without a graphical
# desktop exits 1 with one line, and writes nothing: no settings, no lock, no core dump.
# Usage: command_line_test.sh PATH_TO_DIALOON VERSION
set -uo pipefail
program="$1" version="$2"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Runs the program with no display at all, a fresh config and runtime folder, and the working folder in
# $work/cwd (where a core dump would land). Leaves status, out and err.
run_without_display() {
  rm -rf "$work/config" "$work/runtime" "$work/cwd"
  mkdir -p "$work/config" "$work/runtime" "$work/cwd"
  chmod 700 "$work/runtime"
  (cd "$work/cwd" && ulimit -c unlimited 2>/dev/null
   exec env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$work/config" \
     XDG_RUNTIME_DIR="$work/runtime" HOME="$work/cwd" "$program" "$@" >"$work/out" 2>"$work/err")
  status=$?
  out="$(cat "$work/out")" err="$(cat "$work/err")"
}
lines() { [ -z "$1" ] && echo 0 || printf '%s\n' "$1" | wc -l; }
nothing_written() {
  local left
  left="$(find "$work/config" "$work/runtime" "$work/cwd" -mindepth 1 | head -n 5)"
  [ -z "$left" ] || fail "$1: files were written: $left"
}

# args ; status ; stdout: first line ; stderr: pattern (empty: nothing on stderr)
while IFS=';' read -r args expected_status first_out err_pattern; do
  # shellcheck disable=SC2086
  run_without_display $args
  label="dialoon $args (no display)"
  [ "$status" -eq "$expected_status" ] || fail "$label: status $status, expected $expected_status; stderr: $err"
  [ "$(printf '%s\n' "$out" | head -n 1)" = "$first_out" ] || [ -z "$first_out" -a -z "$out" ] ||
    fail "$label: standard output starts '$(printf '%s\n' "$out" | head -n 1)', expected '$first_out'"
  if [ -z "$err_pattern" ]; then
    [ -z "$err" ] || fail "$label: unexpected standard error: $err"
  else
    [ "$(lines "$err")" -eq 1 ] || fail "$label: standard error has $(lines "$err") lines: $err"
    grep -Eq "$err_pattern" <<<"$err" || fail "$label: standard error '$err' does not match '$err_pattern'"
  fi
  nothing_written "$label"
done <<EOF
--help;0;Usage: dialoon [--help | --version | FILE];
-h;0;Usage: dialoon [--help | --version | FILE];
--version;0;Dialoon $version;
--verbose;2;;^dialoon: unknown argument '--verbose'
-platform offscreen;2;;^dialoon: unknown argument '-platform'
--help extra;2;;^dialoon: unknown argument 'extra'
lesson01.txt;2;;^dialoon: cannot open 'lesson01.txt', there is no such file
/;2;;^dialoon: cannot open '/', it is not a file
;1;;^dialoon: .*needs a graphical desktop \(X11, or XWayland on a Wayland session\)
EOF

# A Wayland platform named in the environment changes nothing: the program is an X11 program.
(cd "$work" && env -u DISPLAY QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=wayland-0 XDG_CONFIG_HOME="$work/config" \
   XDG_RUNTIME_DIR="$work/runtime" "$program" >"$work/out" 2>"$work/err")
status=$?
[ "$status" -eq 1 ] && grep -q 'graphical desktop' "$work/err" || fail "QT_QPA_PLATFORM=wayland: status $status: $(cat "$work/err")"

# An X display that nobody serves is no display either.
(cd "$work" && env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:4093 XDG_CONFIG_HOME="$work/config" \
   XDG_RUNTIME_DIR="$work/runtime" "$program" >"$work/out" 2>"$work/err")
status=$?
[ "$status" -eq 1 ] || fail "an unserved DISPLAY: status $status: $(cat "$work/err")"
grep -q 'graphical desktop' "$work/err" || fail "an unserved DISPLAY: stderr: $(cat "$work/err")"

# With a display (the test run's own X server, when there is one) the answers are the same.
if [ -n "${DISPLAY:-}" ]; then
  for args in --help --version; do
    "$program" "$args" >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" -eq 0 ] && [ -s "$work/out" ] && [ ! -s "$work/err" ] ||
      fail "dialoon $args with DISPLAY=$DISPLAY: status $status, stderr: $(cat "$work/err")"
  done
  "$program" --nonsense >"$work/out" 2>"$work/err"
  [ $? -eq 2 ] || fail "dialoon --nonsense with a display: not status 2"
fi

if ((failures)); then echo "$failures failed"; exit 1; fi
echo "command line: all checks passed"
