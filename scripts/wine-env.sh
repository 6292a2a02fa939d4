#!/usr/bin/env bash
# The Wine test platform for one run: a virtual X display, a private
# PulseAudio server with two null sinks ("Speakers" is the default sink and
# "Microphone", whose monitor is the default source, so a test can play a
# tone into the microphone), each kept at a short latency by a reader of its
# monitor, a Wine prefix under the build folder and a persistent wineserver.
#
# Source it:   . scripts/wine-env.sh <build-dir>   (then wine_env_start)
# or wrap:     scripts/wine-env.sh <build-dir> <command> [args...]
# A command wrapped inside a parallel test run (scripts/wine-platforms.sh)
# joins the platform that CTest gave it instead of starting one.
#
# Only the processes started here are stopped, by pid, when the shell that
# started them exits (wine_env_stop runs from an EXIT trap).

WINE_ENV_SCRIPTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

wine_env_log() { echo "wine-env: $*" >&2; }

# Xvfb picks a free display number itself and writes it to the file behind
# -displayfd: platforms that start at the same moment never share one.
wine_env_start_x() {
    local geometry=${TELVANE_SCREEN:-1280x1024x24} number="$WINE_ENV_RUN/display" n=
    Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp -ac 3>"$number" >"$WINE_ENV_RUN/xvfb.log" 2>&1 &
    WINE_ENV_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        n=$(tr -dc 0-9 <"$number")
        [ -n "$n" ] && [ -e "/tmp/.X11-unix/X$n" ] && break
        if ! kill -0 "$WINE_ENV_XVFB_PID" 2>/dev/null; then
            wine_env_log "Xvfb failed to start:"; cat "$WINE_ENV_RUN/xvfb.log" >&2; return 1
        fi
        sleep 0.1
    done
    [ -n "$n" ] && [ -e "/tmp/.X11-unix/X$n" ] || { wine_env_log "Xvfb did not come up"; return 1; }
    export DISPLAY=":$n"
}

wine_env_start_pulse() {
    local dir="$WINE_ENV_RUN/pulse"
    mkdir -p "$dir"
    chmod 700 "$dir"
    cat >"$dir/default.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$dir/native
load-module module-null-sink sink_name=speakers rate=48000 sink_properties=device.description=Speakers
load-module module-null-sink sink_name=micsink rate=48000 sink_properties=device.description=Microphone
set-default-sink speakers
set-default-source micsink.monitor
PA
    printf 'autospawn = no\n' >"$dir/client.conf"
    export PULSE_CLIENTCONFIG="$dir/client.conf"
    export PULSE_SERVER="unix:$dir/native"
    export PULSE_RUNTIME_PATH="$dir"
    export PULSE_STATE_PATH="$dir"
    XDG_RUNTIME_DIR="$dir" pulseaudio -n -F "$dir/default.pa" --daemonize=no --exit-idle-time=-1 \
        --use-pid-file=no --disallow-exit --log-target=file:"$dir/pulse.log" >/dev/null 2>&1 &
    WINE_ENV_PULSE_PID=$!
    local i
    for i in $(seq 1 100); do
        pactl info >/dev/null 2>&1 && return 0
        if ! kill -0 "$WINE_ENV_PULSE_PID" 2>/dev/null; then
            wine_env_log "PulseAudio failed to start:"; cat "$dir/pulse.log" >&2; return 1
        fi
        sleep 0.1
    done
    wine_env_log "PulseAudio did not answer"
    return 1
}

# A null sink with nothing connected renders its silence in 2 s blocks and
# sleeps in between; a stream that connects later (a capture of its monitor
# above all) waits for the block to end, up to 2 s for its first packet, and
# a playback stream's data reaches the monitor at a moment that depends on
# where in the block it started (0.08 or 0.23 s behind Wine's output
# position, from one run to the next). A reader of each monitor asking for
# 10 ms keeps both sinks rendering in short blocks once the block under way
# when it connects has run out (the start waits for that). Whenever a sink's
# latency is long again (the endpoint tests reload the sinks at other
# rates), the reader is started anew; the reloaded sink's first block still
# runs out first. It adds no endpoint and no playback stream.
wine_env_sink_latency() {
    pactl list sinks 2>/dev/null | awk -v name="$1" '/^\tName:/ { on = $2 == name } on && /^\tLatency:/ { print $2 }'
}

wine_env_sink_short() {
    local latency
    latency=$(wine_env_sink_latency "$1")
    [ -n "$latency" ] && [ "$latency" -lt 50000 ]
}

