#!/usr/bin/env bash
# Runs every benchmark, optimised, writes their JSON to build/bench/results/
# and turns it into docs/performance.md and docs/performance.png.
#
# Each benchmark sets our work against the least that must be done for the
# same work, measured side by side in the same run. Machines are often shared:
# the report uses CPU time, the median of five repetitions, run interleaved.
#
# SHUNT_BENCH_BUILD names another build folder (default build/bench, the
# `bench` preset's).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

build="${SHUNT_BENCH_BUILD:-build/bench}"
results="$build/results"

bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ \
    -DSHUNT_BUILD_BENCH=ON -DSHUNT_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target plugin_bench ops_bench unicode_bench svg_bench shunt-host ShuntPalette

mkdir -p "$results"
# What the report says about the machine, taken where the numbers are.
{
    echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "processors: $(nproc)"
    echo "cpu: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
    echo "memory: $(awk '/^MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)"
    echo "compiler: $(g++ --version | head -n 1)"
    echo "system: $(uname -sr)"
    echo "load before: $(cut -d ' ' -f 1-3 /proc/loadavg)"
} >"$results/machine.txt"

# Interleaved repetitions: a busy moment on the machine then falls on both
# sides of a comparison alike rather than on one series.
common=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true --benchmark_out_format=json
    --benchmark_enable_random_interleaving=true)
for program in plugin_bench unicode_bench svg_bench ops_bench; do
    echo "bench: $program"
    "$build/bench/$program" "${common[@]}" --benchmark_out="$results/$program.json"
done
# The page of `shunt-host serve` in headless Chromium, beside `shunt-host run`
# doing the same; skipped, and said so, where node or chromium is missing.
rm -f "$results/page_latency.json"
if command -v node >/dev/null && [[ -x "${SHUNT_CHROMIUM:-/usr/bin/chromium}" ]]; then
    echo "bench: page latency"
    if [[ ! -f tests/browser/node_modules/playwright-core/package.json ]]; then
        (cd tests/browser && npm ci --no-audit --no-fund --loglevel=error)
    fi
    SHUNT_HOST="$build/shunthost/shunt-host" SHUNT_PLUGINS="$build/ShuntPalette.bundle" \
        node bench/page_latency.mjs "$results/page_latency.json"
else
    echo "bench: page latency skipped: node or chromium is not installed"
fi
echo "load after: $(cut -d ' ' -f 1-3 /proc/loadavg)" >>"$results/machine.txt"

/usr/bin/python3 scripts/bench-report.py "$results" docs
