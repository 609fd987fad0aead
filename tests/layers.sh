#!/usr/bin/env bash
# Fails when a source includes a folder that sits above its own: the folders of src/ form
# layers that run one way (see ARCHITECTURE.md). Usage: tests/layers.sh SRC_DIR
set -euo pipefail
cd -- "$1"

# The folders each folder may include, besides itself.
declare -A Allowed=([driver]="" [writers]="driver" [inputs]="driver"
    [check]="driver inputs writers" [layout]="driver inputs writers check")
# The run sequence calls the steps; the generation pass calls the writers.
declare -A Excepted=([driver/run.cpp]="inputs" [driver/main.cpp]="inputs"
    [inputs/generation.cpp]="writers")

Status=0
while IFS=: read -r File Included; do
    Own=${File%%/*}
    Target=${Included%%/*}
    [ "$Target" = "$Own" ] && continue
    if [[ " ${Allowed[$Own]-} ${Excepted[$File]-} " != *" $Target "* ]]; then
        echo "upward include: $File includes $Included"
        Status=1
    fi
done < <(grep -rHo '^#include "[^"]*"' -- */ | sed 's/#include "\(.*\)"/\1/')
[ "$Status" -eq 0 ] && echo "every include runs one way"
exit "$Status"
