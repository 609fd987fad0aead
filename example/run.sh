#!/usr/bin/env bash
# Runs adaskel on the bundled example project in a fresh copy.
#
#   ADASKEL=/path/to/adaskel example/run.sh WORKDIR
#
# WORKDIR is deleted and rebuilt on every run: the example's input files are copied into
# it, gpl.txt is taken from this machine's licence texts (or a placeholder is written),
# and the directories of the demo tree are made. adaskel then runs there on demo.lst;
# afterwards the tree and one generated file are shown. The script exits with
# adaskel's own status.
set -euo pipefail

readonly Marker=.adaskel-example
readonly System_Licence=/usr/share/common-licenses/GPL-3
readonly Placeholder_Lines=400

fail() {
    printf 'run.sh: %s\n' "$*" >&2
    exit 1
}

[ "$#" -eq 1 ] || fail "usage: ADASKEL=/path/to/adaskel $0 WORKDIR"
[ -n "$1" ] || fail "WORKDIR is empty"
[ -n "${ADASKEL:-}" ] || fail "ADASKEL is not set; point it at the adaskel program"

Example_Dir=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd -P)
Program=$ADASKEL
case $Program in
    */*) Program=$(cd -- "$(dirname -- "$Program")" && pwd -P)/$(basename -- "$Program") ;;
esac
[ -x "$Program" ] || command -v -- "$Program" >/dev/null || fail "ADASKEL: '$ADASKEL' is not a program"

# The work directory is deleted only when it is empty or was made by this script.
Work=$1
mkdir -p -- "$Work"
Work=$(cd -- "$Work" && pwd -P)
Work_Prefix=${Work%/}/
case $Example_Dir/ in
    "$Work_Prefix"*) fail "WORKDIR '$Work' holds the example itself" ;;
esac
if [ -n "$(ls -A -- "$Work")" ] && [ ! -f "$Work/$Marker" ]; then
    fail "WORKDIR '$Work' is not empty and was not made by this script; not deleting it"
fi
rm -rf -- "$Work"
mkdir -p -- "$Work"
: >"$Work/$Marker"

# Inputs: the reference texts, the project file and the existing directory tree.
cp -- "$Example_Dir/Versions.lst" "$Example_Dir/Abstract.txt" "$Example_Dir/Copyright" \
    "$Example_Dir/demo.lst" "$Work/"
mkdir -p -- "$Work/demo/demo/src" "$Work/demo/demo-util/src/lib" "$Work/demo/demo-io/src/lib"

# The header quotes lines 295 to 309 of gpl.txt, so the placeholder has more than that.
if [ -f "$System_Licence" ]; then
    cp -- "$System_Licence" "$Work/gpl.txt"
else
    for ((N = 1; N <= Placeholder_Lines; N++)); do
        printf ' [%d] Placeholder: the real licence text was not found on this machine.\n' "$N"
    done >"$Work/gpl.txt"
fi

printf '$ cd %s && adaskel demo.lst\n' "$Work"
Status=0
(cd -- "$Work" && "$Program" demo.lst) || Status=$?
printf '(exit status %d)\n\n' "$Status"

printf 'Files under %s:\n' "$Work"
(cd -- "$Work" && find demo -mindepth 1 \( -type d -printf '  %p/\n' \) -o -printf '  %p\n' |
    LC_ALL=C sort)

Shown=
for Candidate in demo/demo/src/demo.adb demo/demo-util/src/lib/demo-util.ads; do
    if [ -f "$Work/$Candidate" ]; then
        Shown=$Candidate
        break
    fi
done
if [ -n "$Shown" ]; then
    printf '\n%s:\n' "$Shown"
    cat -- "$Work/$Shown"
else
    printf '\nNo generated file to show.\n'
fi

exit "$Status"
