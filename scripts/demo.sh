#!/usr/bin/env bash
# The main job on this machine: builds the Windows programs, starts the
# recorder telvane.exe under Wine in a virtual display and takes screenshots.
# Recording itself needs the recording graph, which is not built yet; this
# grows into a recorded demo call as the recorder lands.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
builds=${TELVANE_BUILD_ROOT:-$root/build}
export TELVANE_BUILD_ROOT=$builds
out=${TELVANE_DEMO_OUT:-$builds/demo}

scripts/setup.sh
scripts/build.sh win >/dev/null
mkdir -p "$out"

# shellcheck source=scripts/wine-env.sh
. scripts/wine-env.sh
wine_env_start "$builds/win"

window_up() { xwininfo -root -tree 2>/dev/null | grep -q "\"$1\""; }
wait_window() {
    local _
    for _ in $(seq 1 200); do
        window_up "$1" && return 0
        sleep 0.1
    done
    echo "demo: the window \"$1\" did not appear" >&2
    return 1
}

(cd "$builds/win/bin" && wine telvane.exe >/dev/null 2>&1) &
wait_window "Quorra"
sleep 4  # the splash goes, the first ticks run
import -display "$DISPLAY" -window root "$out/recorder.png"
echo "demo: the recorder \"Quorra\" is running; screenshot: $out/recorder.png"
