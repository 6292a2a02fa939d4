# Sourced by scripts/demo.sh and scripts/soak.sh: sets up the machine and
# builds the Windows programs (a failed build shows the end of its output),
# then sets `builds`, `win` and `case_dir` for the recording case named by
# the first argument and empties that case's folder.
prepare_call_case() {
    builds=${TELVANE_BUILD_ROOT:-$root/build}
    export TELVANE_BUILD_ROOT=$builds
    scripts/setup.sh
    # shellcheck source=scripts/wine-build.sh
    . scripts/wine-build.sh
    local kind
    kind=$(wine_build_kind)
    win=$builds/$kind
    mkdir -p "$builds"
    if ! scripts/build.sh "$kind" >"$builds/build-$kind.log" 2>&1; then
        tail -n 40 "$builds/build-$kind.log" >&2
        echo "the build failed (log: $builds/build-$kind.log)" >&2
        exit 1
    fi
    case_dir=$win/tests/e2e/$1
    rm -rf "$case_dir"
}
