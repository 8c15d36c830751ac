#!/usr/bin/env bash
# Configures and builds the four trees: build/native (portable code, unit tests,
# benchmarks, kx_replay), build/sanitize (the same tests and the fuzzers under
# AddressSanitizer and UndefinedBehaviorSanitizer, with clang), build/win32 and
# build/win64 (the plug-in modules and our Windows tools, 32- and 64-bit).
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in native sanitize win32 win64; do
    [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
