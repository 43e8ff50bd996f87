#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tests/fuzz with clang in build-fuzz and runs each for a number of
# seconds (the first argument, 5 unless given) over its seeds in tests/fuzz/corpus/<harness>/. Inputs the
# fuzzer finds go to build-fuzz/corpus/<harness>/, never into the repository; a crash leaves its input in
# build-fuzz/crashes/ and fails the script. scripts/test.sh runs it briefly; run it longer by hand.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-5}"
harnesses=(setting_text settings_store course_file desktop_exec phrase_list anki_package)
# Options of one harness. The store harness leaves out libFuzzer's leak check after each input: Qt keeps
# the settings files it has read in a bounded cache, so an input often ends with more allocations than
# frees, and each such input would cost a scan of the whole heap. The leak check at exit still runs.
declare -A extra=([settings_store]="-detect_leaks=0")

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDIALOON_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${harnesses[@]/#/fuzz_}"

source scripts/sanitizer-options.sh
mkdir -p build-fuzz/crashes build-fuzz/logs
for h in "${harnesses[@]}"; do
  mkdir -p "build-fuzz/corpus/$h"
  log="build-fuzz/logs/$h.log"
  # shellcheck disable=SC2086 # the extra options are words
  if ! "build-fuzz/tests/fuzz/fuzz_$h" ${extra[$h]:-} -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$h-" \
       "build-fuzz/corpus/$h" "tests/fuzz/corpus/$h" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "fuzz_$h failed; its input is in build-fuzz/crashes/ (log: $log)" >&2
    exit 1
  fi
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
  cov="$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)"
  echo "fuzz_$h: $runs inputs in ${seconds} s, $cov edges, corpus $(ls "build-fuzz/corpus/$h" | wc -l) files"
done
