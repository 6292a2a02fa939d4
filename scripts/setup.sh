#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test Telvane:
# the native toolchain, the mingw-w64 cross compilers (32-bit, and 64-bit
# for machines that cannot run 32-bit code), Wine (with the i386
# architecture for wine32), Xvfb, PulseAudio and the media tools the tests
# use to check recordings. Quiet and quick when everything is present.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang-format googletest libgtest-dev libbenchmark-dev fonts-dejavu-core
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
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "setup: done"
