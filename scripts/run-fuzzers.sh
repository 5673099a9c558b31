#!/usr/bin/env bash
# Runs each libFuzzer target (fuzz/) for SECONDS seconds under AddressSanitizer
# and UndefinedBehaviorSanitizer, two at a time, starting from its corpus in
# fuzz/corpus/ (which it reads and never writes), and prints per target the
# executions, the crashes and sanitizer reports, and the time it ran.
# Exits 1 when any target found something; the input that did it is kept as
# BUILD_DIR/fuzz-run/TARGET-crash-*.
#
#   bash scripts/run-fuzzers.sh [SECONDS] [BUILD_DIR]     (defaults: 30, build/fuzz)
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds="${1:-30}"
build="${2:-build/fuzz}"
targets=(svg_reader scenario_parser preference_file resources string_utils)

if [[ "$build" == build/fuzz ]]; then
    cmake --preset fuzz >/dev/null
else
    cmake --preset fuzz -B "$build" >/dev/null
fi
cmake --build "$build" -j 2 --target shunt_fuzzers

work="$build/fuzz-run"
rm -rf "$work"
mkdir -p "$work"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

run_one() {
    local target="$1" seconds="$2" build="$3" work="$4"
    mkdir -p "$work/$target-corpus"
    local started=$SECONDS status=0
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
        -rss_limit_mb=2048 -artifact_prefix="$work/$target-" \
        "$work/$target-corpus" "fuzz/corpus/$target" >"$work/$target.log" 2>&1 || status=$?
    echo "$status $((SECONDS - started))" >"$work/$target.status"
}
export -f run_one
printf '%s\n' "${targets[@]}" | xargs -P 2 -I{} bash -c 'run_one "$@"' _ {} "$seconds" "$build" "$work"

failed=0
echo
echo "==== libFuzzer, ${seconds} s per target"
for target in "${targets[@]}"; do
    read -r status took <"$work/$target.status"
    runs="$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$work/$target.log" | grep -oE '[0-9]+$' || echo 0)"
    reports="$(grep -cE '^==[0-9]+==ERROR|runtime error:|deadly signal|ERROR: libFuzzer' "$work/$target.log" || true)"
    crashes="$(find "$work" -maxdepth 1 -name "$target-*" -type f | wc -l)"
    echo "fuzz_${target}: ${runs} executions, ${crashes} crash(es), ${reports} sanitizer report(s), ${took} s"
    if ((status != 0 || crashes != 0 || reports != 0)); then
        failed=1
        echo "---- fuzz_${target} (exit ${status}), from ${work}/${target}.log:"
        tail -n 40 "$work/$target.log"
    fi
done
exit "$failed"
