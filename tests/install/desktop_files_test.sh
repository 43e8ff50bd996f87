#!/usr/bin/env bash
# The files that make Dialoon a desktop program, as the build makes them: the launcher passes
# desktop-file-validate, the metainfo passes appstreamcli, the manual page formats without a warning,
# and all of them name the one application id and this version.
# Usage: desktop_files_test.sh BUILD_DATA_DIR APP_ID VERSION
set -uo pipefail
dir="$1" id="$2" version="$3"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
for tool in desktop-file-validate appstreamcli groff; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

desktop="$dir/$id.desktop"
metainfo="$dir/$id.metainfo.xml"
manual="$dir/dialoon.1"
for f in "$desktop" "$metainfo" "$manual"; do [ -f "$f" ] || fail "missing $f"; done
((failures)) && exit 1

# desktop-file-validate prints nothing for a clean file, hints included.
report="$(desktop-file-validate "$desktop" 2>&1)"
[ $? -eq 0 ] && [ -z "$report" ] || fail "desktop-file-validate: $report"

report="$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1)"
status=$?
[ $status -eq 0 ] || fail "appstreamcli validate (status $status): $report"
grep -q '^[EW]:' <<<"$report" && fail "appstreamcli reports errors or warnings: $report"

report="$(LC_ALL=C.UTF-8 groff -man -ww -z "$manual" 2>&1)"
[ $? -eq 0 ] && [ -z "$report" ] || fail "groff: $report"

# Keys of the launcher: name=expected value.
key() { sed -n "s/^$1=//p" "$desktop" | head -n 1; }
while IFS='|' read -r name expected; do
  [ "$(key "$name")" = "$expected" ] || fail "$name is '$(key "$name")', expected '$expected'"
done <<EOF2
Type|Application
Name|Dialoon
GenericName|German Phrase Player
Categories|Education;Languages;
Icon|$id
Exec|dialoon %f
MimeType|application/x-apkg;application/x-colpkg;text/csv;text/tab-separated-values;text/plain;
Terminal|false
EOF2
for name in Comment Keywords; do [ -n "$(key "$name")" ] || fail "$name is empty"; done
key Keywords | grep -q 'German;' || fail "Keywords lack German"

# The metainfo: element text that must be there.
while IFS='|' read -r what pattern; do
  grep -Eq "$pattern" "$metainfo" || fail "metainfo: $what (no match for $pattern)"
done <<EOF2
id|<id>$id</id>
launchable|<launchable type="desktop-id">$id\.desktop</launchable>
release|<release version="$version"
content rating|<content_rating type="oars-1\.[01]"
screenshot|<image type="source" width="[1-9][0-9]*" height="[1-9][0-9]*">https://
description|<description>
EOF2
grep -q 'example\.' "$metainfo" "$desktop" "$manual" && fail "a placeholder domain is shipped"

# The manual page's header carries this version, and it names the logon entry after the id.
grep -q "^\.TH DIALOON 1 .*$version" "$manual" || fail "the manual page's header lacks version $version"
grep -q "autostart/$id\.desktop" "$manual" || fail "the manual page does not name the logon entry $id.desktop"

if ((failures)); then echo "$failures failed"; exit 1; fi
echo "desktop files: all checks passed"
