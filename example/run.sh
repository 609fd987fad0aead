#!/usr/bin/env bash
# From a project list to a running program: the bundled example, in a fresh copy.
#
#   [ADASKEL=/path/to/adaskel] example/run.sh WORKDIR
#
# ADASKEL names the adaskel program; by default it is the one built in build/ of the
# repository holding this script, where the README's build puts it. ADASKEL_CHECK and
# ADASKEL_LAYOUT name the companion programs; by default they are adaskel-check and
# adaskel-layout beside ADASKEL. WORKDIR is deleted and rebuilt on
# every run: the example's input files are copied into it and gpl.txt is taken from this
# machine's GPL-2 text (or a placeholder is written). Then, in WORKDIR:
#   adaskel-layout shop.lst   the directories of the tree, shop/.adaskel/shop_tree.gpr,
#                             shop/shop.gpr, shop/config/shop_config.gpr, shop/.als.json,
#                             shop/alire.toml and shop/.gitignore
#   adaskel-check shop.lst    must find nothing: 0 errors and 0 warnings
#   adaskel shop.lst          the source files; the tree and two files are shown
#   gprbuild -P shop/shop.gpr (gnatmake with one -aI per directory without gprbuild)
#   shop/bin/shop             the program
#   alr build (in shop/)      where alr is installed: the same tree as an Alire crate, built
#                             offline with a private configuration in WORKDIR/.alr
# With no Ada compiler at all the build is skipped, with a note. The script exits
# non-zero when a step fails.
set -euo pipefail

readonly Marker=.adaskel-example
readonly System_Licence=/usr/share/common-licenses/GPL-2
readonly Placeholder_Lines=400

fail() {
    printf 'run.sh: %s\n' "$*" >&2
    exit 1
}

# The absolute name of program $2 (variable $1), to run from another directory.
resolve() {
    local Program=$2
    case $Program in
        */*) Program=$(cd -- "$(dirname -- "$Program")" && pwd -P)/$(basename -- "$Program") ;;
        *) Program=$(command -v -- "$Program") || fail "$1: '$2' is not a program" ;;
    esac
    [ -x "$Program" ] || fail "$1: '$2' is not a program"
    printf '%s\n' "$Program"
}

# Shows command $@ as typed in the work directory (a program named by an absolute path
# by its base name), runs it there and fails with it.
step() {
    local Shown=("$@")
    [[ $1 != /* ]] || Shown[0]=${1##*/}
    printf '\n$ %s\n' "${Shown[*]}"
    (cd -- "$Work" && "$@") || fail "'$*' failed with status $?"
}

[ "$#" -eq 1 ] || fail "usage: [ADASKEL=/path/to/adaskel] $0 WORKDIR"
[ -n "$1" ] || fail "WORKDIR is empty"

Example_Dir=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd -P)
if [ -z "${ADASKEL:-}" ]; then
    ADASKEL=$(dirname -- "$Example_Dir")/build/adaskel
    [ -x "$ADASKEL" ] || fail "ADASKEL is not set and '$ADASKEL' is not built: run" \
        "'cmake --workflow --preset example' in the repository, or point ADASKEL at adaskel"
fi
Adaskel=$(resolve ADASKEL "$ADASKEL")
Beside=$(dirname -- "$Adaskel")
Check=$(resolve ADASKEL_CHECK "${ADASKEL_CHECK:-$Beside/adaskel-check}")
Layout=$(resolve ADASKEL_LAYOUT "${ADASKEL_LAYOUT:-$Beside/adaskel-layout}")

# The work directory is deleted only when it is empty or was made by this script.
Work=$1
mkdir -p -- "$Work"
Work=$(cd -- "$Work" && pwd -P)
case $Example_Dir/ in
    "${Work%/}/"*) fail "WORKDIR '$Work' holds the example itself" ;;
esac
if [ -n "$(ls -A -- "$Work")" ] && [ ! -f "$Work/$Marker" ]; then
    fail "WORKDIR '$Work' is not empty and was not made by this script; not deleting it"
fi
rm -rf -- "$Work"
mkdir -p -- "$Work"
: >"$Work/$Marker"

cp -- "$Example_Dir/Versions.lst" "$Example_Dir/Abstract.txt" "$Example_Dir/Copyright" \
    "$Example_Dir/shop.lst" "$Work/"
# The header quotes lines 295 to 309 of gpl.txt: in the GPL-2 text, its notice.
if [ -f "$System_Licence" ]; then
    cp -- "$System_Licence" "$Work/gpl.txt"
else
    for ((N = 1; N <= Placeholder_Lines; N++)); do
        printf ' [%d] Placeholder: the real licence text was not found on this machine.\n' "$N"
    done >"$Work/gpl.txt"
fi
printf 'In %s:\n' "$Work"

step "$Layout" shop.lst
printf '\n$ %s shop.lst\n' "${Check##*/}"
Report=$(cd -- "$Work" && "$Check" shop.lst) || fail "adaskel-check failed with status $?"
printf '%s\n' "$Report"
[[ $Report == *"; 0 errors, 0 warnings" ]] || fail "adaskel-check found something"
step "$Adaskel" shop.lst

printf '\nFiles under %s:\n' "$Work"
(cd -- "$Work" && find shop -mindepth 1 \( -type d -printf '  %p/\n' \) -o -printf '  %p\n' |
    LC_ALL=C sort)
for Shown in shop/shop/src/shop.adb shop/store-cart/src/lib/store-cart.ads; do
    printf '\n%s:\n' "$Shown"
    cat -- "$Work/$Shown"
done

if command -v gprbuild >/dev/null; then
    step gprbuild -P shop/shop.gpr
elif command -v gnatmake >/dev/null; then
    Includes=()
    for Directory in "$Work"/shop/shop/src "$Work"/shop/*/src/lib; do
        [ -d "$Directory" ] && Includes+=("-aI${Directory#"$Work/"}")
    done
    mkdir -p -- "$Work/shop/obj" "$Work/shop/bin"
    step gnatmake -q -D shop/obj "${Includes[@]}" shop/shop/src/shop.adb -o shop/bin/shop
else
    printf '\nNo gprbuild or gnatmake on this machine: the tree is not built.\n'
    exit 0
fi
step shop/bin/shop
printf '(exit status 0)\n'
if command -v alr >/dev/null; then
    export ALR_CONFIG=$Work/.alr
    alr -n config --global --set index.auto_community false
    (cd -- "$Work/shop" && printf '\n$ alr build (in shop/)\n' && alr -n build -- -j2) >"$Work/alr.out" 2>&1 ||
        { cat -- "$Work/alr.out" >&2; fail "'alr build' failed"; }
    grep -F -e '$ alr' -e 'Build finished' -- "$Work/alr.out"
fi
