#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (plus ASan and UBSan) and runs each for
# the given seconds (default 30), starting from the committed seeds in fuzz/corpus/. What
# the fuzzer adds, crash inputs and logs stay in build-fuzz/.   Usage: fuzz/run.sh [SECONDS]
set -euo pipefail
Seconds=${1:-30}
Here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
Src=$Here/../src
Out=${FUZZ_BUILD:-$Here/../build-fuzz}
declare -A Sources=([line_reader]="inputs/line_reader.cpp driver/line_store.cpp driver/failure.cpp"
    [command_line]="driver/command_line.cpp driver/failure.cpp"
    [unit_names]="inputs/unit_names.cpp inputs/paths.cpp driver/failure.cpp check/ada_names.cpp")
Status=0
for Target in line_reader command_line unit_names; do
    mkdir -p "$Out/corpus/$Target"
    read -r -a Needed <<<"${Sources[$Target]}"
    clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -I "$Src" -o "$Out/$Target" "$Here/${Target}_fuzz.cpp" "${Needed[@]/#/$Src/}"
    echo "== $Target, $Seconds s"
    if "$Out/$Target" -max_total_time="$Seconds" -artifact_prefix="$Out/$Target-" \
        "$Out/corpus/$Target" "$Here/corpus/$Target" 2>"$Out/$Target.log"; then
        grep -E '^Done' "$Out/$Target.log"
    else
        tail -n 30 "$Out/$Target.log" && echo "FAILED: $Target" && Status=1
    fi
done
exit "$Status"
