#!/usr/bin/env bash
# Runs each fuzzer of build/sanitize/fuzz over its seed corpus (tests/fuzz/corpus/<name>,
# which also keeps every input that once failed) for a bounded time, and fails on a crash,
# a sanitizer report or a leak. One line per fuzzer, then "fuzz: N passed, M failed".
#   bash scripts/fuzz.sh [SECONDS] [NAME...]     (SECONDS defaults to 20)
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
bin=build/sanitize/fuzz
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for f in "$bin"/fuzz_*; do names+=("$(basename "$f")"); done
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
for name in "${names[@]}"; do
    name=${name#fuzz_}
    exe="$bin/fuzz_$name"
    if [ ! -x "$exe" ]; then
        echo "fuzz: $name FAILED: $exe not built (cmake --preset sanitize && cmake --build --preset sanitize)"
        failed=$((failed + 1))
        continue
    fi
    # The run grows a scratch copy; the repository's corpus stays as committed.
    corpus="$work/$name"
    mkdir -p "$corpus"
    [ -d "tests/fuzz/corpus/$name" ] && cp -r "tests/fuzz/corpus/$name/." "$corpus/"
    log="$work/$name.log"
    (cd "$work" && timeout -k 10 $((seconds + 60)) "$OLDPWD/$exe" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -artifact_prefix="$work/$name-" -print_final_stats=1 "$corpus" >"$log" 2>&1)
    rc=$?
    execs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$log" | tail -n 1)
    rate=$(sed -nE 's/.*exec\/s: ([0-9]+).*/\1/p' "$log" | tail -n 1)
    if [ "$rc" -eq 0 ]; then
        echo "fuzz: $name ok (${execs:-?} runs, ${rate:-?} exec/s, ${seconds} s)"
        passed=$((passed + 1))
    else
        echo "fuzz: $name FAILED (exit $rc); its log:"
        grep -E 'ERROR|SUMMARY|invariant broken|runtime error|#[0-9]+ 0x' "$log" | head -n 25 | sed 's/^/    /'
        for a in "$work/$name"-*; do
            [ -f "$a" ] || continue
            mkdir -p out/fuzz && cp "$a" out/fuzz/ && echo "    failing input kept in out/fuzz/$(basename "$a")"
        done
        failed=$((failed + 1))
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
