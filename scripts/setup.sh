#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test Telvane:
# the native toolchain (with its 32-bit libraries, from the amd64 index, for
# the 32-bit native tests), the mingw-w64 cross compilers (32-bit, and 64-bit
# for machines that cannot run 32-bit Wine), Wine (with the i386
# architecture for wine32), Xvfb, PulseAudio and the media tools the tests
# use to check recordings. Quiet and quick when everything is present.
set -euo pipefail

packages=(
    cmake ninja-build g++ g++-multilib clang clang-format googletest libgtest-dev libbenchmark-dev fonts-dejavu-core
    g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix mingw-w64-tools
    wine wine64 wine32:i386 fonts-wine
    xvfb x11-utils xauth pulseaudio pulseaudio-utils
    ffmpeg imagemagick sox python3 libexpat1-dev nsis
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages: ${missing[*]}" >&2
    echo "setup: run scripts/setup.sh as root (or with sudo) to install them" >&2
    exit 1
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
# A mirror caught mid-sync fails an index download now and then: try the
# update again, and go on to the install with what was fetched if it still
# fails (the install itself says which package it cannot find).
for attempt in 1 2 3; do
    if apt-get update -qq; then break; fi
    echo "setup: apt-get update failed (try $attempt of 3)" >&2
    if [ "$attempt" -lt 3 ]; then sleep 10; fi
done
if ! apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
    # The 32-bit Wine needs i386 libraries of the same versions as the
    # machine's own; when the mirror's i386 index lags it cannot install. The
    # Windows tests then run on the 64-bit build (scripts/test.sh), so the
    # rest is installed without it.
    rest=()
    for p in "${missing[@]}"; do
        [ "$p" = wine32:i386 ] || rest+=("$p")
    done
    if [ ${#rest[@]} -eq ${#missing[@]} ]; then exit 1; fi
    echo "setup: wine32:i386 cannot be installed now; installing the rest without it" >&2
    apt-get install -y -qq --no-install-recommends "${rest[@]}" >/dev/null
fi
echo "setup: done"
