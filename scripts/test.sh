#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test: the native unit tests
# and the system tests of the real modules under Wine. Ends with one summary line.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh || { echo "tests: 0 passed, 1 failed (set-up)"; exit 1; }
bash scripts/build.sh || { echo "tests: 0 passed, 1 failed (build)"; exit 1; }

log=$(mktemp)
ctest --preset native 2>&1 | tee "$log"
native_rc=${PIPESTATUS[0]}
native_line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
native_total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$native_line")
native_failed=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$native_line")
[ -n "$native_total" ] || { native_total=0; native_failed=1; }

python3 tests/system/run.py --build-dir build/win32 2>&1 | tee "$log"
system_rc=${PIPESTATUS[0]}
system_line=$(grep -E '^system: [0-9]+ passed, [0-9]+ failed' "$log" | tail -n 1)
system_passed=$(sed -E 's/^system: ([0-9]+) passed.*/\1/' <<<"$system_line")
system_failed=$(sed -E 's/^system: [0-9]+ passed, ([0-9]+) failed.*/\1/' <<<"$system_line")
[ -n "$system_passed" ] || { system_passed=0; system_failed=1; }
rm -f "$log"

passed=$((native_total - native_failed + system_passed))
failed=$((native_failed + system_failed))
if [ "$native_rc" -ne 0 ] || [ "$system_rc" -ne 0 ]; then
    [ "$failed" -gt 0 ] || failed=1
fi
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
