#!/usr/bin/env bash
# The endpoint checks against the Wine platform at the rates each case
# needs: the PulseAudio null sinks "speakers" and "micsink" are reloaded
# from Linux at the case's rates, the test program runs once per case, and
# the platform's sinks are put back at 48000 Hz afterwards, whatever happened.
# Runs inside scripts/wine-env.sh (PULSE_SERVER, WINEPREFIX are set).
#   endpoint_platform.sh <platform test program>
set -euo pipefail
exe=${1:?usage: endpoint_platform.sh <test program>}

sink_module() {
    pactl list short modules | awk -v want="sink_name=$1" \
        '$2 == "module-null-sink" { for (i = 3; i <= NF; i++) if ($i == want) print $1 }'
}

set_rates() {
    local speakers=$1 mic=$2 name module
    for name in speakers micsink; do
        for module in $(sink_module "$name"); do pactl unload-module "$module"; done
    done
    pactl load-module module-null-sink sink_name=speakers rate="$speakers" \
        sink_properties=device.description=Speakers >/dev/null
    pactl load-module module-null-sink sink_name=micsink rate="$mic" \
        sink_properties=device.description=Microphone >/dev/null
    pactl set-default-sink speakers
    pactl set-default-source micsink.monitor
    # What PulseAudio now has, so a wrong rate shows here and not as a riddle.
    pactl list short sinks | awk -v s="$speakers" -v m="$mic" \
        '$2 == "speakers" && $0 !~ s"Hz" { bad = 1 } $2 == "micsink" && $0 !~ m"Hz" { bad = 1 } END { exit bad }' ||
        { echo "endpoint_platform: the sinks are not at $speakers/$mic Hz:" >&2; pactl list short sinks >&2; exit 1; }
}

# A reloaded null sink renders its first block of silence for 2 s before the
# platform's readers bring it down to short blocks; the tests that come next
# need the short ones, so the restore waits for them.
sinks_short() {
    pactl list sinks | awk '/^\tName:/ { name = $2 } /^\tLatency:/ && (name == "speakers" || name == "micsink") {
        n++; if ($2 >= 50000) long = 1 } END { exit !(n == 2 && !long) }'
}
restore() {
    set_rates 48000 48000
    local _
    for _ in $(seq 1 50); do
        sinks_short && return 0
        sleep 0.1
    done
    echo "endpoint_platform: the sinks kept a long latency after the restore" >&2
}
trap restore EXIT

# Runs the program with a filter; fails unless exactly `count` tests ran and passed.
run() {
    local filter=$1 count=$2 out
    out=$(wine "$exe" --gtest_filter="$filter" 2>&1) || { echo "$out"; return 1; }
    echo "$out"
    grep -q "\[  PASSED  \] $count test" <<<"$out" || { echo "endpoint_platform: expected $count passing tests" >&2; return 1; }
}

for case in 44100-44100 96000-48000 48000-44100; do
    echo "=== sinks at ${case%-*} Hz (speakers) and ${case#*-} Hz (microphone)"
    set_rates "${case%-*}" "${case#*-}"
    TELVANE_AUDIO_CASE=$case run 'PlatformRates.*' 1
    if [ "$case" = 96000-48000 ]; then
        TELVANE_AUDIO_CASE=$case run 'RecorderChecks.*' 1
    fi
done

echo "=== shared mute state, sinks at 48000 Hz"
restore
run 'SharedMute.*' 2
