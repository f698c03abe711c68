#!/usr/bin/env bash
# Starts the real program on Wayland: a headless weston of its own, the sample simulated lab of
# scripts/demo-lab.json and kestrion --scan, all inside the namespace harness (root needed). It passes
# when the program is still running after a while, its scan found the lab's units, it closes on SIGTERM
# after saving its window geometry, and a second start, which restores that geometry (on Wayland only the
# size), comes up too.
#
#   scripts/wayland-smoke.sh [BUILD_DIR]      (default: build; Qt 5 or Qt 6, whichever it was built with)
#
# Needs weston and the Qt Wayland platform plugin of the build's Qt (qtwayland5 or qt6-wayland).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
readonly socket_name=kestrion-smoke
readonly compositor_wait_s=10 # bounded wait for weston's socket
readonly run_s=10             # the logo page, the scan and its follow-up queries, with room to spare
readonly restart_s=4          # the second start only has to come up
readonly stop_wait_s=10       # for the window to close after SIGTERM
readonly expected_devices=10  # every unit of scripts/demo-lab.json

die() {
    echo "wayland-smoke: $*" >&2
    exit 1
}

# Inside the tool namespace of netns-lab.sh: weston, then the program, both started and ended here.
weston_pid=""
app_pid=""
runtime_dir=""
inside_cleanup() {
    if [ -n "$app_pid" ]; then
        kill "$app_pid" 2>/dev/null
        wait "$app_pid" 2>/dev/null
    fi
    if [ -n "$weston_pid" ]; then
        kill "$weston_pid" 2>/dev/null
        wait "$weston_pid" 2>/dev/null
    fi
    [ -n "$runtime_dir" ] && rm -rf "$runtime_dir"
    return 0
}

start_weston() {
    # A private runtime directory (mode 0700, as Wayland wants it) holds the socket; nothing of the
    # machine's own session is used or touched.
    runtime_dir=$(mktemp -d "${TMPDIR:-/tmp}/wayland-smoke.XXXXXX")
    export XDG_RUNTIME_DIR=$runtime_dir
    weston --backend=headless-backend.so --use-pixman --width=1280 --height=800 --idle-time=0 \
        --socket="$socket_name" --log="$work/weston.log" &
    weston_pid=$!
    local deadline=$((SECONDS + compositor_wait_s))
    until [ -S "$runtime_dir/$socket_name" ]; do
        kill -0 "$weston_pid" 2>/dev/null || { weston_pid=""; cat "$work/weston.log" >&2; die "weston stopped at start"; }
        [ "$SECONDS" -lt "$deadline" ] || die "weston's socket did not appear within ${compositor_wait_s} s"
        sleep 0.1
    done
    echo "wayland-smoke: weston is up (headless, socket $socket_name)"
}

# Starts the program in the background on the Wayland display with a private home.
start_app() {
    HOME=$work/home XDG_CONFIG_HOME=$work/home/.config QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=$socket_name \
        "$app" "$@" >>"$work/kestrion.log" 2>&1 &
    app_pid=$!
}

# SIGTERM closes the window as the user would; the program must end by itself, with status 0.
stop_app() {
    kill -TERM "$app_pid"
    local status=0
    timeout "$stop_wait_s" tail --pid="$app_pid" -f /dev/null || die "kestrion did not end within ${stop_wait_s} s of SIGTERM"
    wait "$app_pid" || status=$?
    app_pid=""
    [ "$status" -eq 0 ] || die "kestrion ended with status $status after SIGTERM"
}

still_running_after() {
    sleep "$1"
    if ! kill -0 "$app_pid" 2>/dev/null; then
        app_pid=""
        cat "$work/kestrion.log" >&2
        die "kestrion ended within $1 s on Wayland"
    fi
}

inside() {
    app=$1
    work=$2
    trap inside_cleanup EXIT
    mkdir -p "$work/home"
    start_weston
    start_app --scan
    still_running_after "$run_s"
    echo "wayland-smoke: kestrion ran ${run_s} s on Wayland"
    # --scan prints the status bar's summary once the scan is over.
    local summary
    summary=$(grep -E '[0-9]+ devices found' "$work/kestrion.log" | tail -n 1)
    [ -n "$summary" ] || { cat "$work/kestrion.log" >&2; die "no scan summary from kestrion"; }
    echo "wayland-smoke: $summary"
    [[ "$summary" == "$expected_devices devices found"* ]] || die "expected $expected_devices devices from the lab"
    stop_app
    local settings=$work/home/.config/Ostravi/Kestrion/kestrionConfig.ini
    local saved
    saved=$(grep '^geometry=' "$settings") || die "kestrion saved no window geometry in $settings"
    start_app
    still_running_after "$restart_s"
    stop_app
    # The second run saves what the first one did: the size does not creep by the decorations' margins.
    [ "$(grep '^geometry=' "$settings")" = "$saved" ] || die "the restarted window did not keep the saved geometry"
    echo "wayland-smoke: kestrion restarted with the geometry it saved and closed again"
}

# The simulator's log, read after the run: the discovery query heard on the lab side, and the TCP query that
# the program sends to the motor driver behind a Lantronix module once it has decoded the module's answer.
check_lab_log() {
    local log=$1
    grep -q '"proto":"udp"' "$log" || die "the simulated lab heard no discovery query"
    grep -q '"unit":"xport-driver"' "$log" || die "kestrion did not query the motor driver behind xport-driver"
    echo "wayland-smoke: the scan reached the lab and kestrion queried the motor driver it found"
}

case "${1:-}" in
--inside)
    inside "$2" "$3"
    ;;
*)
    build=${1:-$root/build}
    build=$(cd "$build" && pwd)
    [ -x "$build/src/kestrion" ] && [ -x "$build/sim/kestrion-sim" ] || die "no kestrion and kestrion-sim in $build"
    command -v weston >/dev/null || die "weston is missing"
    lab=$root/scripts/demo-lab.json
    outer_work=$(mktemp -d "${TMPDIR:-/tmp}/wayland-smoke.XXXXXX")
    trap 'rm -rf "$outer_work"' EXIT
    # Readable by the program whoever it runs as; the harness ends everything it started in the namespaces.
    chmod 755 "$outer_work"
    status=0
    "$root/scripts/netns-lab.sh" --sim "$build/sim/kestrion-sim" --lab "$lab" --log "$outer_work/sim.log" \
        -- "$0" --inside "$build/src/kestrion" "$outer_work" || status=$?
    if [ "$status" -ne 0 ]; then
        for log in kestrion.log weston.log; do
            [ -s "$outer_work/$log" ] && { echo "--- $log" >&2; tail -n 40 "$outer_work/$log" >&2; }
        done
        exit "$status"
    fi
    check_lab_log "$outer_work/sim.log"
    ;;
esac
