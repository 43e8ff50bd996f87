# How the sanitized builds run, for scripts/sanitize.sh and scripts/fuzz.sh (sourced). Undefined behaviour
# stops the program (the builds also say so with -fno-sanitize-recover); leaks are reported except those
# tests/sanitizers/lsan.supp lists, each of which lies outside our code.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
