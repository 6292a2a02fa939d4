#!/usr/bin/env bash
# The main job on this machine: a real recording of a call. Sets up and
# builds if needed, starts the desktop (Xvfb, PulseAudio, the Wine prefix
# with its stand-ins), the fake call "Bob" with its voice on the speakers
# and a local voice (1000 Hz) in the microphone, installs the recorder into
# the prefix's Program Files, starts telvane.exe from there, records 15 s
# through the hotkey and the RECORD button, and prints where the .wmv is,
# what ffprobe says of it, and where screenshots of the recorder beside the
# call and one decoded frame of the recording were saved.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
source tests/wine/e2e/prepare_call.sh
prepare_call_case demo
echo "demo: recording 15 s of the fake call with the installed recorder..."
if ! bash tests/wine/e2e/run_call.sh "$win/tests/e2e_call_test.exe" \
    --gtest_also_run_disabled_tests --gtest_filter=CallRecording.DISABLED_Demo >"$builds/demo.log" 2>&1; then
    tail -n 30 "$builds/demo.log" >&2
    echo "demo: the recording failed (log: $builds/demo.log)" >&2
    exit 1
fi
recording=$(find "$case_dir/recordings" -name '*.wmv' | head -n 1)
echo "demo: the recording: $recording"
ffprobe -v error -show_entries format=size,duration:stream=index,codec_type,codec_name,width,height,sample_rate,channels \
    -of default=noprint_wrappers=1 "$recording"
python3 tests/wine/e2e/check_call.py "$case_dir" --width 416 --height 248 --fps 30 --channels 2 --bits 16 \
    --tones 440 1000 | grep -E '^(ok|FAIL|video|audio):' || true
echo "demo: screenshot of the recorder beside the call: $case_dir/recorder.png"
echo "demo: screenshot of the desktop half-way through the recording: $case_dir/desktop.png"
echo "demo: one decoded frame of the recording: $case_dir/frame.png"
