#!/usr/bin/env bash
# Runs every end-to-end test (ctest label e2e, but those labelled realpacing) as an ordinary user without any capability: the
# namespace harness sets up the lab as root, then the test, and the program code in it, runs as
# "nobody". Passing shows that scanning, configuring and upgrading need no root.
#
#   scripts/test-unprivileged.sh [BUILD_DIR]        (default: build; root needed for the harness)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
user="${UNPRIVILEGED_USER:-nobody}"
[ "$(id -u)" -eq 0 ] || { echo "test-unprivileged: the namespace harness needs root" >&2; exit 2; }
group="$(id -gn "$user")"

# The test's home, temporary files and the simulator's log must be the user's to read and write.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"

# The real-pacing runs only take longer as another user; the shortened variations show the same.
mapfile -t tests < <(cd "$build" && ctest -N -L e2e -LE realpacing --show-only=json-v1 | /usr/bin/python3 -c '
import json, sys
for test in json.load(sys.stdin)["tests"]:
    print("\t".join([test["name"]] + test["command"]))')
[ ${#tests[@]} -gt 0 ] || { echo "test-unprivileged: no e2e tests in $build" >&2; exit 2; }

failed=()
for line in "${tests[@]}"; do
    IFS=$'\t' read -r -a fields <<<"$line"
    name="${fields[0]}"
    command=("${fields[@]:1}")
    # The harness command ends in "-- TEST"; the test is run through setpriv instead.
    separator=-1
    for i in "${!command[@]}"; do [ "${command[$i]}" = "--" ] && separator=$i; done
    [ "$separator" -gt 0 ] || { echo "test-unprivileged: $name does not run through the harness" >&2; exit 2; }
    home="$work/$name"
    mkdir -p "$home" && chown "$user:$group" "$home"
    : >"$work/$name.sim.log" && chmod 644 "$work/$name.sim.log"
    echo "== $name as $user"
    if (cd "$build" && "${command[@]:0:$separator}" --log "$work/$name.sim.log" -- \
        setpriv --reuid="$user" --regid="$group" --clear-groups --inh-caps=-all --bounding-set=-all \
        env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home" TMPDIR="$home" \
        QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='qt.qpa.*=false' "${command[@]:$((separator + 1))}" \
        >"$work/$name.out" 2>&1); then
        grep -E '^Totals' "$work/$name.out" || true
    else
        cat "$work/$name.out"
        failed+=("$name")
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "test-unprivileged: failed as $user: ${failed[*]}" >&2
    exit 1
fi
