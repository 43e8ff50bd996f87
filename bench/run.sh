#!/usr/bin/env bash
# Dialoon against a bare Qt window, in one run: start (exec to the strip's first frame), peak memory,
# processor time and wake-ups in four situations, the playback's timekeeping and the voice's first
# sample. Builds its own Release tree (build-bench) and runs under its own Xvfb and openbox, with no
# sound server (the voice plays silently, keeping the pace of speech). Never part of the test suite.
#
#   bash bench/run.sh [seconds per situation, default 60]
#   BENCH_PARTS="start memory load floor period speech" picks parts (load includes floor); BENCH_STARTS=11 alternating start pairs;
#   BENCH_ROUNDS=3 runs of each load situation, of which the median is shown
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C
seconds="${1:-60}"
parts="${BENCH_PARTS:-start memory load period speech}"
starts="${BENCH_STARTS:-11}"
rounds="${BENCH_ROUNDS:-3}"
showings="${BENCH_SHOWINGS:-20}"
build="${BENCH_BUILD:-build-bench}"

need=(xvfb openbox xdotool x11-utils libxcb-damage0-dev)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  if [ "$(id -u)" -eq 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  else
    echo "bench/run.sh needs: sudo apt-get install ${missing[*]} (and scripts/setup.sh run once)" >&2
    exit 1
  fi
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target dialoon bare_window first_frame showing_period speech_latency >/dev/null
dialoon="$PWD/$build/dialoon"
bare="$PWD/$build/bench/bare_window"
first_frame="$PWD/$build/bench/first_frame"

work="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")" QT_QPA_PLATFORM=xcb
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
xdotool mousemove 0 700

