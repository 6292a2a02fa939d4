#!/usr/bin/env bash
# Runs the end-to-end recording program under Wine with the local party's
# voice: a 1000 Hz tone played from Linux into the microphone sink for as
# long as the program runs; its player's process id is in
# TELVANE_MIC_VOICE_PID, so that a microphone pulled out takes its voice
# with it (PulseAudio would move the stream to the speakers). Beside it the
# reference reader of the speakers' monitor, and of the headset's that the
# headset case plugs in (monitor_clicks.py), notes when each click of the
# fake call reached one, in a file that the program finds
# through TELVANE_MONITOR_CLICKS (a Windows path) and copies beside each
# recording.
#   run_call.sh <program.exe> [--source <PulseAudio source>] [program args...]
# --source makes that source PulseAudio's default capture endpoint while the
# program runs (the device case records the speakers' monitor through it).
set -euo pipefail
program=$1
shift
source=""
if [ "${1:-}" = "--source" ]; then
    source=$2
    shift 2
fi
if [ -z "${TELVANE_WINE_ENV:-}" ]; then
    build=$(cd "$(dirname "$program")" && pwd)
    while [ "$build" != "/" ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
    exec "$(dirname "$0")/../../../scripts/wine-env.sh" "$build" bash "$0" "$program" ${source:+--source "$source"} "$@"
fi

previous=$(pactl info | sed -n 's/^Default Source: //p')
if [ -n "$source" ]; then pactl set-default-source "$source"; fi
sox -q -n -r 48000 -c 2 -b 16 -e signed -t raw - synth 3600 sine 1000 vol 0.25 |
    pacat --device=micsink --rate=48000 --channels=2 --format=s16le --latency-msec=20 &
voice=$!
export TELVANE_MIC_VOICE_PID=$voice
clicks=$(mktemp /tmp/telvane-clicks.XXXXXX)
python3 "$(dirname "$0")/monitor_clicks.py" "$clicks" speakers.monitor headset.monitor &
reader=$!
# The prefix's drive Z: is the root of the Linux file system.
export TELVANE_MONITOR_CLICKS="Z:${clicks//\//\\}"
finish() {
    kill "$voice" "$reader" 2>/dev/null || true
    wait "$voice" "$reader" 2>/dev/null || true
    rm -f "$clicks"
    if [ -n "$previous" ]; then pactl set-default-source "$previous" || true; fi
}
trap finish EXIT
wine "$program" "$@"
