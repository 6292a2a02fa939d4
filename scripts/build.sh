#!/usr/bin/env bash
# Configures and builds one of the three build folders:
#   scripts/build.sh native | native-san | win
# Build folders live under build/ (override with TELVANE_BUILD_ROOT).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
kind=${1:?usage: scripts/build.sh native|native-san|win}
builds=${TELVANE_BUILD_ROOT:-$root/build}
dir="$builds/$kind"
case "$kind" in
    native) args=() ;;
    native-san) args=(-DTELVANE_SANITIZE=ON) ;;
    win) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake") ;;
    *) echo "build: unknown build '$kind' (native, native-san or win)" >&2; exit 2 ;;
esac
if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${args[@]}" >/dev/null
fi
cmake --build "$dir"
