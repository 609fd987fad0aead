#!/usr/bin/env bash
# A week of a list that changes, on one generated tree: after each day's change,
# adaskel-layout, adaskel-check, adaskel and gprbuild build and run the main with no hand
# edit of a GPR file, and a hand edit of ROOT.gpr survives every day. A day whose list the
# check calls wrong is one gprbuild refuses too. With alr, the tree is also an Alire crate
# that `alr build` and `alr build --validation` build, offline.
#   Usage: week.sh ADASKEL ADASKEL_CHECK ADASKEL_LAYOUT
set -euo pipefail
command -v gprbuild >/dev/null || { echo "skipped: gprbuild not installed"; exit 77; }
generator=$(realpath "$1") checker=$(realpath "$2") layout=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() { printf 'week.sh: %s\n' "$*" >&2; exit 1; }

Alr=
if command -v alr >/dev/null; then
    # A private configuration, without the community index: alr then needs no network.
    export ALR_CONFIG=$work/.alr
    alr -n config --global --set index.auto_community false >/dev/null
    Alr=alr
fi

printf '0.9\n1.0\n' >Versions.lst && printf 'A shop, a week of changes\n' >Abstract.txt
printf 'The Authors\n' >Copyright
if [[ -f /usr/share/common-licenses/GPL-2 ]]; then cp /usr/share/common-licenses/GPL-2 gpl.txt
else seq -f ' licence line %g' 320 >gpl.txt; fi

# day TITLE ROOT LINES...: the list becomes LINES, then the four steps; the program runs.
day() {
    local title=$1 root=$2 report && shift 2
    printf '%s\n' "$root" "$@" >list
    printf '== %s\n' "$title"
    "$layout" list >/dev/null || fail "$title: adaskel-layout failed"
    report=$("$checker" list) || fail "$title: adaskel-check found a problem:"$'\n'"$report"
    [[ $report != *': warning: '* ]] || fail "$title: adaskel-check warned:"$'\n'"$report"
    "$generator" list >/dev/null || fail "$title: adaskel failed"
    gprbuild -q -P "$root/$root.gpr" >build.out 2>&1 || fail "$title: gprbuild: $(<build.out)"
    "$root/bin/$root" || fail "$title: the program failed"
    grep -qx -- '--  hand edit' "$root/$root.gpr" || fail "$title: the hand edit of $root.gpr is lost"
    if [[ -n $Alr ]]; then
        (cd "$root" && alr -n build -- -j2 && alr -n build --validation -- -j2) >alr.out 2>&1 ||
            fail "$title: alr build: $(tail -5 alr.out)"
    fi
}

# The first day lays out a fresh tree; its GPR file is then edited by hand, once.
first_day() {
    local root=$2
    printf '%s\n' "$root" "${@:3}" >list
    "$layout" list >/dev/null
    sed -i "s/^project .* is\$/&\n--  hand edit/" "$root/$root.gpr"
    day "$@"
}

# Adds a with clause of unit $2 to the main body $1, as its author would: below the header,
# which stays the file's first 19 lines (adaskel-check warns of a header moved down, which
# adaskel-refresh would not rewrite).
add_with() { sed -i "19a with $2;" "$1"; }

first_day "first build" shop shop store store-cart report
add_with shop/shop/src/shop.adb Store.Cart

day "units added, a child before its parent" shop shop store store-cart report net-http net
add_with shop/shop/src/shop.adb Net.Http

day "a parent's line removed, its spec left" shop shop store-cart report net-http net

printf '%s\n' shop shop store-cart reports net-http net >list
"$layout" list >/dev/null
report=$("$checker" list) || true
[[ $report == *"shop.adb:"*": warning: withs Report, which nothing in the list or the tree provides (renamed or removed?)"* ]] ||
    fail "a rename: the check does not warn of the with clause:"$'\n'"$report"
sed -i 's/^with Report ; $/with Reports ; /' shop/shop/src/shop.adb
day "a unit renamed" shop shop store-cart reports net-http net

first_day "names with capitals" Demo Demo ABC ABC-def Util-io util
day "a capitalised unit added" Demo Demo ABC ABC-def Util-io util XML

# A child whose parent is nowhere: the check calls it an error, and gprbuild refuses.
printf '%s\n' lost lost util-io >list
"$layout" list >/dev/null && "$generator" list >/dev/null
if "$checker" list >check.out; then fail "a lost parent: the check is clean"; fi
grep -q "error: the parent 'Util' of 'Util.Io'" check.out || fail "a lost parent: $(<check.out)"
if gprbuild -q -P lost/lost.gpr >/dev/null 2>&1; then fail "a lost parent: gprbuild builds"; fi
echo "a week of changes built every day${Alr:+ (gprbuild and alr)}"
