#!/usr/bin/env bash
# Ten minutes of the fake call recorded by telvane.exe (not part of
# scripts/test.sh): prints the audio/video duration difference and the
# flash/click offsets from the first click to the last, and fails when they
# drift apart by more than one frame period. The recording keeps the
# writer's uncompressed picture: about 7.5 GB in the build folder.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
builds=${TELVANE_BUILD_ROOT:-$root/build}
export TELVANE_BUILD_ROOT=$builds
win=$builds/win

scripts/setup.sh
scripts/build.sh win >/dev/null
case_dir=$win/tests/e2e/soak
rm -rf "$case_dir"
bash tests/wine/e2e/run_call.sh "$win/tests/e2e_call_test.exe" \
    --gtest_also_run_disabled_tests --gtest_filter=CallRecording.DISABLED_Soak
python3 tests/wine/e2e/check_call.py "$case_dir" --width 416 --height 248 --fps 30 --channels 2 --bits 16 --sync \
    --drift
