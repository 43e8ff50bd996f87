#!/usr/bin/env bash
# Every word of the course passes hunspell: German with de_DE, English with en_US, apart from the words
# in data/spelling-allowlist.txt.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
allow="$(mktemp)"
trap 'rm -f "$allow"' EXIT
sed -e 's/#.*//' -e 's/[[:space:]]*$//' -e '/^$/d' "$root/data/spelling-allowlist.txt" > "$allow"

# Without hunspell or a dictionary every word would look known: that is a failure, not a pass.
dictionaries="$(hunspell -D </dev/null 2>&1 || true)"
for dictionary in de_DE en_US; do
    if ! grep -q "/$dictionary\$" <<<"$dictionaries"; then
        echo "The spelling check needs hunspell with its $dictionary dictionary (bash scripts/setup.sh test)."
        exit 1
    fi
done

failed=0
check() { # dictionary field
    local unknown
    unknown="$(grep -h -v '^#' "$root"/data/course/lesson*.txt | cut -d'|' -f"$2" |
               hunspell -d "$1" -l | sort -u | grep -v -x -F -f "$allow" || true)"
    if [ -n "$unknown" ]; then
        echo "Words $1 does not know:"; echo "$unknown" | sed 's/^/  /'
        failed=1
    fi
}
check de_DE 2
check en_US 3
[ "$failed" -eq 0 ] && echo "The course passes the spelling check."
exit "$failed"
