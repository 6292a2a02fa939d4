#!/usr/bin/env bash
# The installer in a fresh Wine prefix of its own, with the Wine stand-ins
# registered in it for the test only:
#   install_test.sh <install_test.exe> <e2e_call_test.exe> <TelvaneSetup.exe>
# It installs silently, checks what the installer put in place, records 8 s
# of the fake call through the installed launcher (checked with ffprobe and
# ffmpeg), then uninstalls and checks what is gone and what stays.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
install_test=$1
call_test=$2
setup=$3
tests=$(cd "$(dirname "$install_test")" && pwd)
build=$(dirname "$tests")
source_dir=$(cd "$here/../../.." && pwd)

# Always a platform of its own, also inside the test suite's.
if [ "${TELVANE_INSTALL_ENV:-}" != 1 ]; then
    [ -f "$setup" ] || { echo "no installer $setup: scripts/package.sh builds it"; exit 1; }
    if [ "$setup" -ot "$build/bin/telvane.exe" ]; then
        echo "the installer $setup is older than the build's telvane.exe: run scripts/package.sh"
        exit 1
    fi
    prefix=$tests/install/wineprefix
    rm -rf "$prefix"
    mkdir -p "$tests/install"
    TELVANE_INSTALL_ENV=1 TELVANE_WINE_PREFIX=$prefix exec "$source_dir/scripts/wine-env.sh" "$build" bash "$0" "$@"
fi

TELVANE_SETUP=$(winepath -w "$setup")
TELVANE_SHIPPED=$(winepath -w "$source_dir/scripts/shipped.txt")
export TELVANE_SETUP TELVANE_SHIPPED

step() { echo "== $*"; }
step "install"
wine "$install_test" --gtest_filter='Installer.InstallsTheProductFiltersAndShortcuts:Installer.RefusesWhileTheRecorderRuns'
step "record through the installed launcher"
bash "$source_dir/tests/wine/e2e/run_call.sh" "$call_test" --gtest_also_run_disabled_tests \
    --gtest_filter=CallRecording.DISABLED_Installed
# The prefix is minutes old and still settling (font caches, registry
# saves) while it records, so the picture may stall for a few frames; the
# settled prefix's recordings (tests/wine/e2e) hold the frame timing to
# three frames and the captures' gaps to 200 ms.
python3 "$source_dir/tests/wine/e2e/check_call.py" "$tests/e2e/installed" --width 416 --height 248 --fps 30 \
    --channels 2 --bits 16 --tones 440 1000 --max-spread 8 --max-gap 0.5
step "uninstall"
wine "$install_test" --gtest_filter='Installer.UninstallKeepsRecordingsAndSettings:Installer.RemoveSettingsTakesOnlyTheSettings'
