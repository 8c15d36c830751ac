#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test: the native unit tests
# (plain, then under AddressSanitizer and UndefinedBehaviorSanitizer), each fuzzer for a
# bounded time, and the system tests of the real modules under Wine, against the 64-bit build always and
# against the 32-bit build where this machine runs 32-bit Wine (a plain line says when
# it does not). Prints how long each part took and ends with one summary line.
set -uo pipefail
cd "$(dirname "$0")/.."

passed=0
failed=0
times=()
clock() { date +%s; }
took() { times+=("$1 $(( $(clock) - $2 )) s"); }

t=$(clock)
bash scripts/setup.sh || { echo "tests: 0 passed, 1 failed (set-up)"; exit 1; }
took setup "$t"
t=$(clock)
bash scripts/build.sh || { echo "tests: 0 passed, 1 failed (build)"; exit 1; }
took build "$t"

log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Adds one part's counts: a part that printed no count, or exited non-zero with no
# failure counted, counts as one failure.
add() {
    local p=$1 f=$2 rc=$3
    if [ -z "$p" ]; then p=0; f=1; fi
    [ "$rc" -eq 0 ] || [ "$f" -gt 0 ] || f=1
    passed=$((passed + p))
    failed=$((failed + f))
    last_passed=$p
    last_failed=$f
}

# The counts of a "WORD: N passed, M failed" line in the log, as "N M".
counts() {
    sed -nE "s/^$1: ([0-9]+) passed, ([0-9]+) failed.*/\1 \2/p" "$log" | tail -n 1
}

# One ctest run: counts its summary line.
native() {
    local preset=$1 t rc line total bad
    t=$(clock)
    ctest --preset "$preset" 2>&1 | tee "$log"
    rc=${PIPESTATUS[0]}
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    total=$(sed -nE 's/.*out of ([0-9]+).*/\1/p' <<<"$line")
    bad=$(sed -nE 's/.* ([0-9]+) tests? failed.*/\1/p' <<<"$line")
    add "${total:+$((total - bad))}" "$bad" "$rc"
    took "$preset" "$t"
    if [ "$preset" = sanitize ]; then
        echo "sanitizers: the native tests under AddressSanitizer and UndefinedBehaviorSanitizer: $last_passed passed, $last_failed failed"
    fi
}
native native
native sanitize

t=$(clock)
bash scripts/fuzz.sh "${KX_FUZZ_SECONDS:-20}" 2>&1 | tee "$log"
rc=${PIPESTATUS[0]}
read -r p f <<<"$(counts fuzz)"
add "$p" "$f" "$rc"
took fuzz "$t"

# One system run: counts its summary line, or relays its skip line.
system() {
    local width=$1 t rc p f
    t=$(clock)
    python3 tests/system/run.py --build-dir "build/win$width" 2>&1 | tee "$log"
    rc=${PIPESTATUS[0]}
    if grep -qE '^system: skipped the 32-bit system tests: ' "$log" && [ "$width" = 32 ] && [ "$rc" -eq 0 ]; then
        took "system-$width (skipped)" "$t"
        return
    fi
    read -r p f <<<"$(counts system)"
    add "$p" "$f" "$rc"
    took "system-$width" "$t"
}
system 64
system 32

echo "time: ${times[*]/%/;}" | sed 's/; *$//'
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
