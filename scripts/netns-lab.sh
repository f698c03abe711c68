#!/usr/bin/env bash
# Runs COMMAND in a private tool namespace joined by veth pairs to a lab namespace that hosts the
# simulated instruments of a lab file. Nothing is created in the host's own namespace.
#
#   netns-lab.sh --sim BIN --lab FILE [--log FILE] -- COMMAND [ARGS...]
#
# Exit status: COMMAND's, or 2 when the lab cannot be set up.
set -u

readonly READY_TIMEOUT_S=10
readonly NS_PREFIX_TOOL="kt"
readonly NS_PREFIX_LAB="kl"

die() {
    echo "netns-lab: $*" >&2
    exit 2
}

usage() {
    echo "usage: $0 --sim BIN --lab FILE [--log FILE] -- COMMAND [ARGS...]" >&2
    exit 2
}

sim="" lab="" log=""
while [ $# -gt 0 ]; do
    case "$1" in
    --sim) [ $# -ge 2 ] || usage; sim="$2"; shift 2 ;;
    --lab) [ $# -ge 2 ] || usage; lab="$2"; shift 2 ;;
    --log) [ $# -ge 2 ] || usage; log="$2"; shift 2 ;;
    --) shift; break ;;
    *) usage ;;
    esac
done
[ -n "$sim" ] && [ -n "$lab" ] && [ $# -gt 0 ] || usage
[ -x "$sim" ] || die "simulator '$sim' is not an executable"
[ -r "$lab" ] || die "lab file '$lab' cannot be read"
lab="$(cd "$(dirname "$lab")" && pwd)/$(basename "$lab")"
sim="$(cd "$(dirname "$sim")" && pwd)/$(basename "$sim")"

[ "$(id -u)" -eq 0 ] || die "network namespaces need root; refusing to run without them"
command -v ip >/dev/null || die "the 'ip' tool (iproute2) is missing"

# Namespaces of a harness that was killed outright (no trap ran) carry its dead PID: remove them.
reap_stale() {
    local ns pid
    for ns in $(ip netns list 2>/dev/null | awk '{print $1}'); do
        case "$ns" in
        "$NS_PREFIX_TOOL"-*-* | "$NS_PREFIX_LAB"-*-*) ;;
        *) continue ;;
        esac
        pid="${ns#*-}"
        pid="${pid%%-*}"
        case "$pid" in '' | *[!0-9]*) continue ;; esac
        [ -d "/proc/$pid" ] || ip netns delete "$ns" 2>/dev/null
    done
}

links="$("$sim" --lab "$lab" --links)" || die "the lab file '$lab' is not valid"

run_id="$$-$(printf '%05d' $((RANDOM % 100000)))"
tool_ns="$NS_PREFIX_TOOL-$run_id"
lab_ns="$NS_PREFIX_LAB-$run_id"
work_dir="$(mktemp -d "${TMPDIR:-/tmp}/netns-lab.XXXXXX")" || die "cannot create a temporary directory"
keep_log=0
if [ -z "$log" ]; then
    log="$work_dir/sim.log"
    own_log=1
else
    own_log=0
    : >"$log" || die "cannot write the log '$log'"
    log="$(cd "$(dirname "$log")" && pwd)/$(basename "$log")"
fi
sim_pid=""
command_pid=""

teardown() {
    trap - EXIT INT TERM HUP
    [ -n "$command_pid" ] && kill -TERM "$command_pid" 2>/dev/null
    if [ -n "$sim_pid" ]; then
        kill -TERM "$sim_pid" 2>/dev/null
        wait "$sim_pid" 2>/dev/null
    fi
    ip netns delete "$tool_ns" 2>/dev/null
    ip netns delete "$lab_ns" 2>/dev/null
    if [ "$own_log" -eq 1 ] && [ "$keep_log" -eq 1 ]; then
        local kept="${TMPDIR:-/tmp}/netns-lab-$run_id.log"
        mv "$log" "$kept" 2>/dev/null && echo "netns-lab: simulator log kept in $kept" >&2
    fi
    rm -rf "$work_dir"
}
on_signal() {
    keep_log=1
    teardown
    exit $((128 + $1))
}
trap teardown EXIT
trap 'on_signal 2' INT
trap 'on_signal 15' TERM
trap 'on_signal 1' HUP

reap_stale
ip netns add "$tool_ns" 2>/dev/null || die "cannot create network namespaces (ip netns add failed)"
ip netns add "$lab_ns" 2>/dev/null || die "cannot create network namespaces (ip netns add failed)"
ip -n "$tool_ns" link set lo up && ip -n "$lab_ns" link set lo up || die "cannot bring up loopback"

while read -r name tool_ip lab_ip prefix; do
    [ -n "$name" ] || continue
    # Both ends are born inside their namespaces, so the host never sees them.
    ip link add "$name" netns "$tool_ns" type veth peer name "$name" netns "$lab_ns" ||
        die "cannot create the veth pair for link $name"
    ip -n "$tool_ns" addr add "$tool_ip/$prefix" dev "$name" &&
        ip -n "$lab_ns" addr add "$lab_ip/$prefix" dev "$name" &&
        ip -n "$tool_ns" link set "$name" up &&
        ip -n "$lab_ns" link set "$name" up || die "cannot configure link $name"
done <<<"$links"

ready="$work_dir/ready"
ip netns exec "$lab_ns" "$sim" --lab "$lab" --log "$log" --ready "$ready" &
sim_pid=$!
deadline=$((SECONDS + READY_TIMEOUT_S))
until [ -e "$ready" ]; do
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        keep_log=1
        sim_pid=""
        die "the simulator stopped before it was ready"
    fi
    if [ "$SECONDS" -ge "$deadline" ]; then
        keep_log=1
        die "the simulator was not ready within ${READY_TIMEOUT_S} s"
    fi
    sleep 0.02
done

export KESTRION_LAB="$lab" KESTRION_SIM_LOG="$log" KESTRION_TOOL_NS="$tool_ns" KESTRION_LAB_NS="$lab_ns"
# In the background so that a signal reaches the trap at once instead of after COMMAND ends.
ip netns exec "$tool_ns" "$@" &
command_pid=$!
wait "$command_pid"
status=$?
command_pid=""
[ "$status" -eq 0 ] || keep_log=1
exit "$status"
