#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (plus ASan and UBSan) against the
# sources they exercise, then runs each for the given seconds (default 30). The committed
# seeds in fuzz/corpus/<target>/ stay as they are; what the fuzzer adds goes to
# build-fuzz/corpus/<target>/, kept between runs. A crash leaves its input in build-fuzz/.
# Usage: fuzz/run.sh [seconds-per-target]
set -euo pipefail

Seconds=${1:-30}
Here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
Top=$(dirname -- "$Here")
Out=${FUZZ_BUILD:-$Top/build-fuzz}
mkdir -p "$Out"

Flags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer -Wall -Wextra -I "$Top/src")

# Each target with the sources it needs.
declare -A Sources=(
    [line_reader_fuzz]="inputs/line_reader.cpp driver/failure.cpp"
    [command_line_fuzz]="driver/command_line.cpp"
    [unit_names_fuzz]="inputs/unit_names.cpp inputs/paths.cpp driver/failure.cpp"
)

for Target in line_reader_fuzz command_line_fuzz unit_names_fuzz; do
    read -r -a Needed <<<"${Sources[$Target]}"
    clang++ "${Flags[@]}" -o "$Out/$Target" "$Here/$Target.cpp" "${Needed[@]/#/$Top/src/}"
done

Status=0
for Target in line_reader_fuzz command_line_fuzz unit_names_fuzz; do
    Corpus=$Out/corpus/${Target%_fuzz}
    mkdir -p "$Corpus"
    echo "== $Target, $Seconds s"
    if ! "$Out/$Target" -max_total_time="$Seconds" -print_final_stats=1 \
        -artifact_prefix="$Out/$Target-" "$Corpus" "$Here/corpus/${Target%_fuzz}" \
        2>"$Out/$Target.log"; then
        tail -n 40 "$Out/$Target.log"
        echo "FAILED: $Target (log: $Out/$Target.log)"
        Status=1
    else
        grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$Out/$Target.log"
    fi
done
exit "$Status"
