#!/usr/bin/env bash
# CTest's emulator for the Windows test programs: runs one program under Wine.
# Inside scripts/test.sh the platform is already up; run by hand (ctest in
# the Windows build folder) it brings up its own for this one program.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [ -z "${TELVANE_WINE_ENV:-}" ]; then
    build=$(cd "$(dirname "$1")" && pwd)
    # Test programs sit somewhere below the build folder: walk up to it.
    while [ "$build" != "/" ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
    exec "$here/wine-env.sh" "$build" "$here/wine-run.sh" "$@"
fi
program=$1
shift
exec wine "$program" "$@"
