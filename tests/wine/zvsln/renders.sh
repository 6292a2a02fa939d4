#!/usr/bin/env bash
# zvsln.exe really renders to the speakers: while it runs, PulseAudio shows
# a playback stream (sink input) on the default sink; once it has ended by
# itself (no "Quorra" window), the stream is gone.
set -euo pipefail
zvsln=$1
if [ -z "${TELVANE_WINE_ENV:-}" ]; then
    build=$(dirname "$zvsln")
    while [ "$build" != "/" ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
    exec "$(dirname "$0")/../../../scripts/wine-env.sh" "$build" bash "$0" "$@"
fi

streams() { pactl list short sink-inputs | wc -l; }
before=$(streams)
wine "$zvsln" >/dev/null 2>&1 &
pid=$!
seen=0
for _ in $(seq 1 50); do
    if [ "$(streams)" -gt "$before" ]; then seen=1; break; fi
    sleep 0.1
done
if [ "$seen" -ne 1 ]; then
    echo "FAIL: no playback stream while zvsln.exe runs"
    kill "$pid" 2>/dev/null || true
    exit 1
fi
echo "zvsln.exe plays to: $(pactl list short sink-inputs | head -n 1)"
if ! timeout 30 tail --pid="$pid" -f /dev/null; then
    echo "FAIL: zvsln.exe did not end without a recorder window"
    kill "$pid" 2>/dev/null || true
    exit 1
fi
for _ in $(seq 1 30); do
    [ "$(streams)" -le "$before" ] && { echo "stream gone after zvsln.exe ended"; exit 0; }
    sleep 0.1
done
echo "FAIL: the playback stream outlived zvsln.exe"
exit 1
