#!/usr/bin/env bash
# A week of a list that changes, on one generated tree: after each day's change,
# adaskel-layout, adaskel-check, adaskel and gprbuild build and run the main with no hand
# edit of a GPR file, and a hand edit of ROOT.gpr survives every day. ROOT/ holds one
# project file, the one ROOT/.als.json names for the editor. A tree laid out before the
# derived project moved (its ROOT.gpr withs "ROOT_tree.gpr") follows the same days beside
# it, in old/, and builds with no hand edit. A day whose list the check calls wrong is one
# gprbuild refuses too. With alr, the tree is also an Alire crate whose build profiles
# apply on its first and last days: `alr build --release` compiles the main with -O3,
# `alr build --validation` passes (and `alr build`, the development profile, on the shop's
# first day), offline. The weeks of the two trees run side by side, each in a directory of
# its own.
#   Usage: week.sh ADASKEL ADASKEL_CHECK ADASKEL_LAYOUT
set -euo pipefail
source "$(dirname -- "$0")/texts.sh"
needs gprbuild
generator=$(realpath "$1") checker=$(realpath "$2") layout=$(realpath "$3")
work=$(mktemp -d)
trap '[[ -z ${shop_week-} ]] || kill "$shop_week" 2>/dev/null || true; rm -rf "$work"' EXIT
Alr= && ! command -v alr >/dev/null || Alr=alr

# week DIR: a directory of its own for a week, with the reference texts and, with alr, a
# private configuration without the community index (alr then needs no network).
week() {
    mkdir "$work/$1" && cd "$work/$1" && texts 'A shop, a week of changes' 0.9 1.0
    if [[ -f /usr/share/common-licenses/GPL-2 ]]; then cp /usr/share/common-licenses/GPL-2 gpl.txt; fi
    [[ -z $Alr ]] || { export ALR_CONFIG=$PWD/.alr &&
        alr -n config --global --set index.auto_community false >/dev/null; }
}

# steps TITLE ROOT [WARNING]: the four steps on the list in the current directory, where
# adaskel-check warns of nothing (or of WARNING alone, on ROOT.gpr); the program runs.
steps() {
    local title=$1 root=$2 warning=${3:+$2/$2.gpr: warning: $3} report warned
    "$layout" list >/dev/null || fail "$title: adaskel-layout failed"
    report=$("$checker" list) || fail "$title: adaskel-check found a problem:"$'\n'"$report"
    warned=$(grep ': warning: ' <<<"$report" || true)
    [[ $warned != *$'\n'* && (-z $warning && -z $warned || -n $warning && $warned == *"$warning"*) ]] ||
        fail "$title: adaskel-check warned:"$'\n'"$report"
    "$generator" list >/dev/null || fail "$title: adaskel failed"
    gprbuild -q -P "$root/$root.gpr" >build.out 2>&1 || fail "$title: gprbuild: $(<build.out)"
    "$root/bin/$root" || fail "$title: the program failed"
}

# day TITLE ROOT LINES...: the list becomes LINES, then the four steps in the tree and in
# old/ (where the check warns once, of how to move the derived project), then the checks
# above; with Alr_Day set, alr's profiles (with Alr_Day=development, that one first).
day() {
    local title=$1 root=$2 projects && shift 2
    printf '%s\n' "$root" "$@" >list && printf '== %s\n' "$title" && steps "$title" "$root"
    grep -qx -- '--  hand edit' "$root/$root.gpr" || fail "$title: the hand edit of $root.gpr is lost"
    projects=$(cd "$root" && echo *.gpr)
    [[ $projects == "$root.gpr" ]] || fail "$title: $root/ holds the project files $projects"
    python3 -c 'import json, sys; assert json.load(open(sys.argv[1]))["projectFile"] == sys.argv[2]' \
        "$root/.als.json" "$root.gpr" || fail "$title: $root/.als.json does not name $root.gpr"
    cp list old/list && (cd old && steps "$title (old/)" "$root" 'withs the derived project at its old place')
    [[ -n $Alr && -n ${Alr_Day-} ]] || return 0
    (cd "$root" && { [[ $Alr_Day != development ]] || alr -n build -- -j2; } && alr -n build --release -- -j2 &&
        grep -qx 'A -O3' "obj/$root.ali" && alr -n build --validation -- -j2) >alr.out 2>&1 ||
        fail "$title: alr build: $(tail -5 alr.out)"
}

