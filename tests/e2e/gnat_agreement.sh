#!/usr/bin/env bash
# Holds adaskel-check's verdicts against GNAT over a generated corpus (names of every byte,
# reserved words, letter cases and clashes, GNAT's own units, parents, wide characters, header
# texts of every byte and of GNAT's longest line): a clean check means GNAT compiles and binds
# it all silently; warnings alone, that GNAT builds it; an error, that GNAT refuses (or takes
# its own unit in place of a generated one).   Usage: gnat_agreement.sh ADASKEL ADASKEL_CHECK
set -euo pipefail
shopt -s nullglob dotglob

# A worker judges its cases: what the check said against whether GNAT's syntax check passed,
# gnatmake built everything, and was silent; a disagreement is written to the case's "fail".
if [[ ${1-} == --worker ]]; then
    generator=$2 checker=$3 && shift 3
    for dir; do
        # gnatmake names files by default: a GPR file of the tree that does not take the
        # derived naming has the check judge file names so too (its warning is left out).
        cd "$dir" && IFS= read -r root <list || true
        printf 'project Hand is\nend Hand;\n' 2>/dev/null >"$root/$root.gpr" || true
        status=0 && "$checker" list >report 2>&1 || status=$?
        rm -f -- "$root/$root.gpr" && "$generator" list >/dev/null 2>&1 || true
        report=$'\n'$(grep -av ': warning: does not take its sources from ' report) || true
        made=() syntax=1 built=0 silent=0
        for file in "$root"/*/src/*.adb "$root"/*/src/lib/*.ads; do
            grep -qxF "$file" planted 2>/dev/null || made+=("$file")
        done
        : >gnat.out && gcc -c -gnats "${made[@]}" >syntax.out 2>&1 || syntax=0
        if ((syntax)); then
            includes=() && for lib in "$root"/*/src/lib; do includes+=("-aI$lib"); done
            built=1 && gnatmake -c -b -q -D "$dir" "${includes[@]}" "$root/$root/src/$root.adb" \
                >gnat.out 2>&1 || built=0
            [[ -s gnat.out ]] || silent=1
            for file in "${made[@]}"; do # a unit GNAT takes from elsewhere is not compiled
                base=${file##*/} && [[ -f ${base%.*}.ali ]] || built=0
            done
        fi
        problem=
        if [[ $report == *$'\nerror '* ]]; then problem="the run would fail"
        elif ((status == 0)) && [[ $report != *': warning: '* ]]; then
            ((syntax && built && silent)) || problem="the check is clean, but GNAT is not"
        elif ((status == 0)); then # a wide character the check does not judge may go either way
            ((syntax && built)) || [[ $report == *'does not judge'* ]] ||
                problem="the check only warns, but GNAT refuses"
        else ((!(syntax && built))) && [[ $report == *': error: '* ]] ||
            problem="the check reports an error, but GNAT accepts"; fi
        [[ -z $problem ]] || { printf 'FAIL [%s]: %s\n' "$(<what)" "$problem" &&
            sed 's/^/  check: /' report && sed -n '1,5s/^/  GNAT: /p' syntax.out gnat.out; } >fail
    done
    exit 0
fi

command -v gnatmake >/dev/null || { echo "skipped: gnatmake not installed"; exit 77; }
self=$(realpath "$0") generator=$(realpath "$1") checker=$(realpath "$2")
adainclude=$(gcc -print-file-name=adainclude)
[[ -d $adainclude ]] || { echo "skipped: no adainclude directory"; exit 77; }
work=$(mktemp -d) count=0 dirs=()
trap 'rm -rf "$work"' EXIT
printf -v head ' licence line %d\n' {1..299} && printf -v tail ' licence line %d\n' {301..320}

# project WHAT ROOT MAIN UNITS...: a case directory, $case, with its texts and project file.
project() {
    local line && case=$work/$((count++)) && mkdir "$case" && cd "$case"
    printf '%s\n' "$1" >what && printf '%s\n' "${@:2}" >list && printf '1.0\n' >Versions.lst
    printf 'The Authors\n' >Copyright && printf 'Checked against GNAT\n' >Abstract.txt
    printf '%s 300\n%s' "$head" "$tail" >gpl.txt
    dirs+=("$case/$2/$2/src") && for line in "${@:4}"; do dirs+=("$case/$2/$line/src/lib"); done
}
# text FILE FORMAT WHAT: reference text FILE of one line (gpl.txt's 300th), a printf format.
text() {
    project "$1 line $3" hdr hdr
    # shellcheck disable=SC2059
    [[ $1 == gpl.txt ]] && printf "%s$2\n%s" "$head" "$tail" >"$1" || printf "$2\n" >"$1"
}

# Every byte inside the abstract (the upper half sixteen at a time); control bytes and a few
# others ending each other text and first on the licence line, which the header drops; what
# follows a byte that ends a comment.
for bytes in {1..9} {11..127} {128..255..16}; do
    printf -v hex '\\x%02x' $(seq "$bytes" $((bytes < 128 ? bytes : bytes + 15)))
    text Abstract.txt "a${hex}b" "a, bytes from $bytes, b"
done
for byte in {1..9} {11..31} 32 34 127 128 133 160 255; do
    printf -v hex '\\x%02x' "$byte" && text gpl.txt "${hex}a" "byte $byte, a"
    for file in Copyright Versions.lst gpl.txt; do text "$file" " a${hex}" "a, byte $byte"; done
done
for ender in '\x0b' '\x0c' '\r' '\x1a'; do for rest in '' ' ' '\t--c' ';' "$ender--c"; do
    for file in Abstract.txt Copyright Versions.lst gpl.txt; do
        text "$file" " a$ender$rest" "a, $ender, $rest"
    done
done; done
# Header lines of GNAT's longest line and one byte more, given each text's share of the line;
# a final carriage return does not count.
for over in 0 1; do
    for share in Abstract.txt:3:r gpl.txt:1:r Copyright:32 Versions.lst:16; do
        IFS=: read -r file less cr <<<"$share"
        printf -v long '%*s' $((32765 - less + over)) '' && long=${long// /x}
        text "$file" "$long" "of ${#long} bytes" && [[ -z $cr ]] ||
            text "$file" "$long\\r" "of ${#long} bytes and a carriage return"
    done
done

# Names of every byte but NUL, "\n", "-" and "/": inside, and first (but a form feed, a page
# break there, and the ASCII letters).
for byte in {1..9} {11..44} 46 {48..255}; do
    printf -v hex '%02x' "$byte" && printf -v char "\\x$hex"
    project "package a, byte $byte, b" app app "a${char}b"
    [[ $char == [a-zA-Z$'\f'] ]] || project "package byte $byte, b" app app "${char}b"
done
# The reserved words (and Ada 2022's "parallel", which GNAT's default does not reserve).
for word in abort abs abstract accept access aliased all and array at begin body case \
    constant declare delay delta digits do else elsif end entry exception exit for \
    function generic goto if in interface is limited loop mod new not null of or others \
    out overriding package parallel pragma private procedure protected raise range record \
    rem renames requeue return reverse select separate some subtype synchronized tagged \
    task terminate then type until use when while with xor; do
    project "package $word" app app "$word" && project "main ${word^^}" app "${word^^}"
    project "package util-$word" app app util "util-$word"
done
for first in a a_b a__b _a a_ 1a; do
    project "package $first" app app "$first"
    for second in '' b _b b_ 2 b__c; do
        project "$first-$second" app app "$first" "$first-$second"
    done
done
apps=(app App aPp APP) spellings=(util Util uTil UTIL)
for i in 0 1 2 3; do
    one=${spellings[i]} && project "main app and package ${apps[i]}" app app "${apps[i]}"
    project "package $one" app app "$one" && project "main $one" app "$one"
    project "root $one" "$one" "$one" && project "main and package $one" "$one" "$one" "$one"
    project "package $one-io" app app util "$one-io"
    for two in "${spellings[@]}"; do
        project "$one and $two" app app "$one" "$two"
        project "$one and $two-x" app app "$one" "$two-x"
    done
done

# GNAT's own top-level units by unit and file name, as package, parent and main (in its own
# file or another); a few units of each predefined hierarchy.
while read -r name stem; do
    for unit in "${name,,}" "$stem"; do
        project "predefined $unit" app app "$unit" && project "child of $unit" app app "$unit-x"
        project "main $unit" "$unit" "$unit" && project "main $unit in app.adb" app "$unit"
    done
done < <(for file in "$adainclude"/*.ads; do
    stem=${file##*/} && stem=${stem%.ads} && [[ $stem != *-* ]] || continue
    echo "$(sed -nE 's/^(generic +)?(package|procedure|function) +([A-Za-z_]+).*/\3/p' \
        "$file" | head -n 1) $stem"
done | sort -u)
for p in a g i s; do find "$adainclude" -name "$p-*.ads" | sort | sed -n '1p;40p'; done \
    >"$work/units"
while read -r file; do
    unit=$(sed -nE 's/^(private +)?(generic +)?package +([A-Za-z_.]+).*/\3/p' "$file" | head -n 1)
    unit=${unit,,} && unit=${unit//./-} && [[ -n $unit ]] || continue
    project "predefined $unit" app app "$unit" && project "main $unit" app "$unit"
done <"$work/units"
for top in ada system interfaces gnat standard; do
    project "package $top-x" app app "$top-x" && project "main $top-x" app "$top-x"
done

# Parents listed before or after, missing, on disk (a spec planted at the path after "|").
while IFS='|' read -r what line planted; do
    read -ra line <<<"$line" && project "$what" "${line[@]}" && [[ -n $planted ]] || continue
    unit=${planted##*/} && unit=${unit%.ads} && mkdir -p "${planted%/*}"
    echo "$planted" >planted
    printf 'package %s is\nend %s;\n' "$unit" "$unit" >"$planted"
done <<'TABLE'
parent listed|app app db db-cache
parent listed after|app app db-cache db
parent missing|app app db-cache
parent on disk|app app db-cache|app/db/src/lib/db.ads
parent on disk misnamed|app app db-cache|app/Db/src/lib/Db.ads
parent of the main missing|app db-app
parent of the main listed|app db-app db
parent of the main on disk|app db-app|app/db/src/lib/db.ads
parent is the main|db db db-cache
grandparent missing|app app db-cache db-cache-x
grandparent on disk|app app db-cache db-cache-x|app/db/src/lib/db.ads
parent not a name|app app body body-x
TABLE

# Wide characters in GNAT's bracket notation, Latin-1 ones too.
for code in 41 61 5F E9 C9 D7 0041 00E9 0391 03B1 03a3 2212 0020 000003A3 10000; do
    project "package x[\"$code\"]" app app "x[\"$code\"]" && project "main $code" app "x[\"$code\"]"
    project "package [\"$code\"]x" app app "[\"$code\"]x"
done
project "bracket unclosed" app app 'x["0391"' && project "bracket without quotes" app app 'x[0391]'

mkdir -p -- "${dirs[@]}"
seq -f "$work/%g" 0 $((count - 1)) | xargs -d '\n' -P "$(nproc)" -n 32 bash "$self" --worker \
    "$generator" "$checker"
fails=("$work"/*/fail) && cat "${fails[@]}" /dev/null >&2
((${#fails[@]} == 0)) || { echo "${#fails[@]} of $count cases disagree with GNAT" >&2; exit 1; }
echo "adaskel-check agrees with GNAT on $count projects"
