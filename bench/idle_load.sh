#!/usr/bin/env bash
# How light Dialoon is while it plays: starts the built program under its own virtual X server with a
# fresh settings folder, lets it play for a while, and reports the processor time it used and its
# resident memory. Usage: bash bench/idle_load.sh [seconds]   (after scripts/setup.sh has built it)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
work="$(mktemp -d)"
display=":$((200 + RANDOM % 50))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
sleep 1
DISPLAY="$display" XDG_CONFIG_HOME="$work" XDG_RUNTIME_DIR="$work" ./build/dialoon 2>/dev/null &
app=$!
sleep 5 # past the welcome: playback runs
ticks=$(getconf CLK_TCK)
read -r u0 s0 < <(awk '{print $14, $15}' "/proc/$app/stat")
sleep "$seconds"
read -r u1 s1 < <(awk '{print $14, $15}' "/proc/$app/stat")
rss=$(awk '/VmRSS/ {print $2}' "/proc/$app/status")
threads=$(awk '/Threads/ {print $2}' "/proc/$app/status")
cpu=$(awk -v d=$(( (u1 - u0) + (s1 - s0) )) -v t="$ticks" -v s="$seconds" 'BEGIN {printf "%.2f", 100 * d / t / s}')
echo "playing for ${seconds} s: processor ${cpu} % of one core, resident memory $((rss / 1024)) MiB, ${threads} threads"
