#!/usr/bin/env bash
# Runs everything: setup, the native build with its tests (plain and under
# AddressSanitizer + UndefinedBehaviorSanitizer), the Windows build, the
# installer (scripts/package.sh) and the Windows tests under Wine. Ends with "N passed, N failed" (test programs, plus one
# failure for each build step that failed); exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
builds=${TELVANE_BUILD_ROOT:-$root/build}
export TELVANE_BUILD_ROOT=$builds
start=$(date +%s)

passed=0
failed=0
failures=()

# Each step says when it began, in seconds since the start.
step() { printf '\n== %s (at %d s)\n' "$*" "$(($(date +%s) - start))"; }
fail_step() {
    failed=$((failed + 1))
    failures+=("$1")
    echo "FAILED: $1" >&2
}

# The failed and total counts of a ctest log's summary line ("N% tests
# passed, B tests failed out of T") as "B T"; nothing without one.
ctest_counts() {
    grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1 |
        sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/' || true
}

# Adds the counts of one ctest run to the totals.
count_ctest() {
    local log=$1 name=$2 bad total
    read -r bad total <<<"$(ctest_counts "$log")"
    if [ -z "$bad" ]; then
        if grep -q 'No tests were found' "$log"; then return 0; fi
        fail_step "$name (no test summary)"
        return 0
    fi
    add_counts "$name" "$bad" "$total"
}

add_counts() {
    local name=$1 bad=$2 total=$3
    echo "$name: $((total - bad)) passed, $bad failed"
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    if [ "$bad" -gt 0 ]; then
        failures+=("$name: $bad failed")
    fi
}

run_ctest() {
    local dir=$1 name=$2
    shift 2
    local log
    log=$(mktemp)
    ctest --test-dir "$dir" --output-on-failure "$@" 2>&1 | tee "$log" || true
    count_ctest "$log" "$name"
    rm -f "$log"
}

# The Wine tests: one that fails runs once more, and counts by that run.
# Under the load of the three platforms Wine itself falters now and then (a
# waveOutReset that never returns, a recording's sound late from its
# start); a recording's check runs again with a new recording (ctest runs
# the fixture a rerun test requires). ctest's log keeps both runs.
run_wine_ctest() {
    local dir=$1 name=$2
    shift 2
    local log bad total again
    log=$(mktemp)
    ctest --test-dir "$dir" --output-on-failure "$@" 2>&1 | tee "$log" || true
    read -r bad total <<<"$(ctest_counts "$log")"
    if [ -n "$bad" ] && [ "$bad" -gt 0 ]; then
        step "the $bad Wine test(s) that failed, once more"
        ctest --test-dir "$dir" --output-on-failure "$@" --rerun-failed 2>&1 | tee "$log" || true
        read -r again _ <<<"$(ctest_counts "$log")"
        if [ -n "$again" ]; then
            add_counts "$name" "$again" "$total"
            rm -f "$log"
            return 0
        fi
    fi
    count_ctest "$log" "$name"
    rm -f "$log"
}

step "setup"
if ! scripts/setup.sh; then
    fail_step "setup"
    echo "$passed passed, $failed failed"
    exit 1
fi

step "format of changed files"
changed=$( { git diff --name-only HEAD~1 2>/dev/null || true; git diff --name-only 2>/dev/null || true; } |
    sort -u | grep -E '\.(cpp|h)$' || true)
unformatted=()
for f in $changed; do
    [ -f "$f" ] || continue
    clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || unformatted+=("$f")
done
if [ ${#unformatted[@]} -gt 0 ]; then
    echo "not formatted with .clang-format: ${unformatted[*]}" >&2
    fail_step "clang-format"
fi

# native32: the portable core as 32-bit programs (the shipped build's sizes
# and x87 arithmetic), whichever build the Windows tests run on.
for kind in native native-san native32; do
    step "build $kind"
    if scripts/build.sh "$kind"; then
        step "tests $kind"
        label="$kind tests"
        [ "$kind" != native32 ] || label="native32 tests (the portable core as 32-bit x87 programs)"
        run_ctest "$builds/$kind" "$label" -j2
    else
        fail_step "build $kind"
    fi
done

# shellcheck source=scripts/wine-build.sh
. scripts/wine-build.sh
wine_build=$(wine_build_kind)
# Where the tests run on another build, the shipped build needs only what
# the installer packs.
win_target=
[ "$wine_build" = win ] || win_target=product
step "build win${win_target:+ ($win_target)}"
if scripts/build.sh win $win_target; then
    step "installer"
    scripts/package.sh "$builds/win" || fail_step "installer"
else
    fail_step "build win"
    [ "$wine_build" != win ] || wine_build=
fi

if [ -n "$wine_build" ] && [ "$wine_build" != win ]; then
    step "build $wine_build"
    scripts/build.sh "$wine_build" || { fail_step "build $wine_build"; wine_build=; }
fi

if [ -n "$wine_build" ]; then
    step "tests under Wine ($wine_build)"
    # The Windows tests mostly wait on their own clocks: they run side by
    # side, each on one of the platforms (display, PulseAudio, prefix,
    # wineserver), which are stopped when this script ends.
    platforms=${TELVANE_WINE_JOBS:-3}
    # shellcheck source=scripts/wine-platforms.sh
    . scripts/wine-platforms.sh
    if wine_platforms_start "$builds/$wine_build" "$platforms"; then
        run_wine_ctest "$builds/$wine_build" "Wine tests ($wine_build)" -LE installer -j"$platforms" \
            --resource-spec-file "$WINE_PLATFORMS_SPEC"
        wine_platforms_stop
        # Last, as it brings up a platform and a fresh prefix of its own.
        step "installer under Wine ($wine_build)"
        run_ctest "$builds/$wine_build" "installer test ($wine_build)" -L installer
    else
        fail_step "Wine platforms"
    fi
fi

step "summary"
for f in "${failures[@]+"${failures[@]}"}"; do echo "  $f"; done
case "$wine_build" in
    win) echo "the Windows tests ran on the shipped 32-bit build (build/win)" ;;
    '') echo "the Windows tests did not run" ;;
    *) echo "the Windows tests ran on the 64-bit build (build/$wine_build)" ;;
esac
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
