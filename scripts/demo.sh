#!/usr/bin/env bash
# Shows Kestrion against a sample simulated lab, inside the namespace harness.
# With a display the window opens there; without one it runs under Xvfb, scans,
# selects the first device and saves a screenshot (docs/screenshot.png, or the
# path in DEMO_SCREENSHOT).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
lab=$root/scripts/demo-lab.json
shot=${DEMO_SCREENSHOT:-$root/docs/screenshot.png}
app=$build/src/kestrion

readonly logo_wait_s=3      # the logo page shows for two seconds
readonly scan_wait_s=4      # a scan, the motor-driver query included
readonly x_start_wait_s=10  # bounded waits on the X server and the window
readonly screen=1280x720x24

inside_with_display() {
    exec "$app"
}

free_display() {
    for n in $(seq 90 140); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            echo "$n"
            return 0
        fi
    done
    echo "demo: no free X display number" >&2
    return 1
}

# Started here, ended here by their own ids.
xvfb_pid=""
app_pid=""
demo_home=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$demo_home" ] && rm -rf "$demo_home"
    return 0
}

inside_with_xvfb() {
    local n wid
    n=$(free_display)
    demo_home=$(mktemp -d)
    trap cleanup EXIT
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq $((x_start_wait_s * 10))); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    export DISPLAY=":$n"
    # A private home: own settings, and no question about older installations.
    HOME=$demo_home XDG_CONFIG_HOME=$demo_home/.config "$app" >/dev/null 2>&1 &
    app_pid=$!
    wid=$(timeout "$x_start_wait_s" xdotool search --sync --name '^Kestrion$' | head -n 1)
    [ -n "$wid" ] || { echo "demo: the window did not appear" >&2; return 1; }
    sleep "$logo_wait_s"
    xdotool windowfocus --sync "$wid"
    xdotool key space
    sleep "$scan_wait_s"
    # The first row of the device table, then the first column header to sort by group.
    xdotool mousemove --sync 420 175 click 1
    sleep 1
    mkdir -p "$(dirname "$shot")"
    import -display ":$n" -window root "$shot"
    echo "demo: screenshot saved to $shot"
}

case "${1:-}" in
--inside-display) inside_with_display ;;
--inside-xvfb) inside_with_xvfb ;;
*)
    cmake --build "$build" -j2 --target kestrion kestrion-sim
    mode=--inside-xvfb
    [ -n "${DISPLAY:-}" ] && mode=--inside-display
    exec "$root/scripts/netns-lab.sh" --sim "$build/sim/kestrion-sim" --lab "$lab" -- "$0" "$mode"
    ;;
esac
