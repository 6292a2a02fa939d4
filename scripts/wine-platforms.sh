#!/usr/bin/env bash
# The Wine platforms of a parallel test run. The build's prefix is made
# ready once (scripts/wine-env.sh --template), then each platform gets a
# copy of it with its own wineserver, a display and a PulseAudio server with
# the two null sinks of its own. CTest hands the platforms out to the Windows
# tests as the resource "platform" (one each, see telvane_on_wine_platform),
# so a test that reloads sinks, mounts a drive or registers a filter does it
# on its platform only while others run beside it.
#
# Source it, then:
#   wine_platforms_start <build-dir> <count>   (sets WINE_PLATFORMS_SPEC, the
#                                               resource file for ctest)
#   wine_platforms_stop                        (also from an EXIT trap)

WINE_PLATFORMS_SCRIPTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

wine_platforms_start() {
    local build=$1 count=$2 i waited
    WINE_PLATFORMS_DIR=$(mktemp -d /tmp/telvane-platforms.XXXXXX)
    WINE_PLATFORMS_PIDS=()
    trap wine_platforms_stop EXIT
    bash "$WINE_PLATFORMS_SCRIPTS/wine-env.sh" --template "$build" || return 1
    for i in $(seq 0 $((count - 1))); do
        bash "$WINE_PLATFORMS_SCRIPTS/wine-env.sh" --platform "$build" "$i" "$WINE_PLATFORMS_DIR/$i.env" \
            >"$WINE_PLATFORMS_DIR/$i.log" 2>&1 </dev/null &
        WINE_PLATFORMS_PIDS+=($!)
    done
    for i in $(seq 0 $((count - 1))); do
        waited=0
        until [ -f "$WINE_PLATFORMS_DIR/$i.env" ]; do
            if ! kill -0 "${WINE_PLATFORMS_PIDS[$i]}" 2>/dev/null || [ "$waited" -ge 1200 ]; then
                echo "wine-platforms: platform $i did not come up:" >&2
                cat "$WINE_PLATFORMS_DIR/$i.log" >&2
                return 1
            fi
            sleep 0.1
            waited=$((waited + 1))
        done
    done
    WINE_PLATFORMS_SPEC=$WINE_PLATFORMS_DIR/resources.json
    {
        printf '{"version": {"major": 1, "minor": 0}, "local": [{"platform": ['
        for i in $(seq 0 $((count - 1))); do
            printf '%s{"id": "%d", "slots": 1}' "$([ "$i" -gt 0 ] && echo ', ')" "$i"
        done
        printf ']}]}\n'
    } >"$WINE_PLATFORMS_SPEC"
    export TELVANE_WINE_PLATFORMS=$WINE_PLATFORMS_DIR
}

wine_platforms_stop() {
    local pid
    for pid in "${WINE_PLATFORMS_PIDS[@]+"${WINE_PLATFORMS_PIDS[@]}"}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${WINE_PLATFORMS_PIDS[@]+"${WINE_PLATFORMS_PIDS[@]}"}"; do
        wait "$pid" 2>/dev/null || true
    done
    WINE_PLATFORMS_PIDS=()
    [ -n "${WINE_PLATFORMS_DIR:-}" ] && rm -rf "$WINE_PLATFORMS_DIR"
    WINE_PLATFORMS_DIR=
    unset TELVANE_WINE_PLATFORMS
}
