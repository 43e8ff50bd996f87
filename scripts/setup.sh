#!/usr/bin/env bash
# Installs what Dialoon needs on Debian 12, then configures and builds it.
#   bash scripts/setup.sh          what building and running need (the default, "run")
#   bash scripts/setup.sh test     that and the tools the test suite drives
#   bash scripts/setup.sh package  that, the test tools and Debian's packaging tools; no build here
# As root it installs the missing Debian packages itself; otherwise it prints the one apt line to run.
set -euo pipefail
cd "$(dirname "$0")/.."
set_name="${1:-run}"

run_packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  libespeak-ng-dev espeak-ng-data libpcaudio-dev
  # the user's own decks: zip, SQLite and zstd readers, and libsndfile for their recordings
  libzip-dev libsqlite3-dev libzstd-dev libsndfile1-dev
  libxcb1-dev libxcb-xinput-dev fonts-liberation fonts-dejavu-core
  librsvg2-bin
)
test_packages=(
  xvfb xauth openbox xdotool x11-utils imagemagick
  # tests/desktop: GNOME Shell on Wayland with XWayland and a session manager, mutter on X11, and a
  # GTK 4 window driven from Python
  gnome-shell mutter xwayland gnome-session-bin dbus-daemon python3-gi gir1.2-gtk-4.0 gir1.2-gdkpixbuf-2.0
  # and KDE Plasma's KWin on Wayland, with the Wayland client library, its scanner and Plasma's protocols
  # for the test's own client of KWin's fake input (tests/desktop/kwin_pointer.cpp)
  kwin-wayland libwayland-dev libwayland-bin plasma-wayland-protocols
  # recordings for the deck tests, encoded from the voice's own output, and a sound server of the
  # tests' own that hears what Peedy plays
  lame vorbis-tools pulseaudio pulseaudio-utils
  hunspell hunspell-de-de hunspell-en-us
  desktop-file-utils appstream groff-base
  # xrandr, to change the test screen's size
  x11-xserver-utils
  python3-pyatspi at-spi2-core # tests/e2e/accessibility_test.sh: an accessibility bus and its reader
  # clang with libFuzzer and its sanitizer runtimes, and llvm-symbolizer for readable reports
  # (scripts/fuzz.sh); the gcc sanitizer build (scripts/sanitize.sh) needs nothing beyond g++.
  clang libclang-rt-14-dev llvm
  # the layout of changed C++ files (scripts/format-check.sh)
  clang-format
)
package_packages=(
  dpkg-dev debhelper fakeroot lintian
)

case "$set_name" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  package) packages=("${run_packages[@]}" "${test_packages[@]}" "${package_packages[@]}") ;;
  *)
    echo "setup: unknown set '$set_name'; use run, test or package" >&2
    exit 2
    ;;
esac

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

# The package is built by dpkg-buildpackage in its own folder.
[ "$set_name" = package ] && exit 0
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
