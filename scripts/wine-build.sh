#!/usr/bin/env bash
# Which build the Windows programs run from under Wine on this machine: the
# shipped 32-bit build where the 32-bit Wine is installed and runs, else the
# same source built as 64-bit programs ("win64": wine32:i386 cannot always be
# installed, and some kernels have no 32-bit support). TELVANE_WINE_BUILD=win64
# asks for the 64-bit build anywhere.
# Source it once scripts/setup.sh has run; then: kind=$(wine_build_kind)
# (which says so on stderr when it falls back to the 64-bit build).

wine_build_kind() {
    if [ -n "${TELVANE_WINE_BUILD:-}" ]; then
        echo "$TELVANE_WINE_BUILD"
    elif [ ! -e /usr/lib/wine/wine ]; then
        echo "32-bit Wine is not installed: the Windows tests run on the 64-bit build" >&2
        echo win64
    elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
        echo win
    else
        echo "this machine cannot execute 32-bit code: the Windows tests run on the 64-bit build" >&2
        echo win64
    fi
}
