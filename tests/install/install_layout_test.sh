#!/usr/bin/env bash
# A real `cmake --install` into a temporary DESTDIR: exactly the expected files, each icon PNG of the size
# its folder names, an installed program that answers, the guide where the Website item looks for it,
# and a tree that appstreamcli accepts as a whole (metainfo, launcher and icon together).
# Usage: install_layout_test.sh BUILD_DIR APP_ID EXPECTED_LAYOUT_FILE
set -uo pipefail
build="$1" id="$2" expected_file="$3"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

if ! DESTDIR="$work/root" cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  echo "FAIL: cmake --install failed"
  exit 1
fi
usr="$work/root/usr"

grep -v '^#' "$expected_file" | sed "s/@ID@/$id/g" | sort >"$work/expected"
(cd "$usr" && find . -type f -o -type l | sed 's|^\./||' | sort) >"$work/actual"
if ! diff -u "$work/expected" "$work/actual" >"$work/diff"; then
  fail "installed files differ from the expected layout (- expected, + installed):"
  sed -n '3,$p' "$work/diff"
fi
# Nothing outside the prefix.
outside="$(cd "$work/root" && find . -mindepth 1 -maxdepth 1 ! -name usr)"
[ -z "$outside" ] || fail "installed outside /usr: $outside"

[ -x "$usr/bin/dialoon" ] || fail "bin/dialoon is not executable"
version_line="$(env -u DISPLAY "$usr/bin/dialoon" --version 2>&1)"
[[ "$version_line" == "Dialoon "* ]] || fail "the installed program answers '$version_line' to --version"

# Each PNG is square and as large as its folder says.
for png in "$usr"/share/icons/hicolor/*x*/apps/"$id".png; do
  size="$(basename "$(dirname "$(dirname "$png")")")"
  header="$(od -An -tx1 -j16 -N8 "$png" | tr -d ' \n')"
  actual="$((16#${header:0:8}))x$((16#${header:8:8}))"
  [ "$actual" = "$size" ] || fail "$png is $actual"
done
head -c 8 "$usr/share/icons/hicolor/256x256/apps/$id.png" | od -An -c | grep -q 'P   N   G' ||
  fail "the 256 px icon is no PNG"
grep -q '<svg' "$usr/share/icons/hicolor/scalable/apps/$id.svg" || fail "the scalable icon is no SVG"

# The Website item finds the guide two folders up from the executable, beside the other data.
[ -f "$usr/bin/../share/dialoon/guide.html" ] || fail "no guide at bin/../share/dialoon/guide.html"
grep -q 'screenshot.png' "$usr/share/dialoon/guide.html" || fail "the guide does not show the screenshot"
grep -q "autostart/$id.desktop" "$usr/share/dialoon/guide.html" ||
  fail "the guide does not name the logon entry $id.desktop"
grep -q 'Tavo.ini' "$usr/share/dialoon/guide.html" || fail "the guide does not say where settings are kept"

# The launcher starts the installed program, and the metainfo, launcher and icon agree as a tree.
exec_value="$(sed -n 's/^Exec=//p' "$usr/share/applications/$id.desktop")"
[ -x "$usr/bin/${exec_value%% *}" ] || fail "Exec=$exec_value is not an installed program"
if command -v appstreamcli >/dev/null; then
  report="$(appstreamcli validate-tree --no-net --no-color "$usr" 2>&1)" ||
    fail "appstreamcli validate-tree: $report"
  grep -q '^ *[EW]:' <<<"$report" && fail "appstreamcli validate-tree: $report"
fi

if ((failures)); then echo "$failures failed"; exit 1; fi
echo "install layout: $(wc -l <"$work/actual") files as expected"