# first_day TITLE ROOT LINES...: a fresh tree laid out, its GPR file then edited by hand,
# once; in old/, the GPR files of ROOT as adaskel-layout wrote them before the derived
# project moved into ROOT/.adaskel.
first_day() {
    local root=$2 name=${2^}
    printf '%s\n' "$root" "${@:3}" >list && "$layout" list >/dev/null
    sed -i "s/^project .* is\$/&\n--  hand edit/" "$root/$root.gpr"
    mkdir -p "old/$root" && cp Versions.lst Abstract.txt Copyright gpl.txt old/
    printf '%s\n' "--  The tree adaskel writes. Build it with: gprbuild -P $root/$root.gpr" \
        "--  Yours to edit: adaskel-layout writes it once. Its sources and naming come from" \
        "--  ${root}_tree.gpr, which adaskel-layout derives from the list on every run." \
        "with \"${root}_tree.gpr\";" "project $name is" \
        "   for Source_Dirs use ${name}_Tree.Source_Dirs;" \
        "   package Naming renames ${name}_Tree.Naming;" "   for Main use (\"$root.adb\");" \
        "   for Object_Dir use \"obj\";" "   for Exec_Dir use \"bin\";" "end $name;" \
        >"old/$root/$root.gpr"
    printf 'abstract project %s_Tree is\nend %s_Tree;\n' "$name" "$name" >"old/$root/${root}_tree.gpr"
    Alr_Day=${Alr_Day-yes} day "$@"
}

# Adds a with clause of unit $2 to the main body $1, as its author would: below the header,
# which stays the file's first 19 lines (adaskel-check warns of a header moved down, which
# adaskel-refresh would not rewrite); the same in the tree laid out the old way.
add_with() { sed -i "19a with $2;" "$1" "old/$1"; }

# The shop's week, beside the rest.
(
week shop
Alr_Day=development first_day "first build" shop shop store store-cart report
add_with shop/shop/src/shop.adb Store.Cart
# A unit added is compiled once a source withs it: the main body is written once.
add_with shop/shop/src/shop.adb Net.Http
day "units added, a child before its parent" shop shop store store-cart report net-http net
day "a parent's line removed, its spec left" shop shop store-cart report net-http net

printf '%s\n' shop shop store-cart reports net-http net >list
"$layout" list >/dev/null
report=$("$checker" list) || true
[[ $report == *"shop.adb:"*": error: withs Report, which nothing in the list or the tree provides (renamed or removed?), and 'shop/shop.gpr' withs no other project that could: gprbuild will not find 'report.ads'"* ]] ||
    fail "a rename: the check does not warn of the with clause:"$'\n'"$report"
sed -i 's/^with Report ; $/with Reports ; /' shop/shop/src/shop.adb old/shop/shop/src/shop.adb
Alr_Day=yes day "a unit renamed" shop shop store-cart reports net-http net
) &
shop_week=$!

week demo
first_day "names with capitals" Demo Demo ABC ABC-def Util-io util
add_with Demo/Demo/src/Demo.adb XML
Alr_Day=yes day "a capitalised unit added" Demo Demo ABC ABC-def Util-io util XML

# A child whose parent is nowhere: the check calls it an error, and gprbuild refuses.
printf '%s\n' lost lost util-io >list
"$layout" list >/dev/null && "$generator" list >/dev/null
if "$checker" list >check.out; then fail "a lost parent: the check is clean"; fi
grep -q "error: the parent 'Util' of 'Util.Io'" check.out || fail "a lost parent: $(<check.out)"
if gprbuild -q -P lost/lost.gpr >/dev/null 2>&1; then fail "a lost parent: gprbuild builds"; fi
wait "$shop_week" || exit 1
echo "a week of changes built every day${Alr:+ (gprbuild and alr)}"
