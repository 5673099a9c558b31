#!/usr/bin/env bash
# Prints the robustness figures of the last `scripts/test-all.sh` run as the
# Markdown table of the README's reliability section: the fault sweep and the
# lifecycle fuzzer as they ran under the sanitizers, and the libFuzzer
# targets. Reads the logs that run left; builds and runs nothing.
#
#   bash scripts/reliability-figures.sh [TREE]      (default: this tree)
set -euo pipefail

tree="${1:-$(dirname "${BASH_SOURCE[0]}")/..}"
tests="$tree/build/sanitize/Testing/Temporary/LastTest.log"
fuzz="$tree/build/fuzz-test-all.log"
for log in "$tests" "$fuzz"; do
    if [[ ! -f "$log" ]]; then
        echo "reliability-figures: no $log; run scripts/test-all.sh first" >&2
        exit 2
    fi
done

echo "| what | ran | found | time |"
echo "|---|---|---|---:|"

# "fault sweep ArrowButtons: 136 host calls made to fail in turn, 0 run(s) with a problem, 0.58 s"
awk '
/^fault sweep [A-Za-z]+: [0-9]+ host calls made to fail in turn/ {
    scenarios += 1; calls += $4; problems += $(NF - 6); seconds += $(NF - 1)
}
END {
    if (scenarios == 0) { print "reliability-figures: the sweep printed nothing" > "/dev/stderr"; exit 1 }
    printf "| fault sweep | %d scenarios, %d runs each with one host call failing | %d runs with a problem | %.1f s |\n",
        scenarios, calls, problems, seconds
}' "$tests"

# "lifecycle fuzz: 2500 sessions, 42238 steps (13226 clicks and popup choices checked
#  against the oracle), 2289 host failures injected, 0 failed, 24.7984 s"
awk '
/^lifecycle fuzz: [0-9]+ sessions, [0-9]+ steps/ {
    parts += 1; sessions += $3; steps += $5; checked += substr($7, 2); faults += $(NF - 7)
    failed += $(NF - 3); if ($(NF - 1) > longest) longest = $(NF - 1)
}
END {
    if (parts == 0) { print "reliability-figures: the lifecycle fuzzer printed nothing" > "/dev/stderr"; exit 1 }
    printf "| lifecycle fuzzer | %d sessions, %d steps, %d clicks and popup choices checked, %d host failures injected | %d failed sessions | %.0f s each of %d parts |\n",
        sessions, steps, checked, faults, failed, longest, parts
}' "$tests"

# "fuzz_svg_reader: 503057 executions, 0 crash(es), 0 sanitizer report(s), 31 s"
awk '
/^fuzz_[a-z_]+: [0-9]+ executions/ {
    name = $1; sub(/:$/, "", name)
    printf "| libFuzzer `%s` | %d executions | %d crashes, %d sanitizer reports | %d s |\n", name, $2, $4, $6, $(NF - 1)
}' "$fuzz"

# The sanitizers stop a test at their first report: a clean ctest run has none.
reports="$(grep -cE '^==[0-9]+==ERROR|runtime error:' "$tests" || true)"
echo
echo "Sanitizer reports in the tests' output: ${reports}."
