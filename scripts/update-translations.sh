#!/usr/bin/env bash
# Refreshes translations/kestrion_*.ts from the window's sources with lupdate (make translations).
# The command-line companion speaks English only, for scripts that read its output, so src/cli is
# left out. Obsolete entries are dropped and no source locations are kept, so a refresh changes the
# files only when a text changed.
#
#   scripts/update-translations.sh            refresh the files in translations/
#   scripts/update-translations.sh --check    fail, naming the file, when a refresh would change one
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

lupdate="$(command -v lupdate || true)"
[ -n "$lupdate" ] || { echo "lupdate not found: install qttools5-dev-tools (make deps)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Headers first, so that lupdate knows every class before it reads the members' definitions.
{
    find src -path src/cli -prune -o -name '*.h' -print | sort
    find src -path src/cli -prune -o \( -name '*.cpp' -o -name '*.ui' \) -print | sort
} > "$work/sources"

status=0
for ts in translations/kestrion_*.ts; do
    target="$ts"
    if [ "${1:-}" = "--check" ]; then
        target="$work/$(basename "$ts")"
        cp "$ts" "$target"
    fi
    "$lupdate" -silent -I src -no-obsolete -locations none "@$work/sources" -ts "$target"
    if [ "${1:-}" = "--check" ] && ! cmp -s "$ts" "$target"; then
        echo "$ts is not in step with the sources; run make translations and translate what is new:" >&2
        diff -u "$ts" "$target" | head -40 >&2 || true
        status=1
    fi
done
exit $status
