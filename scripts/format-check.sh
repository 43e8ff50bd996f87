#!/usr/bin/env bash
# Checks every C++ file changed since the format gate came in, committed or not, against the project's
# .clang-format. Files nobody has touched since keep their layout until they are changed.
set -euo pipefail
cd "$(dirname "$0")/.."
base=a61e32a

if ! git rev-parse --verify -q "$base^{commit}" >/dev/null 2>&1; then
    echo "The format check needs the repository's history; skipped."
    exit 0
fi
mapfile -t changed < <({ git diff --name-only --diff-filter=d "$base" -- '*.cpp' '*.h'
                         git ls-files --others --exclude-standard -- '*.cpp' '*.h'; } | sort -u)
unformatted=()
for file in "${changed[@]}"; do
    [ -f "$file" ] || continue
    clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if [ "${#unformatted[@]}" -gt 0 ]; then
    echo "These changed files are not laid out as .clang-format says (run clang-format -i on them):"
    printf '  %s\n' "${unformatted[@]}"
    exit 1
fi
echo "The ${#changed[@]} changed C++ files are laid out as .clang-format says."
