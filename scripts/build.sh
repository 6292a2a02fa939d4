#!/usr/bin/env bash
# Configures and builds one of the build folders, whole or one target:
#   scripts/build.sh native | native-san | native32 | win | win64 [target]
# (target "product": what a user installs, without the tests).
# native32 is the portable core and its tests as 32-bit Linux programs (the
# shipped build's sizes and x87 arithmetic). win is the shipped 32-bit Windows build; win64 is the same source built as
# 64-bit programs, for running the Windows tests where 32-bit code cannot run.
# Build folders live under build/ (override with TELVANE_BUILD_ROOT).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
kind=${1:?usage: scripts/build.sh native|native-san|native32|win|win64 [target]}
target=${2:-}
builds=${TELVANE_BUILD_ROOT:-$root/build}
dir="$builds/$kind"
case "$kind" in
    native) args=() ;;
    native-san) args=(-DTELVANE_SANITIZE=ON) ;;
    native32) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/linux-i686.cmake") ;;
    win) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake") ;;
    win64) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake") ;;
    *) echo "build: unknown build '$kind' (native, native-san, native32, win or win64)" >&2; exit 2 ;;
esac
if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${args[@]}" >/dev/null
fi
cmake --build "$dir" ${target:+--target "$target"}
