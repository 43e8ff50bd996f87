#!/usr/bin/env bash
# Installs what Dialoon needs to build, run and test on Debian 12, then configures and builds it.
# As root it installs the missing Debian packages itself; otherwise it prints the one apt line to run.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  libespeak-ng-dev espeak-ng-data libpcaudio-dev
  libxcb1-dev libxcb-xinput-dev fonts-liberation fonts-dejavu-core
  xvfb xauth openbox xdotool x11-utils imagemagick
  hunspell hunspell-de-de hunspell-en-us
  desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  if [ "$(id -u)" -eq 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "Dialoon needs some Debian packages. Run this once, then try again:" >&2
    echo "  sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