wine_env_keep_sinks_short() {
    local sink
    WINE_ENV_KEEPER_PIDS=
    for sink in speakers micsink; do
        (
            reader=
            trap 'kill $reader 2>/dev/null; exit 0' TERM
            while kill -0 "$WINE_ENV_PULSE_PID" 2>/dev/null; do
                if ! wine_env_sink_short "$sink"; then
                    # A reader whose sink was unloaded lives on, moved to another source.
                    [ -n "$reader" ] && kill "$reader" 2>/dev/null && wait "$reader" 2>/dev/null
                    # At the rate the sink was loaded with: a reader asking for
                    # another one would move the idle sink to it.
                    rate=$(pactl list short modules | awk -v n="sink_name=$sink" '$2 == "module-null-sink" {
                        on = 0; r = 48000; for (i = 3; i <= NF; i++) { if ($i == n) on = 1; if ($i ~ /^rate=/) r = substr($i, 6) }
                        if (on) print r }')
                    if [ -z "$rate" ]; then sleep 0.2; continue; fi
                    parec --raw --rate="$rate" --channels=2 --format=s16le --latency-msec=10 \
                        -d "$sink.monitor" >/dev/null 2>&1 </dev/null &
                    reader=$!
                fi
                sleep 0.2
            done
        ) &
        WINE_ENV_KEEPER_PIDS="$WINE_ENV_KEEPER_PIDS $!"
    done
    local i
    for i in $(seq 1 30); do
        wine_env_sink_short speakers && wine_env_sink_short micsink && return 0
        sleep 0.1
    done
    wine_env_log "the null sinks did not come down to a short latency"
}

# The Wine side that runs the build's programs: 32-bit for the shipped
# build, 64-bit for the win64 build (see scripts/build.sh). Debian's wine
# and wine-stable commands always take the 32-bit loader when it is
# installed, also on a kernel that cannot execute it, so the 64-bit side
# gets its own wine and wine-stable first on PATH (wineboot, winepath and
# regsvr32 go through them).
wine_env_choose_arch() {
    if grep -q 'mingw-x86_64.cmake' "$WINE_ENV_BUILD/CMakeCache.txt" 2>/dev/null; then
        export WINEARCH=win64
        export WINELOADER=/usr/lib/wine/wine64
        local bin="$WINE_ENV_RUN/bin" name
        mkdir -p "$bin"
        for name in wine wine-stable; do
            printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$bin/$name"
            chmod +x "$bin/$name"
        done
        export PATH="$bin:$PATH"
    else
        export WINEARCH=win32
    fi
}

