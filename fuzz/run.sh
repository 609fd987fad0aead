#!/usr/bin/env bash
# Builds the fuzz targets (in the "sanitize" preset's tree: clang, libFuzzer, ASan and UBSan,
# beside the tests) and runs each for the given seconds (default 30), starting from the
# committed seeds in fuzz/corpus/. What the fuzzer adds, crash inputs and logs stay in
# build-sanitize/.   Usage: fuzz/run.sh [SECONDS]
set -euo pipefail
Seconds=${1:-30}
Here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
Out=$Here/../build-sanitize
(cd "$Here/.." && cmake --preset sanitize >/dev/null &&
    cmake --build --preset sanitize --target line_reader_fuzz command_line_fuzz unit_names_fuzz \
        context_clause_fuzz)
Status=0
for Target in line_reader command_line unit_names context_clause; do
    mkdir -p "$Out/corpus/$Target"
    echo "== $Target, $Seconds s"
    if "$Out/fuzz/${Target}_fuzz" -max_total_time="$Seconds" -artifact_prefix="$Out/$Target-" \
        "$Out/corpus/$Target" "$Here/corpus/$Target" 2>"$Out/$Target.log"; then
        grep -E '^Done' "$Out/$Target.log"
    else
        tail -n 30 "$Out/$Target.log" && echo "FAILED: $Target" && Status=1
    fi
done
exit "$Status"
