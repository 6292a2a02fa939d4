#!/usr/bin/env bash
# zvsln.exe through the faults of the platform's audio, seen from PulseAudio,
# with a stand-in recorder window up all along (zvsln_watch.exe), so the
# helper never ends for the recorder's absence. Its playback stream
# - moves to the endpoint that becomes Windows' default, within 1 s, as a new
#   stream: Wine's own default (its DefaultOutput setting) names "Headset"
#   while PulseAudio's default sink stays "speakers", so nobody but the helper
#   moves it;
# - comes back within 1 s when that endpoint, gone for a moment (its stream
#   failed), is back;
# - follows Wine's default back to its "PulseAudio" endpoint;
# - is on "headset" within 1 s once that is PulseAudio's default sink and
#   "speakers" is gone (PulseAudio itself moves the streams of Wine's
#   "PulseAudio" endpoint; which of the two moved it is printed);
# and with no sink left to render to, the helper ends 5 s later (its window
# goes with it). The platform's sinks and Wine's default are put back
# afterwards, whatever happened.
#   faults.sh <zvsln.exe> <zvsln_watch.exe>
set -euo pipefail
zvsln=${1:?usage: faults.sh <zvsln.exe> <zvsln_watch.exe>}
watch=${2:?usage: faults.sh <zvsln.exe> <zvsln_watch.exe>}
if [ -z "${TELVANE_WINE_ENV:-}" ]; then
    build=$(dirname "$zvsln")
    while [ "$build" != "/" ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
    exec "$(dirname "$0")/../../../scripts/wine-env.sh" "$build" bash "$0" "$@"
fi

drivers='HKCU\Software\Wine\Drivers\winepulse.drv'
log=$(mktemp)
watcher=

now_ms() { echo $(($(date +%s%N) / 1000000)); }
fail() {
    echo "FAIL: $*"
    echo "zvsln_watch.exe said:"
    cat "$log"
    exit 1
}

sink_modules() {
    pactl list short modules | awk -v want="sink_name=$1" \
        '$2 == "module-null-sink" { for (i = 3; i <= NF; i++) if ($i == want) print $1 }'
}
unload_sink() {
    local module
    for module in $(sink_modules "$1"); do pactl unload-module "$module"; done
}
load_sink() {
    pactl load-module module-null-sink sink_name="$1" rate=48000 sink_properties=device.description="$2" >/dev/null
}

# The tests that come next need the platform's sinks rendering in short
# blocks again (scripts/wine-env.sh keeps them so once they are back).
sinks_short() {
    pactl list sinks | awk '/^\tName:/ { name = $2 } /^\tLatency:/ && (name == "speakers" || name == "micsink") {
        n++; if ($2 >= 50000) long = 1 } END { exit !(n == 2 && !long) }'
}
restore() {
    set +e
    [ -n "$watcher" ] && kill "$watcher" 2>/dev/null && wait "$watcher" 2>/dev/null
    wine reg delete "$drivers" /v DefaultOutput /f >/dev/null 2>&1
    local name _
    for name in headset speakers micsink; do unload_sink "$name"; done
    load_sink speakers Speakers
    load_sink micsink Microphone
    pactl set-default-sink speakers
    pactl set-default-source micsink.monitor
    for _ in $(seq 1 50); do
        sinks_short && break
        sleep 0.1
    done
    rm -f "$log"
}
trap restore EXIT

# zvsln.exe's playback streams, one "<stream> <sink>" a line.
streams() {
    {
        pactl list short sinks | sed 's/^/S\t/'
        pactl list sink-inputs
    } | awk '/^S\t/ { split($0, f, "\t"); sink[f[2]] = f[3]; next }
        /^Sink Input #/ { input = substr($0, 13) } /^\tSink: / { on = substr($0, 8) }
        /^\t\tapplication.name = "zvsln.exe"$/ { print input, sink[on] }'
}

# Polls until zvsln.exe has exactly one stream, on sink $2 and other than
# stream $3 (if given), or none if $2 is empty, for at most $1 ms from
# `start`; sets `stream` and `took`.
stream= took=
await() {
    local limit=$1 sink=$2 old=${3:-} now current
    while :; do
        current=$(streams)
        now=$(now_ms)
        if [ -z "$sink$current" ]; then
            took=$((now - start))
            return 0
        fi
        if [ -n "$sink" ] && [[ $current =~ ^([0-9]+)\ $sink$ ]] && [ "${BASH_REMATCH[1]}" != "$old" ]; then
            stream=${BASH_REMATCH[1]} took=$((now - start))
            return 0
        fi
        ((now - start < limit)) || { echo "zvsln.exe's streams: ${current:-none}"; return 1; }
        sleep 0.05
    done
}

load_sink headset Headset
wine "$watch" "$(winepath -w "$zvsln")" >"$log" 2>&1 &
watcher=$!
start=$(now_ms)
await 15000 speakers || fail "no stream of zvsln.exe on speakers"
headset_id=$(awk '$1 == "endpoint" && $3 == "Headset" { print $2 }' "$log")
[ -n "$headset_id" ] || fail "Wine lists no render endpoint Headset"

start=$(now_ms)
old=$stream
wine reg add "$drivers" /v DefaultOutput /t REG_SZ /d "$headset_id" /f >/dev/null
await 1000 headset "$old" || fail "zvsln.exe did not follow Wine's default to Headset"
echo "Wine's default Headset: stream $stream (was $old) on headset after $took ms"

# Wine opens a named endpoint's stream unmovable: with the sink gone,
# PulseAudio drops it and the helper's writes fail, until the sink is back.
start=$(now_ms)
old=$stream
unload_sink headset
await 1000 "" || fail "zvsln.exe's stream outlived the headset sink"
echo "headset unloaded: stream $old dropped after $took ms"
start=$(now_ms)
load_sink headset Headset
await 1000 headset "$old" || fail "zvsln.exe did not open a stream again when the headset came back"
echo "headset back: stream $stream on headset after $took ms"

start=$(now_ms)
old=$stream
wine reg delete "$drivers" /v DefaultOutput /f >/dev/null
await 1000 speakers "$old" || fail "zvsln.exe did not follow Wine's default back to PulseAudio's"
echo "Wine's default PulseAudio again: stream $stream (was $old) on speakers after $took ms"

start=$(now_ms)
old=$stream
pactl set-default-sink headset
unload_sink speakers
await 1000 headset || fail "zvsln.exe's stream is not on headset, PulseAudio's default, with speakers gone"
if [ "$stream" = "$old" ]; then mover="PulseAudio moved it"; else mover="zvsln.exe opened it anew"; fi
echo "PulseAudio's default headset, speakers gone: stream $stream on headset after $took ms ($mover)"

grep -q '^up$' "$log" || fail "zvsln_watch.exe never saw the window Silence"
grep -q '^ended' "$log" && fail "zvsln.exe ended while it could render"
start=$(now_ms)
unload_sink micsink
unload_sink headset
[ -z "$(pactl list short sinks)" ] || fail "sinks left: $(pactl list short sinks)"
until grep -q '^ended' "$log"; do
    (($(now_ms) - start < 15000)) || fail "zvsln.exe still runs 15 s after the last sink went"
    sleep 0.05
done
took=$(($(now_ms) - start))
grep -q '^ended 0$' "$log" || fail "zvsln.exe ended with another exit code"
echo "no sink: zvsln.exe ended after $took ms"
((took >= 4900 && took <= 6500)) || fail "zvsln.exe should end 5 s after it could no longer render"
echo "PASS"
