#!/usr/bin/env bash
# Ten minutes of the fake call recorded by telvane.exe (not part of
# scripts/test.sh): prints the audio/video duration difference and the
# flash/click offsets from the first click to the last, and fails when they
# drift apart by more than one frame period. The recording keeps the
# writer's uncompressed picture: about 9.3 GB in the build folder.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
source tests/wine/e2e/prepare_call.sh
prepare_call_case soak
bash tests/wine/e2e/run_call.sh "$win/tests/e2e_call_test.exe" \
    --gtest_also_run_disabled_tests --gtest_filter=CallRecording.DISABLED_Soak
python3 tests/wine/e2e/check_call.py "$case_dir" --width 416 --height 248 --fps 30 --channels 2 --bits 16 --sync \
    --drift
