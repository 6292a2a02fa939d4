#!/bin/sh
# CTest's short fuzz run: fresh seeds, then the fuzz target for a few
# seconds; new inputs go to a folder of their own, a crash's input beside it.
#   run_fuzz.sh SEEDS_PROGRAM FUZZ_PROGRAM WORK_FOLDER SECONDS
set -eu
seeds=$1 fuzz=$2 work=$3 seconds=$4
rm -rf "$work"
mkdir -p "$work/seeds" "$work/found"
"$seeds" "$work/seeds"
exec "$fuzz" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 -artifact_prefix="$work/" "$work/found" "$work/seeds"
