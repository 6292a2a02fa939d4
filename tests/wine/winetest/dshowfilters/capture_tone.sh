#!/usr/bin/env bash
# The stand-in capture device's recording seen from Linux: the test program
# records a 440 Hz tone played into the microphone sink through the device
# and "WAV Dest"; ffprobe must read the file as 16-bit stereo PCM at
# 44100 Hz of about two seconds, and ffmpeg must find far more energy near
# 440 Hz than near 1000 Hz. Then no test device may be left registered.
set -euo pipefail
program=$1
if [ -z "${TELVANE_WINE_ENV:-}" ]; then
    build=$(dirname "$program")
    while [ "$build" != "/" ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
    exec "$(dirname "$0")/../../../../scripts/wine-env.sh" "$build" bash "$0" "$@"
fi

work=$(mktemp -d /tmp/capture_tone.XXXXXX)
trap 'rm -rf "$work"' EXIT
wav="$work/tone.wav"
TELVANE_CAPTURE_WAV=$(winepath -w "$wav") wine "$program" --gtest_filter='RealCaptureTest.*' >"$work/run.log" 2>&1 || {
    cat "$work/run.log"; echo "FAIL: the recording test failed"; exit 1; }
grep -q '\[  PASSED  \] 1 test' "$work/run.log" || { cat "$work/run.log"; echo "FAIL: the recording test did not pass"; exit 1; }
[ -s "$wav" ] || { echo "FAIL: no file at $wav"; exit 1; }

stream=$(ffprobe -v error -select_streams a:0 -show_entries stream=codec_name,sample_rate,channels \
    -of default=noprint_wrappers=1 "$wav")
echo "$stream"
expected=$'codec_name=pcm_s16le\nsample_rate=44100\nchannels=2'
[ "$stream" = "$expected" ] || { echo "FAIL: unexpected stream"; exit 1; }
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$wav")
echo "duration=$duration"
awk -v d="$duration" 'BEGIN { exit !(d >= 1.5 && d <= 3.0) }' || { echo "FAIL: duration $duration"; exit 1; }

# RMS level (dB) of the recording after a narrow band-pass around a frequency.
level() {
    ffmpeg -hide_banner -nostats -i "$wav" -af "atrim=start=0.2,bandpass=f=$1:width_type=q:w=20,astats=metadata=0" -f null - 2>&1 |
        awk '/RMS level dB/ { v=$NF } END { print v }'
}
tone=$(level 440)
other=$(level 1000)
echo "RMS near 440 Hz: $tone dB, near 1000 Hz: $other dB"
awk -v t="$tone" -v o="$other" 'BEGIN { exit !(t > -30 && (o == "-inf" || t - o > 20)) }' ||
    { echo "FAIL: no 440 Hz tone in the recording"; exit 1; }

left=$(wine reg query 'HKCR\CLSID\{33D9A762-90C8-11D0-BD43-00A0C911CE86}\Instance' 2>/dev/null | grep -c TelvaneTestAudio || true)
[ "$left" = "0" ] || { echo "FAIL: $left test devices left registered"; exit 1; }
echo "OK"
