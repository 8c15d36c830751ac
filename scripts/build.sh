#!/usr/bin/env bash
# Configures and builds both trees: build/native (portable code and unit tests) and
# build/win32 (the plug-in modules and our Windows tools).
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in native win32; do
    [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
