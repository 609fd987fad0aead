#!/usr/bin/env bash
# Holds adaskel-check's verdicts against GNAT over a generated corpus of projects: unit
# names made of every byte, reserved words, letter-case variants and clashes, GNAT's own
# units (read from its adainclude), parents present and missing, wide characters, and
# header texts holding every byte or reaching GNAT's longest line. For each project the
# check runs, then adaskel, then GNAT: gcc -c -gnats on every generated file, and
# gnatmake compiling and binding the main. A clean check must mean that GNAT accepts it
# all silently; warnings alone, that GNAT still builds it; an error, that GNAT refuses
# (or takes its own unit in place of a generated one, which it then never compiles).
#   Usage: gnat_agreement.sh ADASKEL_BINARY ADASKEL_CHECK_BINARY
set -euo pipefail
shopt -s nullglob dotglob

# ---- the workers: each case is checked, generated, compiled and bound -----------------
# A case's verdict line: the check's status, whether it reported an error, a warning, a
# wide character it does not judge, a plan failure; whether GNAT's syntax check passed,
# whether gnatmake built everything, and whether it was silent.
if [[ ${1-} == --worker ]]; then
    generator=$2 checker=$3 && shift 3
    for dir; do
        cd "$dir"
        status=0 && "$checker" list >report 2>&1 || status=$?
        "$generator" list >/dev/null 2>&1 || true
        report= && read -r -d '' report <report || true
        report=$'\n'$report
        flags=
        for mark in $'\n*: error: *' $'\n*: warning: *' '*does not judge*' $'\nerror *'; do
            # shellcheck disable=SC2053
            [[ $report == $mark ]] && flags+=' 1' || flags+=' 0'
        done
        IFS= read -r root <list
        declare -A planted=() && [[ ! -f planted ]] || while read -r file; do
            planted[$file]=1
        done <planted
        made=() && for file in "$root"/*/src/*.adb "$root"/*/src/lib/*.ads; do
            [[ -n ${planted[$file]-} ]] || made+=("$file")
        done
        syntax=1 built=0 silent=0 && : >gnat.out
        gcc -c -gnats "${made[@]}" >syntax.out 2>&1 || syntax=0
        if ((syntax)); then
            includes=() && for lib in "$root"/*/src/lib; do includes+=("-aI$lib"); done
            built=1 && gnatmake -c -b -q -D "$dir" "${includes[@]}" "$root/$root/src/$root.adb" \
                >gnat.out 2>&1 || built=0
            [[ -s gnat.out ]] || silent=1
            for file in "${made[@]}"; do # a unit GNAT takes from elsewhere is not compiled
                base=${file##*/} && [[ -f ${base%.*}.ali ]] || built=0
            done
        fi
        echo "$status$flags $syntax $built $silent" >verdict
    done
    exit 0
fi

command -v gnatmake >/dev/null || { echo "skipped: gnatmake not installed"; exit 77; }
generator=$(realpath "$1")
checker=$(realpath "$2")
adainclude=$(gcc -print-file-name=adainclude)
[[ -d $adainclude ]] || { echo "skipped: no adainclude directory"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work"/{0..1999}

printf -v licence_head ' licence line %d\n' {1..299}
printf -v licence_tail ' licence line %d\n' {301..320}
count=0
dirs=()

# new_case WHAT: a fresh case directory, $case, holding the reference texts.
new_case() {
    case=$work/$((count++))
    printf '%s\n' "$1" >"$case/what"
    printf '1.0\n' >"$case/Versions.lst"
    printf 'Checked against GNAT\n' >"$case/Abstract.txt"
    printf 'The Authors\n' >"$case/Copyright"
    printf '%s 300\n%s' "$licence_head" "$licence_tail" >"$case/gpl.txt"
}

# lines LINES...: the project file, and (made later, all at once) the directory of each
# file it makes.
lines() {
    local line
    dirs+=("$case/$1/$1/src")
    for line in "${@:3}"; do dirs+=("$case/$1/$line/src/lib"); done
    printf '%s\n' "$@" >"$case/list"
}

project() { new_case "$1" && lines "${@:2}"; }

# text FILE FORMAT WHAT: a project of one main procedure whose reference text FILE is
# one line, given as a printf format so that any byte can be written; gpl.txt has it as
# line 300.
text() {
    new_case "$1 line $3"
    # shellcheck disable=SC2059
    if [[ $1 == gpl.txt ]]; then
        { printf '%s' "$licence_head" && printf "$2\n" && printf '%s' "$licence_tail"; } >"$case/$1"
    else
        printf "$2\n" >"$case/$1"
    fi
    lines hdr hdr
}

# plant PATH: a package spec in the tree that no run made, for a parent found on disk.
plant() {
    local unit=${1##*/} && unit=${unit%.ads}
    mkdir -p "$case/${1%/*}"
    printf 'package %s is\nend %s;\n' "$unit" "$unit" >"$case/$1"
    printf '%s\n' "$1" >>"$case/planted"
}

# ---- the corpus: header texts ------------------------------------------------------------

# Every byte but the line feed inside the abstract, the upper half sixteen at a time;
# the control bytes and a few others at the end of each other text, and as the licence
# line's first byte, which the header drops; what follows a byte that ends a comment.
for byte in {1..9} {11..127}; do
    printf -v hex '\\x%02x' "$byte"
    text Abstract.txt "a${hex}b" "a, byte $byte, b"
done
for first in {128..255..16}; do
    printf -v hex '\\x%02x' $(seq "$first" $((first + 15)))
    text Abstract.txt "a${hex}b" "a, bytes $first to $((first + 15)), b"
done
for byte in {1..9} {11..31} 32 34 127 128 133 160 255; do
    printf -v hex '\\x%02x' "$byte"
    for file in Copyright Versions.lst gpl.txt; do
        text "$file" " a${hex}" "a, byte $byte"
    done
    text gpl.txt "${hex}a" "byte $byte, a"
done
for ender in '\x0b' '\x0c' '\r' '\x1a'; do
    for rest in '' ' ' '\t--c' ';' "$ender--c"; do
        for file in Abstract.txt Copyright Versions.lst gpl.txt; do
            text "$file" " a${ender}${rest}" "a, $ender, $rest"
        done
    done
done

# Header lines of GNAT's longest line and one byte more: "-- " and the abstract; "--"
# and the licence line but its first byte; "-- Hdr is Copyright (C) YYYY " and the
# holder and " ; "; "-- Version := " and the version in quotes. A final carriage return
# ends a line without counting.
longest=32765
xs() { long=x && while ((${#long} < $1)); do long+=$long; done && long=${long:0:$1}; }
for over in 0 1; do
    xs $((longest - 3 + over)) && text Abstract.txt "$long" "of ${#long} bytes"
    text Abstract.txt "$long\\r" "of ${#long} bytes and a carriage return"
    xs $((longest - 1 + over)) && text gpl.txt "$long" "of ${#long} bytes"
    text gpl.txt "$long\\r" "of ${#long} bytes and a carriage return"
    xs $((longest - 32 + over)) && text Copyright "$long" "of ${#long} bytes"
    xs $((longest - 16 + over)) && text Versions.lst "$long" "of ${#long} bytes"
done

# ---- the corpus: unit names --------------------------------------------------------------

# Names made of every byte but NUL, "\n", "-" and "/": inside a name, and first (but a
# form feed, which the run reads as a page break there, and the ASCII letters).
for byte in {1..9} {11..44} 46 {48..255}; do
    printf -v hex '%02x' "$byte" && printf -v char "\\x$hex"
    project "package a, byte $byte, b" app app "a${char}b"
    [[ $char == [a-zA-Z$'\f'] ]] || project "package byte $byte, b" app app "${char}b"
done

# The reserved words (Ada 2012's, and Ada 2022's "parallel", which GNAT's default
# language does not reserve), alone, as a child, and in capitals as the main procedure.
for word in abort abs abstract accept access aliased all and array at begin body case \
    constant declare delay delta digits do else elsif end entry exception exit for \
    function generic goto if in interface is limited loop mod new not null of or others \
    out overriding package parallel pragma private procedure protected raise range record \
    rem renames requeue return reverse select separate some subtype synchronized tagged \
    task terminate then type until use when while with xor; do
    project "package $word" app app "$word"
    project "package util-$word" app app util "util-$word"
    project "main procedure ${word^^}" app "${word^^}"
done

# Underscores, digits and empty parts, first and after a dot.
for first in a a_b a__b _a a_ 1a; do
    project "package $first" app app "$first"
    for second in '' b _b b_ 2 b__c; do
        project "package $first-$second" app app "$first" "$first-$second"
    done
done

# Letter case: a name in several casings alone, as the parent of a child, twice, and as
# the main procedure or the root.
spellings=(util Util uTil UTIL)
for one in "${spellings[@]}"; do
    project "package $one" app app "$one"
    project "main $one" app "$one"
    project "root $one" "$one" "$one"
    project "package $one-io" app app util "$one-io"
    project "main $one and package $one" "$one" "$one" "$one"
    for two in "${spellings[@]}"; do
        project "packages $one and $two" app app "$one" "$two"
        project "packages $one and $two-x" app app "$one" "$two-x"
    done
done
for one in app App aPp APP; do
    project "main app and package $one" app app "$one"
done

# GNAT's own units, read from its adainclude: each top-level unit by its name and by its
# file's, as a package, as a parent, and as the main procedure in its own file or in
# another; a few units of each predefined hierarchy.
while read -r name stem; do
    for unit in "${name,,}" "$stem"; do
        project "predefined package $unit" app app "$unit"
        project "child of predefined $unit" app app "$unit-x"
        project "predefined main $unit" "$unit" "$unit"
        project "predefined main $unit in app.adb" app "$unit"
    done
done < <(
    for file in "$adainclude"/*.ads; do
        stem=${file##*/} && stem=${stem%.ads}
        [[ $stem == *-* ]] && continue
        name=$(sed -nE 's/^(generic +)?(package|procedure|function) +([A-Za-z_]+).*/\3/p' "$file" |
            head -n 1)
        echo "$name $stem"
    done | sort -u
)
for prefix in a g i s; do
    for file in $(find "$adainclude" -name "$prefix-*.ads" | sort | sed -n '1p;40p'); do
        unit=$(sed -nE 's/^(private +)?(generic +)?package +([A-Za-z_.]+).*/\3/p' "$file" | head -n 1)
        unit=${unit,,} && unit=${unit//./-}
        [[ -n $unit ]] || continue
        project "predefined package $unit" app app "$unit"
        project "predefined main $unit" app "$unit"
    done
done
for top in ada system interfaces gnat standard; do
    project "package $top-x" app app "$top-x"
    project "main $top-x" app "$top-x"
done

# Parents: listed before or after, missing, on disk where the run writes its spec, the
# main procedure, two levels up.
project "parent listed" app app db db-cache
project "parent listed after" app app db-cache db
project "parent missing" app app db-cache
project "parent on disk" app app db-cache && plant app/db/src/lib/db.ads
project "parent on disk misnamed" app app db-cache && plant app/Db/src/lib/Db.ads
project "parent of the main missing" app db-app
project "parent of the main listed" app db-app db
project "parent of the main on disk" app db-app && plant app/db/src/lib/db.ads
project "parent is the main" db db db-cache
project "grandparent missing" app app db-cache db-cache-x
project "grandparent on disk" app app db-cache db-cache-x && plant app/db/src/lib/db.ads
project "parent not a name" app app body body-x

# Wide characters in GNAT's bracket notation, and Latin-1 ones written that way.
for code in 41 61 5F E9 C9 D7 0041 00E9 0391 03B1 03a3 2212 0020 000003A3 10000; do
    project "package x[\"$code\"]" app app "x[\"$code\"]"
    project "package [\"$code\"]x" app app "[\"$code\"]x"
    project "main x[\"$code\"]" app "x[\"$code\"]"
done
project "bracket unclosed" app app 'x["0391"'
project "bracket without quotes" app app 'x[0391]'

# ---- run the corpus, then compare ---------------------------------------------------------
((count <= 2000)) || { echo "the corpus has outgrown its $count directories" >&2; exit 1; }
mkdir -p -- "${dirs[@]}"
printf '%s\n' "$work"/{0..1999} | head -n "$count" |
    xargs -d '\n' -P "$(nproc)" -n 32 bash "$0" --worker "$generator" "$checker"

failures=0
fail() {
    ((++failures <= 2000)) || return 0
    printf 'FAIL [%s]: %s\n' "$(<"$1/what")" "$2" >&2
    sed 's/^/  check: /' "$1/report" >&2
    cat "$1/syntax.out" "$1/gnat.out" | sed -n '1,5s/^/  GNAT: /p' >&2
}
for ((number = 0; number < count; ++number)); do
    dir=$work/$number
    read -r status error warning unjudged plan_fails syntax built silent <"$dir/verdict"
    if ((plan_fails)); then
        fail "$dir" "the run would fail: the corpus must give runs that complete"
    elif ((status == 0 && !warning)); then
        ((syntax && built && silent)) || fail "$dir" "the check is clean, but GNAT is not"
    elif ((status == 0)); then
        ((syntax && built || unjudged)) || fail "$dir" "the check only warns, but GNAT refuses"
    else
        ((error && !(syntax && built))) || fail "$dir" "the check reports an error, but GNAT accepts"
    fi
done
((failures == 0)) || { echo "$failures of $count cases disagree with GNAT" >&2; exit 1; }
echo "adaskel-check agrees with GNAT on $count projects"
