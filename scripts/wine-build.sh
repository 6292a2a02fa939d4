#!/usr/bin/env bash
# Which build the Windows programs run from under Wine on this machine: the
# shipped 32-bit build where the kernel executes Wine's 32-bit loader, else
# the same source built as 64-bit programs ("win64"; some kernels have no
# 32-bit support). TELVANE_WINE_BUILD=win64 asks for the 64-bit build anywhere.
# Source it once scripts/setup.sh has run; then: kind=$(wine_build_kind)
# (which says so on stderr when it falls back to the 64-bit build).

wine_build_kind() {
    if [ -n "${TELVANE_WINE_BUILD:-}" ]; then
        echo "$TELVANE_WINE_BUILD"
    elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
        echo win
    else
        echo "this machine cannot execute 32-bit code: the Windows programs run from the 64-bit build" >&2
        echo win64
    fi
}
