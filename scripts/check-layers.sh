#!/bin/bash
# Includes between the folders of src/ run downward only: a folder may include its own headers and those of
# the folders below it. Prints each include that runs upward or sideways, and fails on any.
set -euo pipefail
cd "$(dirname "$0")/../src"

# Each folder with the folders it may include (besides itself), top to bottom.
declare -A may=(
    [shell]="discovery verify select install remove log record shared platform"
    [discovery]="log shared platform"
    [verify]="log shared platform"
    [select]="log shared platform"
    [install]="log record shared platform"
    [remove]="install log record shared platform"
    [log]="platform"
    [record]="shared platform"
    [shared]="platform"
    [platform]=""
)

bad=0 seen=0
for dir in */; do
    folder=${dir%/}
    [[ -v may[$folder] ]] || { echo "src/$folder: a folder without a place in the layers"; bad=1; continue; }
    while IFS=: read -r file _ include; do
        seen=$((seen + 1))
        target=${include%%/*}
        [[ $include == */* ]] || continue # resource.h and the like, from res/
        [[ $target == "$folder" || " ${may[$folder]} " == *" $target "* ]] && continue
        echo "$file includes $include: $folder may not include $target"
        bad=1
    done < <(grep -Ho '^#include "[^"]*"' "$folder"/* | sed 's/:#include "/::/; s/"$//')
done
[[ $seen -gt 0 ]] || { echo "no include read"; exit 1; }
exit $bad
