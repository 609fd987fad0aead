#!/usr/bin/env bash
# Fails when a source includes a folder that sits above its own: the folders of src/ form
# layers that run one way (see ARCHITECTURE.md). Usage: tests/layers.sh SRC_DIR
set -euo pipefail
cd -- "$1"

# The folders each folder may include, besides itself: base at the bottom, then inputs,
# writers and the shared name rules, then the two companions side by side, and the
# programs' mains on top.
declare -A Allowed=([base]="" [inputs]="base" [writers]="base inputs" [names]="base inputs"
    [check]="base inputs writers names" [layout]="base inputs writers names"
    [programs]="base inputs writers names check layout")

Status=0
while IFS=: read -r File Included; do
    Own=${File%%/*}
    Target=${Included%%/*}
    [ "$Target" = "$Own" ] && continue
    if [[ -z ${Allowed[$Own]+set} || " ${Allowed[$Own]} " != *" $Target "* ]]; then
        echo "upward include: $File includes $Included"
        Status=1
    fi
done < <(grep -rHo '^#include "[^"]*"' -- */ | sed 's/#include "\(.*\)"/\1/')
[ "$Status" -eq 0 ] && echo "every include runs one way"
exit "$Status"
