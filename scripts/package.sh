#!/usr/bin/env bash
# Writes the user packages: dist/kestrix-filters-<version>-win32.zip and -win64.zip, each
# holding the modules of that width and a plain-text install note. Builds first.
#   bash scripts/package.sh [--out DIR]     (DIR defaults to dist)
set -euo pipefail
cd "$(dirname "$0")/.."
out=dist
if [ "${1:-}" = "--out" ] && [ -n "${2:-}" ]; then out=$2; fi
mkdir -p "$out"
out=$(cd "$out" && pwd)
version=$(sed -nE 's/^project\(Kestrix VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package: no version in CMakeLists.txt" >&2; exit 1; }
modules=(spotclean dustclean grainwash chisel airbrush texturer gilder warper)

for preset in win32 win64; do
    [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" >/dev/null
done

for width in 32 64; do
    name="kestrix-filters-$version-win$width"
    stage=$(mktemp -d)
    mkdir "$stage/$name"
    found=()
    for m in "${modules[@]}"; do
        if [ -f "build/win$width/$m.8bf" ]; then
            cp "build/win$width/$m.8bf" "$stage/$name/"
            found+=("$m.8bf")
        fi
    done
    [ ${#found[@]} -gt 0 ] || { echo "package: no modules in build/win$width" >&2; exit 1; }
    if [ "$width" = 32 ]; then host="32-bit"; else host="64-bit"; fi
    sed -e "s/@VERSION@/$version/g" -e "s/@WIDTH@/$host/g" -e "s/@MODULES@/${found[*]}/" \
        scripts/install-note.txt | sed 's/$/\r/' > "$stage/$name/INSTALL.txt"
    rm -f "$out/$name.zip"
    (cd "$stage" && zip -q -X -r "$out/$name.zip" "$name")
    rm -rf "$stage"
    echo "package: $out/$name.zip (${found[*]})"
done
