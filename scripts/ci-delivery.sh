#!/usr/bin/env bash
# CI steps of delivery and hardening, after `make test` has built and tested the strict gcc build:
# the suite built with clang under ASan and UBSan (one build serves both: clang's view of the code and
# the sanitizers' findings), every fuzz target for FUZZ_SECONDS, the end-to-end tests as an ordinary
# user, and the Debian package: built, checked, installed, started offscreen in a network namespace of its
# own, and removed again. Root needed. The tests labelled "realpacing" (the instruments' real pauses,
# minutes each) run in the main suite only: under the sanitizers they would find nothing the shortened
# variations do not.
#
#   [BUILD_DIR=build] scripts/ci-delivery.sh [STEP...]
set -euo pipefail
cd "$(dirname "$0")/.."
export FUZZ_SECONDS="${FUZZ_SECONDS:-20}"
# The gcc build that `make test` has already built and tested: the package and the unprivileged run
# reuse it rather than building the whole tree once more.
readonly BUILD_DIR="${BUILD_DIR:-build}"
readonly SMOKE_SECONDS=5
readonly TIMED_OUT=124

timings=()
step() {
    local name="$1" started=$SECONDS
    shift
    echo "::: $name"
    "$@"
    timings+=("$(printf '%-28s %4d s' "$name" $((SECONDS - started)))")
}

package_checks() {
    make package BUILD_DIR="$BUILD_DIR"
    local deb
    deb="$(ls -t "$BUILD_DIR"/kestrion_*.deb | head -1)"
    echo "lintian $deb:"
    lintian --fail-on error "$deb"
    local staged
    staged="$(mktemp -d)"
    cmake --install "$BUILD_DIR" --prefix "$staged/usr" >/dev/null
    desktop-file-validate "$staged"/usr/share/applications/*.desktop
    appstreamcli validate --no-net "$staged"/usr/share/metainfo/*.metainfo.xml
    for size in 16 32 48 64 128 256; do
        file "$staged/usr/share/icons/hicolor/${size}x${size}/apps/"*.png | grep -q "PNG image data, $size x $size"
    done
    # Both programs, each with its manual page.
    local program
    for program in kestrion kestrion-cli; do
        if [ ! -x "$staged/usr/bin/$program" ] || [ ! -s "$staged/usr/share/man/man1/$program.1.gz" ]; then
            echo "ci-delivery: $program or its manual page is not installed" >&2
            return 1
        fi
    done
    rm -rf "$staged"
}

# The program must stay up; it sends nothing before the user asks, and in its own network
# namespace there is nothing it could reach anyway.
smoke_start_installed() {
    local deb home status=0
    deb="$(ls -t "$BUILD_DIR"/kestrion_*.deb | head -1)"
    # Without the recommended packages: the check is about what the package itself needs.
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "./$deb"
    # The command-line program starts without a display and without the window's libraries.
    env -i PATH=/usr/bin:/bin /usr/bin/kestrion-cli --version
    home="$(mktemp -d)"
    chown nobody:nogroup "$home"
    unshare --net -- setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all --bounding-set=-all \
        env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen \
        timeout "$SMOKE_SECONDS" /usr/bin/kestrion || status=$?
    # The main window writes the settings file while it is being built.
    local wrote_settings=0
    [ -s "$home/.config/Ostravi/Kestrion/kestrionConfig.ini" ] && wrote_settings=1
    rm -rf "$home"
    DEBIAN_FRONTEND=noninteractive apt-get purge -y kestrion
    if [ "$status" -ne "$TIMED_OUT" ]; then
        echo "ci-delivery: the installed kestrion ended with status $status within $SMOKE_SECONDS s" >&2
        return 1
    fi
    [ "$wrote_settings" -eq 1 ] || { echo "ci-delivery: the installed kestrion wrote no settings" >&2; return 1; }
    [ ! -e /usr/bin/kestrion ] || { echo "ci-delivery: /usr/bin/kestrion left behind" >&2; return 1; }
    echo "installed kestrion stayed up for $SMOKE_SECONDS s as nobody, without a network"
}

# With arguments, only the steps named: sanitize fuzz unprivileged package smoke.
wanted() { [ ${#selected[@]} -eq 0 ] || [[ " ${selected[*]} " == *" $1 "* ]]; }
selected=("$@")
started=$SECONDS
clang_sanitized_suite() {
    CXX=clang++ JOBS="$(nproc)" scripts/test-sanitize.sh -LE realpacing
}

wanted sanitize && step "clang sanitized suite" clang_sanitized_suite
wanted fuzz && step "fuzz (${FUZZ_SECONDS} s per target)" make fuzz
wanted unprivileged && step "e2e tests as nobody" make test-unprivileged BUILD_DIR="$BUILD_DIR"
wanted package && step "package checks" package_checks
wanted smoke && step "installed smoke start" smoke_start_installed
printf '%s\n' "${timings[@]}"
echo "ci-delivery: $((SECONDS - started)) s in all"
