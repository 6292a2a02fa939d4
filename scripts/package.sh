#!/usr/bin/env bash
# Builds the Windows installer from a built product folder:
#   scripts/package.sh [build folder]     (default build/win)
# writes build/package/TelvaneSetup.exe with makensis (Debian's nsis). The
# installer holds exactly the files of scripts/shipped.txt, taken from the
# build's bin folder (programs and filters stripped of their debugging
# information); a missing one stops the packaging.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build/win}
out_dir=${TELVANE_PACKAGE_DIR:-$(dirname "$build")/package}
product=$build/bin
icon=$build/resources/generated/telvane.ico

command -v makensis >/dev/null || { echo "package: makensis is missing (scripts/setup.sh installs nsis)" >&2; exit 1; }
[ -d "$product" ] || { echo "package: no product folder $product (scripts/build.sh win builds it)" >&2; exit 1; }
[ -f "$icon" ] || { echo "package: no icon $icon" >&2; exit 1; }

mapfile -t files < <(grep -v -E '^\s*(#|$)' "$root/scripts/shipped.txt")
for f in "${files[@]}"; do
    case "$f" in
        */* | *\\* | *\"*) echo "package: '$f' must be a plain file name" >&2; exit 1 ;;
    esac
    [ -f "$product/$f" ] || { echo "package: $product/$f is missing" >&2; exit 1; }
done

# The programs and filters go in without their debugging information
# (a tenth of their size); the build's own copies keep it.
strip=$(command -v i686-w64-mingw32-strip || true)
[ -n "$strip" ] || { echo "package: i686-w64-mingw32-strip is missing (scripts/setup.sh installs mingw-w64)" >&2; exit 1; }
mkdir -p "$out_dir"
staging=$out_dir/files
rm -rf "$staging"
mkdir -p "$staging"
for f in "${files[@]}"; do
    case "$f" in
        *.exe | *.ax | *.dll) "$strip" -o "$staging/$f" "$product/$f" ;;
        *) cp "$product/$f" "$staging/$f" ;;
    esac
done
list=$out_dir/files.nsh
{
    echo "; Written by scripts/package.sh from scripts/shipped.txt."
    echo "!macro InstallFiles"
    for f in "${files[@]}"; do echo "    File \"$staging/$f\""; done
    echo "!macroend"
    echo "!macro UninstallFiles"
    for f in "${files[@]}"; do echo "    Delete \"\$INSTDIR\\$f\""; done
    echo "!macroend"
} >"$list"

setup=$out_dir/TelvaneSetup.exe
makensis -V2 -NOCD -DFILES_NSH="$list" -DICON_FILE="$icon" -DOUT_FILE="$setup" \
    "$root/scripts/telvane.nsi"
echo "package: $setup ($(stat -c %s "$setup") bytes, ${#files[@]} files)"
