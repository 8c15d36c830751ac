#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on a Debian machine.
# Idempotent: packages already present are left alone, so a second run is quick.
# The 32-bit Wine (wine32:i386) is installed when the machine offers it; machines that
# cannot add or run i386 code still get everything the 64-bit side needs.
set -euo pipefail

have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
updated=0
update() {
    if [ "$updated" -eq 0 ]; then
        apt-get update -qq
        updated=1
    fi
}
install() {
    local need=()
    for p in "$@"; do have "$p" || need+=("$p"); done
    [ ${#need[@]} -gt 0 ] || return 0
    echo "setup: installing ${need[*]}"
    update
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
}

native_pkgs=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev libopencv-imgproc-dev
             python3 python3-pil zip clang libclang-rt-14-dev)
win_pkgs=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
          xvfb xauth imagemagick)
wine_pkgs=(wine wine64)

install "${native_pkgs[@]}" "${win_pkgs[@]}" "${wine_pkgs[@]}"

# Best effort: whether 32-bit programs then run is decided by trying them
# (tests/system/wine_arch.py), not here.
if ! have wine32:i386; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386 && updated=0
    fi
    if ! install wine32:i386; then
        echo "setup: wine32:i386 is not available here; only the 64-bit modules can run under Wine"
    fi
fi
echo "setup: all packages present"
