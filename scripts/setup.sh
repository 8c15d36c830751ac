#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on a Debian machine.
# Idempotent: packages already present are left alone, so a second run is quick.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

native_pkgs=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev python3 python3-pil)
win_pkgs=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev xvfb xauth imagemagick)
wine_pkgs=(wine wine32:i386)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    NEED_UPDATE=1
fi

for p in "${native_pkgs[@]}" "${win_pkgs[@]}" "${wine_pkgs[@]}"; do
    have "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
    echo "setup: installing ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
echo "setup: all packages present"
