#!/usr/bin/env bash
# The long robustness run, beyond what the test command does: the lifecycle
# fuzzer for SESSIONS sessions of up to 80 steps (default 200000) in two
# processes, and every libFuzzer target for SECONDS seconds (default 600),
# all under AddressSanitizer and UndefinedBehaviorSanitizer. The lifecycle
# fuzzer starts from a fresh seed, which it prints; SHUNT_FUZZ_SEED=N runs
# the same sessions again. A failing session prints its own seed and the
# command that replays it alone.
#
#   bash scripts/fuzz-long.sh [SECONDS] [SESSIONS]
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds="${1:-600}"
sessions="${2:-200000}"
seed="${SHUNT_FUZZ_SEED:-$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')}"

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j 2 --target shunt-lifecycle-fuzz
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

fuzzer=build/sanitize/tests/robustness/shunt-lifecycle-fuzz
started=$SECONDS
status=0
"$fuzzer" --seed "$seed" --sessions $((sessions / 2)) --max-steps 80 >build/sanitize/fuzz-long-0.log 2>&1 &
first=$!
"$fuzzer" --seed $((seed + 1)) --sessions $((sessions - sessions / 2)) --max-steps 80 \
    >build/sanitize/fuzz-long-1.log 2>&1 || status=1
wait "$first" || status=1
cat build/sanitize/fuzz-long-0.log build/sanitize/fuzz-long-1.log
echo "lifecycle fuzz: $((SECONDS - started)) s"

bash scripts/run-fuzzers.sh "$seconds" || status=1
exit "$status"
