#!/usr/bin/env bash
# Builds and tests the project on every target it must run on: x86-64 with gcc,
# x86-64 with clang under AddressSanitizer and UndefinedBehaviorSanitizer (so
# one build checks both clang's warnings and the sanitizers), 32-bit Intel and
# 32-bit big-endian PowerPC (both under qemu-user).
# Stops at the first target that fails. Ends with one line per target and a
# line "N passed, N failed" over all of them.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/install-deps.sh

# preset | what it is | byte order | pointer bits
targets=(
    "native|x86-64, gcc|little-endian|64"
    "sanitize|x86-64, clang, ASan+UBSan|little-endian|64"
    "i686|32-bit Intel, qemu-i386|little-endian|32"
    "ppc|32-bit PowerPC, qemu-ppc|big-endian|32"
)

total_passed=0
total_failed=0
total_skipped=0
summary=()

finish() {
    echo
    echo "==== summary"
    local line
    for line in "${summary[@]}"; do
        echo "$line"
    done
    if ((total_skipped > 0)); then
        echo "${total_passed} passed, ${total_failed} failed, ${total_skipped} skipped"
    else
        echo "${total_passed} passed, ${total_failed} failed"
    fi
}

# A configure or build that breaks counts as one failure: its tests never ran.
fail_target() {
    local preset="$1" description="$2" stage="$3" seconds="$4"
    summary+=("${preset} (${description}): FAILED at ${stage} after ${seconds} s")
    total_failed=$((total_failed + 1))
    finish
    exit 1
}

for entry in "${targets[@]}"; do
    IFS='|' read -r preset description byte_order pointer_bits <<<"$entry"
    echo
    echo "==== ${preset}: ${description}, ${byte_order}, ${pointer_bits}-bit pointers"
    started=$SECONDS

    cmake --preset "$preset" || fail_target "$preset" "$description" configure $((SECONDS - started))
    cmake --build --preset "$preset" -j 2 || fail_target "$preset" "$description" build $((SECONDS - started))

    log="build/${preset}/test-all-ctest.log"
    ctest_status=0
    ctest --preset "$preset" -j 2 2>&1 | tee "$log" || ctest_status=$?

    # "100% tests passed, 0 tests failed out of 6"
    count_line="$(grep -E '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)"
    if [[ -z "$count_line" ]]; then
        fail_target "$preset" "$description" "ctest (no test count)" $((SECONDS - started))
    fi
    failed="$(sed -E 's/.* ([0-9]+) tests failed out of.*/\1/' <<<"$count_line")"
    ran="$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$count_line")"
    skipped="$(grep -cE '^[[:space:]]*[0-9]+ - .*\(Skipped\)' "$log" || true)"
    passed=$((ran - failed - skipped))
    total_passed=$((total_passed + passed))
    total_failed=$((total_failed + failed))
    total_skipped=$((total_skipped + skipped))

    # The test program says what it ran on; it must be what was asked for.
    seen="$(grep -ohE 'target: [^,]+, [a-z]+-endian, [0-9]+-bit pointers' \
        "build/${preset}/Testing/Temporary/LastTest.log" | head -n 1 || true)"
    echo "---- ${preset} ran on ${seen:-an unreported target}"
    if [[ "$seen" != *", ${byte_order}, ${pointer_bits}-bit pointers" ]]; then
        echo "test-all: ${preset} should run ${byte_order} with ${pointer_bits}-bit pointers" >&2
        ctest_status=1
        total_failed=$((total_failed + 1))
    fi

    result="${passed} passed, ${failed} failed"
    if ((skipped > 0)); then
        result+=", ${skipped} skipped"
    fi
    summary+=("${preset} (${description}, ${byte_order}, ${pointer_bits}-bit pointers): ${result}, $((SECONDS - started)) s")
    if ((ctest_status != 0)); then
        finish
        exit 1
    fi
done

# The libFuzzer targets, 30 seconds each under the sanitizers (the fault
# sweep and the lifecycle fuzzer ran in every target's ctest above). Longer
# runs: scripts/fuzz-long.sh.
echo
echo "==== fuzz: libFuzzer targets, clang, ASan+UBSan"
started=$SECONDS
fuzz_log="build/fuzz-test-all.log"
mkdir -p build
fuzz_status=0
bash scripts/run-fuzzers.sh 30 2>&1 | tee "$fuzz_log" || fuzz_status=$?
fuzz_clean="$(grep -cE '^fuzz_[a-z_]+: [0-9]+ executions, 0 crash\(es\), 0 sanitizer report\(s\)' "$fuzz_log" || true)"
fuzz_runs="$(awk '/^fuzz_[a-z_]+: [0-9]+ executions/ { sum += $2 } END { print sum + 0 }' "$fuzz_log")"
if ((fuzz_status != 0)); then
    total_passed=$((total_passed + fuzz_clean))
    fail_target fuzz "libFuzzer targets" "a crash or a sanitizer report" $((SECONDS - started))
fi
total_passed=$((total_passed + fuzz_clean))
summary+=("fuzz (libFuzzer, clang, ASan+UBSan): ${fuzz_clean} targets clean, ${fuzz_runs} executions, $((SECONDS - started)) s")

finish