wine_env_wine_settings() {
    wine_env_choose_arch
    export WINEDEBUG=${WINEDEBUG:--all}
    # No Mono or Gecko installer prompts, no crash dialogs.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

# Creates the prefix $WINEPREFIX unless it is ready already.
wine_env_create_prefix() {
    # Bump the marker when the prefix's settings below change.
    local marker="$WINEPREFIX/.telvane-ready-4"
    if [ ! -f "$marker" ]; then
        wine_env_log "creating Wine prefix $WINEPREFIX (once per build folder)"
        rm -rf "$WINEPREFIX"
        wineboot -i >"$WINE_ENV_RUN/wineboot.log" 2>&1 || { cat "$WINE_ENV_RUN/wineboot.log" >&2; return 1; }
        wineserver -w
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        # The recorder's users are on Windows 10; tests that need another
        # version set it per program (AppDefaults).
        wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win10 /f >/dev/null 2>&1
        # Xvfb has no window manager: Wine draws captions and frames itself.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
        # Debian's Wine does not find its own fonts (Tahoma, Marlett for the
        # caption buttons) in its data folder; the prefix's Fonts folder it scans.
        if [ -d /usr/share/wine/fonts ]; then
            cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
        fi
        wineserver -w
        touch "$marker"
    fi
}

wine_env_install_standins() {
    if [ -x "$WINE_ENV_BUILD/winetest/install-standins.sh" ]; then
        "$WINE_ENV_BUILD/winetest/install-standins.sh" || return 1
    fi
}

wine_env_start_server() {
    wineserver -f -p >/dev/null 2>&1 &
    WINE_ENV_WINESERVER_PID=$!
    # The prefix's background services (services.exe, winedevice, ...) start
    # with the first Wine program and live as long as the server. Start them
    # here with no inherited output, or they would hold the output pipe of
    # the first test program open and its runner would wait for them.
    wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
}

wine_env_stop() {
    local pid
    for pid in ${WINE_ENV_KEEPER_PIDS:-}; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    WINE_ENV_KEEPER_PIDS=
    if [ -n "${WINE_ENV_WINESERVER_PID:-}" ]; then
        # Ends the wine processes of this prefix, then the server itself.
        wineserver -k >/dev/null 2>&1 || true
        kill "$WINE_ENV_WINESERVER_PID" 2>/dev/null || true
        wait "$WINE_ENV_WINESERVER_PID" 2>/dev/null || true
        WINE_ENV_WINESERVER_PID=
    fi
    for pid in ${WINE_ENV_PULSE_PID:-} ${WINE_ENV_XVFB_PID:-}; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    WINE_ENV_PULSE_PID=
    WINE_ENV_XVFB_PID=
    [ -n "${WINE_ENV_RUN:-}" ] && rm -rf "$WINE_ENV_RUN"
    WINE_ENV_RUN=
    unset TELVANE_WINE_ENV
}

# The display, sound server and Wine prefix of this shell, for wine_env_enter.
wine_env_save() {
    local name
    {
        for name in DISPLAY PULSE_CLIENTCONFIG PULSE_SERVER PULSE_RUNTIME_PATH PULSE_STATE_PATH \
            WINEPREFIX WINEARCH WINELOADER WINEDEBUG WINEDLLOVERRIDES PATH TELVANE_SOURCE_DIR; do
            if [ -n "${!name+set}" ]; then printf 'export %s=%q\n' "$name" "${!name}"; fi
        done
        echo 'export TELVANE_WINE_ENV=1'
    } >"$1.part"
    mv "$1.part" "$1"
}

# Joins the platform that CTest allotted to this test (resource "platform")
# in a parallel run; false when there is none.
wine_env_enter() {
    local slot=${CTEST_RESOURCE_GROUP_0_PLATFORM:-}
    [ -n "${TELVANE_WINE_PLATFORMS:-}" ] && [ -n "$slot" ] || return 1
    slot=${slot#id:}
    slot=${slot%%,*}
    # shellcheck disable=SC1090
    . "$TELVANE_WINE_PLATFORMS/$slot.env"
}

wine_env_begin() {
    WINE_ENV_BUILD=$(cd "$1" && pwd)
    WINE_ENV_RUN=$(mktemp -d /tmp/telvane-wine.XXXXXX)
    trap wine_env_stop EXIT
    trap 'exit 130' INT TERM
    export TELVANE_SOURCE_DIR=$(cd "$WINE_ENV_SCRIPTS/.." && pwd)
    wine_env_start_x || return 1
    wine_env_start_pulse || return 1
}

# Starts everything; $1 is the Windows build folder.
wine_env_start() {
    wine_env_begin "$1" || return 1
    wine_env_keep_sinks_short
    # TELVANE_WINE_PREFIX names another prefix (the installer test's own).
    export WINEPREFIX="${TELVANE_WINE_PREFIX:-$WINE_ENV_BUILD/wineprefix}"
    wine_env_wine_settings
    wine_env_create_prefix || return 1
    wine_env_start_server
    wine_env_install_standins || return 1
    export TELVANE_WINE_ENV=1
}

# The prefix that the platforms of a parallel run copy: $1/wineprefix,
# created when needed, with the stand-ins registered and the registry saved
# (no server left running).
wine_env_prepare_template() {
    wine_env_begin "$1" || return 1
    export WINEPREFIX=$WINE_ENV_BUILD/wineprefix
    wine_env_wine_settings
    wine_env_create_prefix || return 1
    wine_env_install_standins || return 1
    wineserver -w
}

# One platform of a parallel run, on a copy of the template: $1 is the
# build folder, $2 the platform's number.
wine_env_start_copy() {
    wine_env_begin "$1" || return 1
    wine_env_keep_sinks_short
    export WINEPREFIX=$WINE_ENV_BUILD/wineprefix-$2
    rm -rf "$WINEPREFIX"
    cp -a "$WINE_ENV_BUILD/wineprefix" "$WINEPREFIX"
    wine_env_wine_settings
    wine_env_start_server
    export TELVANE_WINE_ENV=1
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    case "${1:-}" in
        --template)
            # scripts/wine-env.sh --template <build-dir>
            (wine_env_prepare_template "$2")
            exit
            ;;
        --platform)
            # scripts/wine-env.sh --platform <build-dir> <number> <env-file>:
            # brings the platform up, writes its environment to the file and
            # keeps it until this process is stopped.
            wine_env_start_copy "$2" "$3" || exit 1
            wine_env_save "$4"
            sleep infinity &
            sleeper=$!
            trap 'kill $sleeper 2>/dev/null; exit 0' INT TERM
            wait "$sleeper"
            exit 0
            ;;
    esac
    if [ $# -lt 2 ]; then
        echo "usage: scripts/wine-env.sh <windows-build-dir> <command> [args...]" >&2
        exit 2
    fi
    build=$1
    shift
    # A prefix of its own (the installer test's) always gets a platform of its own.
    if [ -n "${TELVANE_WINE_PREFIX:-}" ] || ! wine_env_enter; then wine_env_start "$build"; fi
    set +e
    "$@"
    rc=$?
    exit $rc
fi