# A settings folder holding the first-run values, with some changed: fresh_home NAME [key=value...]
fresh_home() {
  local home="$work/$1"
  shift
  rm -rf "$home"
  mkdir -p "$home/config"
  chmod 700 "$home"
  {
    echo "[German]"
    local -A v=([ce]=1 [n]=2 [ctime]=3 [etime]=5 [rd]=0 [psave]=1 [ssave]=1 [visi]=0 [voice]=1 [guage]=1
                [guagen]=11000 [red]=0 [mark]=0 [xxx]=1 [left]=5680 [sspeed]=150)
    local kv
    for kv in "$@"; do v[${kv%%=*}]="${kv#*=}"; done
    for k in ce n ctime etime rd psave ssave visi voice guage guagen red mark xxx left sspeed; do
      echo "$k=${v[$k]}"
    done
  } >"$home/config/Tavo.ini"
  echo "$home"
}
# Runs a command with that folder as its home; it replaces the subshell it runs in, so $! is its own pid.
in_home() { local home="$1"; shift; exec env XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home" HOME="$home" "$@"; }

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
spread() { sort -g | awk '{a[NR]=$1} END {print a[1] "-" a[NR]}'; }

# Processor time (ns, all threads, from schedstat) and voluntary context switches per thread.
snapshot() {
  local pid="$1" t
  for t in /proc/"$pid"/task/*; do
    read -r run _ <"$t/schedstat" || continue
    echo "$(basename "$t") $run $(awk '/^voluntary_ctxt_switches/ {print $2}' "$t/status") $(tr ' ' _ <"$t/comm")"
  done 2>/dev/null | sort
}

# load PID SECONDS -> "cpu_percent wakeups_per_s other_threads_wakeups_per_s" and a per-thread line on stderr
load() {
  local pid="$1" secs="$2" a b
  a="$(snapshot "$pid")"
  sleep "$secs"
  b="$(snapshot "$pid")"
  join -a 2 -e 0 -o 2.1,1.2,1.3,2.2,2.3,2.4 <(echo "$a") <(echo "$b") |
    awk -v s="$secs" -v main="$pid" '
      { cpu += $4 - $2; w = $5 - $3; all += w; if ($1 != main) { other += w; if (w > 0) busy = busy sprintf(" %s:%.1f", $6, w / s) } }
      END { printf "%.2f %.1f %.1f\n", 100 * cpu / 1e9 / s, all / s, other / s; printf "  threads waking besides the GUI thread:%s\n", busy ? busy : " none" > "/dev/stderr" }'
}

# Ends a program the bench started and waits until it has run its course: one started by start_dialoon
# is not this shell's child, so wait cannot tell, and on its way out it still writes its settings into its
# home. Once it has ended it stays a zombie until the system reaps it.
running() { [ -r "/proc/$1/stat" ] && [ "$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1)" != Z ]; }
stop() { # PID
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
  local tries=0
  while running "$1" && ((tries++ < 200)); do sleep 0.05; done
}

start_dialoon() { # HOME -> pid
  (in_home "$1" "$dialoon" 2>>"$work/dialoon.err" >/dev/null) &
  echo $!
}

strip_x() { xwininfo -id "$(xdotool search --all --onlyvisible --pid "$1" --name '^Form1$' | head -n 1)" | awk '/Absolute upper-left X/ {print $4}'; }

declare -A result

if [[ " $parts " == *" start "* ]]; then
  : >"$work/start"
  for i in $(seq "$starts"); do
    h=$(fresh_home "start$i")
    b=$(in_home "$h" "$first_frame" Form1 "$bare" 2>/dev/null)
    d=$(in_home "$h" "$first_frame" Form1 "$dialoon" 2>/dev/null)
    echo "$b $d" >>"$work/start"
  done
  # columns: bare mapped, bare drawn, dialoon mapped, dialoon drawn
  result[start_bare]=$(awk '{print $2}' "$work/start" | median)
  result[start_dialoon]=$(awk '{print $4}' "$work/start" | median)
  result[start_ratio]=$(awk '{print $4 / $2}' "$work/start" | median)
  result[map_bare]=$(awk '{print $1}' "$work/start" | median)
  result[map_dialoon]=$(awk '{print $3}' "$work/start" | median)
  result[map_ratio]=$(awk '{print $3 / $1}' "$work/start" | median)
fi

if [[ " $parts " == *" memory "* ]]; then
  h=$(fresh_home bare)
  (in_home "$h" "$bare") &
  bp=$!
  sleep 3
  result[rss_bare]=$(awk '/VmHWM/ {printf "%.1f", $2 / 1024}' /proc/$bp/status)
  stop $bp
fi

# The medians of a situation's runs, and the lowest and highest processor time.
summarise() { # NAME
  local runs="$work/load_$1"
  result[cpu_$1]=$(awk '{print $1}' "$runs" | median)
  result[wake_$1]=$(awk '{print $2}' "$runs" | median)
  result[other_$1]=$(awk '{print $3}' "$runs" | median)
  result[span_$1]=$(awk '{print $1}' "$runs" | spread)
}

situation() { # NAME SETUP-FUNCTION key=value...
  local name="$1" setup="$2" pid h line round
  shift 2
  : >"$work/load_$name"
  for round in $(seq "$rounds"); do
    h=$(fresh_home "$name" "$@")
    pid=$(start_dialoon "$h")
    pids+=("$pid")
    sleep 8 # past the welcome: playback runs
    $setup "$pid"
    sleep 2
    echo "bench: $name, round $round of $rounds" >&2
    load "$pid" "$seconds" >>"$work/load_$name"
    if [ "$round" -eq 1 ]; then
      result[rss_$name]=$(awk '/VmHWM/ {printf "%.1f", $2 / 1024}' /proc/"$pid"/status)
    fi
    stop "$pid"
  done
  summarise "$name"
}
nothing() { :; }
# The menu's read-aloud item, as a person would choose it: the mouse onto the top edge above the menu
# button (which unrolls a rolled-up strip), then over the button, and the item's key. Reading aloud off
# is the character hidden: hiding is what stops the reading.
reading_aloud_off() {
  local x
  x=$(strip_x "$1")
  xdotool mousemove $((x + 464)) 1
  sleep 0.3
  xdotool mousemove $((x + 462)) 8
  sleep 0.1
  xdotool mousemove $((x + 464)) 9
  sleep 0.4
  xdotool key n
  sleep 0.2
  xdotool mousemove 0 700
  sleep 1
  if xdotool search --all --onlyvisible --pid "$1" --name '^Peedy$' >/dev/null; then
    echo "bench: the character did not hide" >&2
  fi
}

if [[ " $parts " == *" load "* || " $parts " == *" memory "* ]]; then
  situation speaking nothing
  if [[ " $parts " == *" load "* ]]; then
    situation hidden reading_aloud_off
    situation rolled_voice nothing visi=1
    situation rolled_silent reading_aloud_off visi=1
  fi
fi

# The floors: a bare window that only runs, doing nothing, some of the strip's timers. floor NAME INTERVALS...
floor() {
  local name="$1" round h bp
  shift
  : >"$work/load_$name"
  for round in $(seq "$rounds"); do
    h=$(fresh_home "$name")
    (in_home "$h" "$bare" --ticking "$@") &
    bp=$!
    sleep 3
    echo "bench: bare window with the timers $*, round $round of $rounds" >&2
    load "$bp" "$seconds" >>"$work/load_$name"
    stop $bp
  done
  summarise "$name"
}
if [[ " $parts " == *" load "* || " $parts " == *" floor "* ]]; then
  floor ticking 60 100 1500 # the timers the strip always runs
  floor watch 60 1500       # those that wake it while rolled up with nothing read aloud
fi

if [[ " $parts " == *" period "* ]]; then
  h=$(fresh_home period)
  read -r _ _ result[period_nominal] result[period_measured] result[period_drift] \
    < <(in_home "$h" "$PWD/$build/bench/showing_period" "$showings" 2>/dev/null)
fi

if [[ " $parts " == *" speech "* ]]; then
  result[speech]=$("$PWD/$build/bench/speech_latency" 2>/dev/null | sed -n 's/.*first sample out: *//p' | xargs)
fi

r() { echo "${result[$1]:--}"; }
echo
echo "Dialoon $(git describe --always --dirty) on $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
echo "Release build, Xvfb 1024x768 + openbox, no sound server; load: median of $rounds runs of ${seconds} s per situation"
echo
printf '| %-58s | %-14s | %-14s |\n' "measure" "bare Qt window" "Dialoon"
printf '|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..60})" "$(printf -- '-%.0s' {1..16})" "$(printf -- '-%.0s' {1..16})"
row() { printf '| %-58s | %-14s | %-14s |\n' "$1" "$2" "$3"; }
row "start: exec to first frame drawn, median of $starts (ms)" "$(r start_bare)" "$(r start_dialoon) ($(r start_ratio)x)"
row "start: exec to window mapped, median (ms)" "$(r map_bare)" "$(r map_dialoon) ($(r map_ratio)x)"
row "peak resident memory, VmHWM (MiB)" "$(r rss_bare)" "$(r rss_speaking)"
row "playing, character shown and speaking: CPU % / wake-ups/s" "" "$(r cpu_speaking) / $(r wake_speaking)"
row "playing, reading aloud off (hidden): CPU % / wake-ups/s" "" "$(r cpu_hidden) / $(r wake_hidden)"
row "rolled up, reading aloud on: CPU % / wake-ups/s" "" "$(r cpu_rolled_voice) / $(r wake_rolled_voice)"
row "rolled up, reading aloud off (hidden): CPU % / wake-ups/s" "$(r cpu_ticking) / $(r wake_ticking) (a)" "$(r cpu_rolled_silent) / $(r wake_rolled_silent)"
row "  of which threads other than the GUI thread (wake-ups/s)" "" "$(r other_rolled_silent)"
row "  CPU %, lowest-highest of the runs: speaking / rolled up, silent" "$(r span_ticking) (a)" "$(r span_speaking) / $(r span_rolled_silent)"
row "  bare window, watch and line only: CPU % / wake-ups/s (b)" "$(r cpu_watch) / $(r wake_watch)" ""
row "  CPU %, lowest-highest of the runs (b)" "$(r span_watch)" ""
row "showing period over $showings showings: nominal / measured ms" "" "$(r period_nominal) / $(r period_measured)"
row "  drift from nominal (%)" "" "$(r period_drift)"
row "speech: Voice::speak to first sample, median / worst" "" "$(r speech)"
echo
echo "(a) the bare window running, doing nothing, the timers the strip must always run: 60, 100, 1500 ms"
echo "(b) the bare window running only the timers that wake the rolled-up strip while nothing is read aloud: 60, 1500 ms"
