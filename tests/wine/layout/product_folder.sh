#!/usr/bin/env bash
# Compares the build's product folder with the list of shipped files: a
# stand-in or a test program beside telvane.exe would be loaded or installed
# with the product, and a missing file would leave the recorder without it.
set -u
folder=${1:?product folder}
list=${2:?list of shipped files}
[ -d "$folder" ] || { echo "no product folder $folder"; exit 1; }
expected=$(grep -v -E '^\s*(#|$)' "$list" | sort)
actual=$(cd "$folder" && find . -mindepth 1 -printf '%P\n' | sort)
extra=$(comm -13 <(echo "$expected") <(echo "$actual"))
missing=$(comm -23 <(echo "$expected") <(echo "$actual"))
status=0
if [ -n "$extra" ]; then
    echo "not part of the product, yet in $folder:"; echo "$extra" | sed 's/^/  /'; status=1
fi
if [ -n "$missing" ]; then
    echo "shipped, yet missing from $folder:"; echo "$missing" | sed 's/^/  /'; status=1
fi
[ $status -eq 0 ] && echo "$folder holds exactly the $(echo "$expected" | wc -l) shipped files"
exit $status
