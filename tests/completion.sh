#!/usr/bin/env bash
# The bash completion of every program: sourced alone, it registers each program, and it
# completes the options, an option's values, the project file and MAX_LINES where each
# may stand (--help and --version only first, options only before the project file).
#   Usage: completion.sh COMPLETION_FILE
set -euo pipefail
# shellcheck source=/dev/null # fail and needs, from the end-to-end scripts
source "$(dirname -- "$0")/e2e/texts.sh"
completion=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" && touch shop.lst

# Each row: the command line up to the cursor, then the words offered. The project file
# and MAX_LINES are completed alike for every program, its options by its name; each
# program completes by the function the file registers for it.
rows=(
    'adaskel-check --h|--help'
    'adaskel-check --fo|--format='
    'adaskel-check --format=s|sarif'
    'adaskel-check --format=json --|--format= --warnings-as-errors'
    'adaskel-check --warnings-as-errors sh|shop.lst'
    'adaskel-layout --v|--version'
    'adaskel --|'
    'adaskel sh|shop.lst'
    'adaskel-refresh shop.lst |16384'
    'adaskel-check --format=text shop.lst 1|16384'
    'adaskel-layout shop.lst 16384 |'
)
for row in "${rows[@]}"; do
    line=${row%|*} want=${row##*|}
    got=$(bash -c 'source "$1"; COMP_LINE=$2 COMP_POINT=${#2}; read -ra COMP_WORDS <<<"$2"
        spec=$(complete -p "${COMP_WORDS[0]}") || { echo "(no completion)"; exit; }
        spec=${spec#*-F }; "${spec%% *}" "${COMP_WORDS[0]}"; echo "${COMPREPLY[*]}"' - "$completion" "$line")
    [[ $got == "$want" ]] || fail "'$line' completes to '$got', not '$want'"
done
echo "the completion of every program offers what each word may be"
