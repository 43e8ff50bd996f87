#!/usr/bin/env bash
# Sets up, builds and starts Dialoon on the current X display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh run
exec ./build/dialoon
