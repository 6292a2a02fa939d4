#!/usr/bin/env bash
# The main job on this machine: builds the Windows programs, starts the
# framework demo under Wine in a virtual display and takes a screenshot of
# the screen. (It grows into a recorded demo call as the recorder lands.)
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

title="Telvane Framework Demo"
wine "$builds/win/bin/framework_demo.exe" /demo 1 >/dev/null 2>&1 &
demo_pid=$!
for _ in $(seq 1 150); do
    xwininfo -root -tree 2>/dev/null | grep -q "\"$title\"" && break
    sleep 0.1
done
if ! xwininfo -root -tree 2>/dev/null | grep -q "\"$title\""; then
    echo "demo: the window \"$title\" did not appear" >&2
    exit 1
fi
sleep 1  # let the dialog paint and the timer tick
shot="$out/framework_demo_screen.png"
import -display "$DISPLAY" -window root "$shot"
kill "$demo_pid" 2>/dev/null || true
echo "demo: \"$title\" ran under Wine; screenshot: $shot"
