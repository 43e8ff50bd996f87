#!/usr/bin/env bash
# The test suite's second pass: the compiled tests again, every layer and test built with AddressSanitizer
# and UndefinedBehaviorSanitizer in build-asan. scripts/test.sh calls it on its own X display; alone it
# needs DISPLAY set to a display with a window manager, as the window tests do.
set -euo pipefail
cd "$(dirname "$0")/.."

# -O1 as the sanitizers advise: quick enough to build and to run, and every fault still shows.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DDIALOON_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$(nproc)"

source scripts/sanitizer-options.sh
cd build-asan
# Left out, each for its reason:
#   course_spelling, course_pairs: shell scripts over the course text; no code of ours runs in them.
#   desktop_test: it holds the program to the times a person would notice (a roll-up within 1.5 s) on
#     three whole desktops; the sanitized program runs the same code in the window tests.
ctest --output-on-failure -j2 --timeout 600 -E '^(course_spelling|course_pairs|desktop_test)$'
