#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, ASan and UBSan in build-fuzz, then runs each
# for FUZZ_SECONDS (default 60) and prints one line of figures per target.
#
#   scripts/fuzz.sh [TARGET...]        FUZZ_SECONDS=600 scripts/fuzz.sh fuzz_json_answer
#
# Corpora grow in build-fuzz/corpus/<target> (the seeds of fuzz/corpus stay as they are); a crash
# input lands in build-fuzz/artifacts/<target>/. Exit status 1 when any target found something.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${FUZZ_SECONDS:-60}"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
jobs="${JOBS:-$(nproc)}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DKESTRION_FUZZ=ON >/dev/null
cmake --build "$build" --target fuzzers -j "$jobs"

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

# The file-reading targets write their input for every run: on tmpfs when there is one.
scratch="$(mktemp -d "$( [ -w /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")/kestrion-fuzz.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
export TMPDIR="$scratch"

failed=0
summary=()
while read -r name executable seeds; do
    [ -n "$name" ] || continue
    if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then
        continue
    fi
    corpus="$build/corpus/$name"
    artifacts="$build/artifacts/$name"
    log="$build/logs/$name.log"
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
    echo "== $name: ${seconds} s"
    # A target may come without seeds of its own.
    corpora=("$corpus")
    [ -d "$seeds" ] && corpora+=("$seeds")
    status=0
    "$executable" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "${corpora[@]}" >"$log" 2>&1 || status=$?
    done_line="$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)"
    [ -n "$done_line" ] || done_line="$(grep -E '^#[0-9]+' "$log" | tail -1 || true)"
    rate="$(sed -n 's/^stat::average_exec_per_sec:[[:space:]]*//p' "$log")"
    runs="$(sed -n 's/^stat::number_of_executed_units:[[:space:]]*//p' "$log")"
    cov="$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$done_line")"
    ft="$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$done_line")"
    corp="$(sed -n 's/.* corp: \([0-9]*\/[0-9a-zA-Z]*\).*/\1/p' <<<"$done_line")"
    if [ "$status" -eq 0 ]; then
        verdict="no findings"
    else
        verdict="FINDING (exit $status), see $log and $artifacts"
        failed=1
        grep -E 'ERROR|runtime error|check failed|SUMMARY' "$log" | head -5 >&2 || true
    fi
    summary+=("$(printf '%-24s %9s runs %6s exec/s  cov %5s  ft %6s  corpus %-12s %s' \
        "$name" "${runs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}" "$verdict")")
done <"$build/fuzz/fuzzers.txt"

printf '%s\n' "${summary[@]}"
exit "$failed"
