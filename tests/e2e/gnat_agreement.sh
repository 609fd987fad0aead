#!/usr/bin/env bash
# Holds adaskel-check's verdicts against gprbuild over a generated corpus (names of bytes of
# every kind, the bytes 0x80 to 0xFF first on a line, reserved words, letter cases and
# clashes, the names package Standard declares, GNAT's own units, parents, wide characters,
# names at GNAT's length limits, header texts of every byte and of GNAT's longest line). Each case is
# generated, a marker constant put in every spec and checked by the main, and built (compile,
# bind, link) by gprbuild through a GPR file like adaskel-layout's: the directories of the
# list and of a parent spec in the tree, and a naming exception for each file GNAT's default
# naming would not find (a tree adaskel-layout laid out, through its own). A clean check
# means gprbuild builds the main; an error, that it refuses (a unit GNAT takes in place of
# the project's fails on the marker); a warning that says gnatmake refuses or takes GNAT's
# unit, that gnatmake (second column) fails so; a warning that the check does not judge,
# either outcome.
# Usage: gnat_agreement.sh ADASKEL ADASKEL_CHECK
set -euo pipefail
shopt -s nullglob dotglob && export LC_ALL=C

# default FILE LOWER: whether FILE, of a unit whose name (from its project line) in lower
# case is LOWER, is GNAT's default file name for it: "." made "-", but "~" after a
# one-letter a, g, i or s.
default() {
    local file=${2//./-} && [[ $file != [agis]-* ]] || file=${file:0:1}~${file:2}
    [[ $1 == "$file".ad[sb] ]]
}
# literal TEXT: sets $quoted to a GPR string literal of TEXT.
literal() { quoted=\"${1//\"/\"\"}\"; }

# A worker prepares its cases: the check's report, the generated files with their markers,
# the GPR file R/pID.gpr (or why there is none, in gprbuild.out) and the verdict the check
# gives ("run", "error", "open", "clean").
if [[ ${1-} == --worker ]]; then
    generator=$2 checker=$3 && shift 3
    for dir; do
        cd "$dir" && status=0 && "$checker" list >report 2>&1 || status=$?
        "$generator" list >/dev/null 2>&1 || true
        report=$'\n'$(<report) && mapfile -t lines <list && root=${lines[0]} id=${dir##*/}
        if [[ $report == *$'\nerror '* ]]; then echo run >verdict && continue
        elif ((status != 0)); then echo error >verdict
        elif [[ $report == *'does not judge'* ]]; then echo open >verdict
        else echo clean >verdict; fi
        planted= && [[ ! -f planted ]] || planted=$(<planted)
        specs=() && for file in "$root"/*/src/lib/*.ads; do # each made spec gets the marker
            [[ $file == "$planted" ]] || specs+=("$file")
        done
        ((${#specs[@]} == 0)) || sed -i '/^package .* is$/a\   Adaskel_Marker : constant := 42;' "${specs[@]}"
        body=$root/$root/src/$root.adb && [[ -f $body ]] && awk '/^with .* ; *$/ {
            name = $0; sub(/^with /, "", name); sub(/ ; *$/, "", name)
            checks = checks "   if " name ".Adaskel_Marker /= 42 then raise Program_Error;"
            checks = checks " end if;\n"
        } { print } /^begin$/ { printf "%s", checks }' "$body" >body && mv body "$body" || true
        if [[ -f treegpr ]]; then # built through the tree's own GPR file, named for the batch
            sed "s/^project App is$/project P$id is/; s/^end App;$/end P$id;/" app/app.gpr >app/p$id.gpr
            continue
        fi
        mapfile -t lowers < <(tr 'A-Z\300-\326\330-\336' 'a-z\340-\366\370-\376' <list)
        literal "$root/src" && dirs=$quoted naming=
        if ! default "$root.adb" "${lowers[1]}"; then
            literal "${lines[1]//-/.}" && naming+="      for Body ($quoted) use "
            literal "$root.adb" && naming+="$quoted;"$'\n'
        fi
        declare -A files=() && two=
        for ((k = 2; k < ${#lines[@]}; ++k)); do
            line=${lines[k]} && literal "$line/src/lib" && dirs+=$',\n      '$quoted
            unit=${lowers[k]//-/.} && [[ ${files[$unit]-$line} == "$line" ]] || two=$unit
            files[$unit]=$line && default "$line.ads" "${lowers[k]}" && continue
            literal "${line//-/.}" && naming+="      for Spec ($quoted) use "
            literal "$line.ads" && naming+="$quoted;"$'\n'
        done
        [[ -z $planted ]] || { planted=${planted#"$root"/} && literal "${planted%/*}" && dirs+=$',\n      '$quoted; }
        # A GPR file names one file for a unit: two cannot both be built.
        [[ -z $two ]] || { echo "no GPR file: unit $two has two files" >gprbuild.out && continue; }
        withs=() && [[ ! -f gprwith ]] || { literal "$(<gprwith)" && withs=("with $quoted;"); }
        literal "$root.adb" && printf '%s\n' "${withs[@]}" "project P$id is" "   for Source_Dirs use ($dirs);" \
            "   for Main use ($quoted);" '   for Object_Dir use "obj";' \
            '   for Exec_Dir use "bin";' "   package Naming is" "$naming   end Naming;" \
            "end P$id;" >"$root/p$id.gpr"
    done
    exit 0
fi

# build IDS...: builds the cases with one gprbuild run over an aggregate project, keeping
# going past failures (a case alone stops at its first); writes each case's "built" (1 or 0),
# but for a case with no GPR file, refused already. A case whose project file gprbuild
# cannot read, or whose compilation failed, is refused; the rest are built again without
# it, or in halves when no case is to blame.
build() {
    local ids=() id gpr rc=0 rest=() failed=0 blame err root going=(-k) config=()
    [[ ! -f $work/ada.cgpr ]] || config=("--config=$work/ada.cgpr")
    for id; do
        IFS= read -r root <"$work/$id/list" && [[ ! -f $work/$id/$root/p$id.gpr ]] || ids+=("$id")
    done
    ((${#ids[@]} > 0)) || return 0
    gpr=$work/agg_${BASHPID}_$((++builds)).gpr
    if ((${#ids[@]} == 1)); then
        IFS= read -r root <"$work/${ids[0]}/list" && gpr=$work/${ids[0]}/$root/p${ids[0]}.gpr
        going=() # one case needs no more than gprbuild's first failure
    else
        { printf 'aggregate project Agg is\n   for Project_Files use (' && for id in "${ids[@]}"; do
            IFS= read -r root <"$work/$id/list"
            printf '%s"%s"' "$([[ $id == "${ids[0]}" ]] || echo ', ')" "$work/$id/$root/p$id.gpr"
        done && printf ');\nend Agg;\n'; } >"$gpr"
    fi
    gprbuild -q "${going[@]}" -j"$jobs" "${config[@]}" -P "$gpr" >"$gpr.out" 2>&1 || rc=$?
    if ((rc == 0 || ${#ids[@]} == 1)); then
        for id in "${ids[@]}"; do
            IFS= read -r root <"$work/$id/list" && cp "$gpr.out" "$work/$id/gprbuild.out"
            { [[ $rc == 0 && -x $work/$id/$root/bin/$root ]] && echo 1 || echo 0; } >"$work/$id/built"
        done
        return
    fi
    for id in "${ids[@]}"; do # to blame: its project file named, or a unit compiled with no .ali
        IFS= read -r root <"$work/$id/list" && blame=
        grep "^p$id\.gpr:" "$gpr.out" >"$work/$id/gprbuild.out" && blame=1
        for err in "$work/$id/$root"/obj/*.stderr; do
            err=${err%.stderr} && [[ -n $blame || -f ${err%.*}.ali ]] ||
                { blame=1 && cat "$work/$id/$root"/obj/*.stderr >"$work/$id/gprbuild.out"; }
        done
        if [[ -n $blame ]]; then echo 0 >"$work/$id/built" && failed=1; else rest+=("$id"); fi
    done
    if ((failed)); then ((${#rest[@]} == 0)) || build "${rest[@]}"
    else build "${ids[@]:0:${#ids[@]}/2}" && build "${ids[@]:${#ids[@]}/2}"; fi
}

# gnatmake ID: where a warning of a clean check says gnatmake refuses the case (or takes
# GNAT's unit in place of the project's), writes in its "gnatmake" whether gnatmake built it.
gnatmake_column() {
    local dir=$work/$1 root includes=() lib built=0
    [[ $(<"$dir/verdict") == clean ]] &&
        grep -q 'warning: .*gnatmake \(refuses\|takes\)' "$dir/report" || return 0
    IFS= read -r root <"$dir/list"
    for lib in "$dir/$root"/*/src/lib; do includes+=("-aI$lib"); done
    mkdir -p "$dir/objg" && gnatmake -q "${includes[@]}" -D "$dir/objg" \
        "$dir/$root/$root/src/$root.adb" -o "$dir/objg/main" >"$dir/gnatmake.out" 2>&1 && built=1
    echo "$built" >"$dir/gnatmake"
}

# A batch worker builds the batch its file lists, then tells how many cases are done. Cases
# the check calls errors are built one by one: gprbuild gives up an aggregate project at
# the first project that fails.
if [[ ${1-} == --batch ]]; then
    work=$2 jobs=$3 count=$4 builds=0 && mapfile -t ids <"$5"
    read -r kind <"$work/${ids[0]}/verdict"
    if [[ $kind == error ]]; then for id in "${ids[@]}"; do build "$id"; done
    else build "${ids[@]}"; fi
    for id in "${ids[@]}"; do gnatmake_column "$id"; done
    printf '%s\n' "${ids[@]}" >>"$work/progress"
    echo "gprbuild: $(wc -l <"$work/progress") of $count cases"
    exit 0
fi

source "$(dirname -- "$0")/texts.sh" && needs gprbuild gnatmake
self=$(realpath "$0") generator=$(realpath "$1") checker=$(realpath "$2")
adainclude=$(gcc -print-file-name=adainclude)
[[ -d $adainclude ]] || { echo "skipped: no adainclude directory"; exit 77; }
# In memory, where the many small files are made and removed fastest.
work=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d) count=0 dirs=()
trap 'rm -rf "$work"' EXIT
printf -v head ' licence line %d\n' {1..299} && printf -v tail ' licence line %d\n' {301..320}

# project WHAT ROOT MAIN UNITS...: a case directory, $case, with its texts and project file.
project() {
    local line && case=$work/$((count++)) && mkdir "$case" && cd "$case"
    printf '%s\n' "$1" >what && printf '%s\n' "${@:2}" >list && printf '1.0\n' >Versions.lst
    echo 'The Authors' >Copyright && echo 'Checked against GNAT' >Abstract.txt && printf '%s 300\n%s' "$head" "$tail" >gpl.txt
    dirs+=("$case/$2/$2/src") && for line in "${@:4}"; do dirs+=("$case/$2/$line/src/lib"); done
}
# text FILE FORMAT WHAT: reference text FILE of one line (gpl.txt's 300th), a printf format.
text() {
    project "$1 line $3" hdr hdr
    # shellcheck disable=SC2059
    [[ $1 == gpl.txt ]] && printf "%s$2\n%s" "$head" "$tail" >"$1" || printf "$2\n" >"$1"
}

# Bytes inside the abstract (control bytes of each kind one at a time, the others sixteen at
# a time); some control bytes and others ending each other text and first on the licence
# line, which the header drops; what follows a byte that ends a comment.
for bytes in 1 2 8 9 11 12 13 14 26 27 31 127 {32..112..16} {128..255..16}; do
    last=$((bytes < 32 || bytes == 127 ? bytes : bytes == 112 ? 126 : bytes + 15))
    printf -v hex '\\x%02x' $(seq "$bytes" "$last")
    text Abstract.txt "a${hex}b" "a, bytes $bytes to $last, b"
done
for byte in 1 9 11 12 13 26 27 31 32 34 127 128 133 160 255; do
    printf -v hex '\\x%02x' "$byte" && text gpl.txt "${hex}a" "byte $byte, a"
    for file in Copyright Versions.lst gpl.txt; do text "$file" " a${hex}" "a, byte $byte"; done
done
for ender in '\x0b' '\x0c' '\r' '\x1a'; do for rest in '' ';' "$ender--c"; do
    for file in Abstract.txt Copyright Versions.lst gpl.txt; do text "$file" " a$ender$rest" "a, $ender, $rest"; done
done; done
# Header lines of GNAT's longest line and one byte more, given each text's share of the line;
# a final carriage return does not count.
for over in 0 1; do for share in Abstract.txt:3:r gpl.txt:1:r Copyright:32 Versions.lst:16; do
    IFS=: read -r file less cr <<<"$share"
    printf -v long '%*s' $((32765 - less + over)) '' && long=${long// /x}
    text "$file" "$long" "of ${#long} bytes" && [[ -z $cr ]] ||
        text "$file" "$long\\r" "of ${#long} bytes and a carriage return"
done; done

# Names of bytes first (but a form feed, a page break there, and the ASCII letters) and
# inside: every printable ASCII byte but "-" and "/" (of the letters and digits, the first
# and last of each kind); the control bytes at the ends of their range, DEL, and those a
# line or a text treats apart (HT, VT, FF, CR, SUB, ESC); the bytes at each end of a run
# of Latin-1 bytes the check judges alike.
for byte in 1 9 11 12 13 26 27 31 {32..44} 46 48 57 {58..65} 90 {91..97} 122 {123..127} \
    128 159 160 191 192 214 215 216 222 223 224 246 247 248 254 255; do
    printf -v hex '%02x' "$byte" && printf -v char "\\x$hex"
    project "package a, byte $byte, b" app app "a${char}b"
    [[ $char == [a-zA-Z$'\f'] ]] || project "package byte $byte, b" app app "${char}b"
done
# The reserved words (and Ada 2022's "parallel", which GNAT's default does not reserve); a
# few of them as a child and, in capitals, as the main.
for word in abort abs abstract accept access aliased all and array at begin body case \
    constant declare delay delta digits do else elsif end entry exception exit for \
    function generic goto if in interface is limited loop mod new not null of or others \
    out overriding package parallel pragma private procedure protected raise range record \
    rem renames requeue return reverse select separate some subtype synchronized tagged \
    task terminate then type until use when while with xor; do
    project "package $word" app app "$word"
    [[ $word == a[bcl]* ]] || continue
    project "package util-$word" app app util "util-$word" && project "main ${word^^}" app "${word^^}"
done
for first in a a_b a__b _a a_ 1a; do
    project "package $first" app app "$first"
    for second in '' b _b b_ 2 b__c; do project "$first-$second" app app "$first" "$first-$second"; done
done
apps=(app App aPp APP) spellings=(util Util uTil UTIL)
for i in 0 1 2 3; do
    one=${spellings[i]} && project "main app and package ${apps[i]}" app app "${apps[i]}"
    project "package $one" app app "$one" && project "main $one" app "$one"
    project "root $one" "$one" "$one" && project "main and package $one" "$one" "$one" "$one"
    project "package $one-io" app app util "$one-io"
    for two in "${spellings[@]}"; do
        project "$one and $two" app app "$one" "$two" && project "$one and $two-x" app app "$one" "$two-x"
    done
done

# GNAT's own top-level units by unit and file name, as package, parent and main (in its own
# file or another); a few units of each predefined hierarchy.
while read -r name stem; do
    for unit in "${name,,}" "$stem"; do
        project "predefined $unit" app app "$unit" && project "child of $unit" app app "$unit-x"
        project "child of $unit, listed" app app "$unit" "$unit-x"
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

# parents: a case for each row read, "WHAT|ROOT MAIN UNITS...|SPEC", with a spec planted
# at the path SPEC when there is one.
parents() {
    while IFS='|' read -r what line planted; do
        read -ra line <<<"$line" && project "$what" "${line[@]}" && [[ -n $planted ]] || continue
        unit=${planted##*/} && unit=${unit%.ads} && unit=${unit//-/.} && mkdir -p "${planted%/*}"
        echo "$planted" >planted
        printf 'package %s is\nend %s;\n' "$unit" "$unit" >"$planted"
    done
}
# Parents listed before or after, missing, on disk.
parents <<'TABLE'
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

# A main body already in the tree, which no run rewrites: a stale with where no other
# project can provide the unit, and where a project the GPR file withs does ("gprwith" the
# one the build's GPR file withs too); a unit added to the list that no source withs, and
# one a withed spec withs, whose objects ("closure") must be what the check says gprbuild
# compiles.
# planted_body BODY [FILE TEXT]...: the main body of $case's root "app", and other files.
planted_body() {
    mkdir -p app/app/src && printf '%s' "$1" >app/app/src/app.adb && shift
    while (($#)); do mkdir -p "$(dirname "$1")" && printf '%s' "$2" >"$1" && shift 2; done
}
main=$'procedure App is\nbegin\n   null;\nend App;\n'
project "stale with, no other project" app app util
planted_body $'with Util ;\nwith Gone;\n'"$main"
project "stale with, another project withed" app app util
planted_body $'with Util ;\nwith Logs;\n'"$main" \
    app/app.gpr $'with ".adaskel/app_tree.gpr", "../logs/logs.gpr";\nproject App is\nend App;\n' \
    logs/logs.gpr $'project Logs is\n   for Object_Dir use "obj";\nend Logs;\n' \
    logs/logs.ads $'package Logs is\nend Logs;\n'
echo ../logs/logs.gpr >gprwith
project "unit added, never compiled" app app util db && touch closure
planted_body $'with Util ;\n'"$main"
project "unit withed by a withed spec" app app util db db-x && touch closure
planted_body $'with Util ;\n'"$main" app/util/src/lib/util.ads $'with Db.X;\npackage Util is\nend Util;\n'

# A tree adaskel-layout laid out whose derived project's path then holds what the layout
# will not replace, built through the tree's own GPR file ("treegpr"): gprbuild cannot
# build where no file is there to read.
for planted in directory "dangling link" "link to the file"; do
    project "derived project: $planted" app app util && touch treegpr
    "$(dirname -- "$checker")/adaskel-layout" list >/dev/null
    derived=app/.adaskel/app_tree.gpr && mv "$derived" kept.gpr
    case $planted in
    directory) mkdir "$derived" ;;
    dangling*) ln -s nowhere.gpr "$derived" ;;
    *) ln -s ../../kept.gpr "$derived" ;;
    esac
done

# A parent spec in the tree needs its own parent; a capitalised parent's line removed, its
# spec left in the tree; packages of the body file's name, which line 1 gives it.
parents <<'TABLE'
parent on disk, its parent missing|shop shop pa-pb-pc|shop/pa-pb/src/lib/pa-pb.ads
capitalised parent left on disk|corpus corpus Sockets-tcp|corpus/Sockets/src/lib/Sockets.ads
TABLE
project "root named as a package" demo demo_main demo demo-util
project "root named as a capitalised package" demo demo_main Demo
project "capitalised root named as a package" Demo demo_main Demo
project "capitalised root, a package of its name" Demo demo_main demo
project "root in capitals, a capitalised package" DEMO demo_main Demo

# Wide characters in GNAT's bracket notation, Latin-1 ones too.
for code in 41 61 5F E9 C9 D7 0041 00E9 0391 03B1 03a3 2212 0020 000003A3 10000; do
    project "package x[\"$code\"]" app app "x[\"$code\"]" && project "main $code" app "x[\"$code\"]"
    project "package [\"$code\"]x" app app "[\"$code\"]x"
done
project "bracket unclosed" app app 'x["0391"' && project "bracket without quotes" app app 'x[0391]'

# The names package Standard declares (and a few it does not), as package and main, and
# some of each kind as the main in app.adb, parent and child; GNAT's units that gprbuild
# takes from the project.
for name in boolean false true integer natural positive short_short_integer short_integer \
    long_integer long_long_integer long_long_long_integer short_float float long_float \
    long_long_float character wide_character wide_wide_character string wide_string \
    wide_wide_string duration constraint_error program_error storage_error tasking_error \
    numeric_error ascii standard universal_integer root_real nul latin_1 wide_wide_float; do
    project "package $name" app app "$name" && project "main $name" "$name" "$name"
    [[ " boolean integer long_long_long_integer character duration constraint_error \
        numeric_error ascii standard universal_integer nul latin_1 " == *" $name "* ]] || continue
    project "main $name in app.adb" app "$name" && project "parent $name" app app "$name" "$name-io"
    project "child $name" app app util "util-$name"
done
for unit in gnat-util gnat-foo gnat-source_info gnat-exceptions gnat-io gnat-os_lib \
    ada-text_io system-storage_elements interfaces-c; do
    project "$unit" app app "${unit%%-*}" "$unit" && project "main $unit" app "$unit"
done
# Bytes 0x80 to 0xFF first on the main line and on the root; names of GNAT's length limits.
for byte in 128 160 192 215 222 223 224 247 254 255; do
    printf -v hex '%02x' "$byte" && printf -v char "\\x$hex"
    project "main byte $byte, b" app "${char}b"
done
# A root is also the GPR project's name, which adaskel-layout takes only in ASCII: a root
# with any other byte is an error to the check and a refusal to the layout, whatever
# gprbuild would make of a GPR file written by hand.
project "root byte 255" $'\xff' $'\xff'
for length in 2035 2036 244 245; do
    printf -v long '%*s' "$length" '' && long=a${long// /b} && long=${long:1}
    project "main of $length" app "$long" && ((length < 250)) || continue
    project "package of $length" app app "$long" && project "root of $length" "$long" "$long"
done

# closure_problem DIR: where the case's objects are not what the check's "not compiled"
# warnings say gprbuild compiles, says so.
closure_problem() {
    local lines k warned compiled && mapfile -t lines <"$1/list"
    for ((k = 2; k < ${#lines[@]}; ++k)); do
        warned=0 compiled=0
        ! grep -q "^list:$((k + 1)): warning: .* is not compiled by gprbuild" "$1/report" || warned=1
        [[ ! -f $1/${lines[0]}/obj/${lines[k]}.o ]] || compiled=1
        ((warned != compiled)) ||
            { echo "the check's word on ${lines[k]} is $warned not compiled; gprbuild: $compiled"; return; }
    done
}

# agrees ID: whether the case's verdict and gprbuild's (and gnatmake's, where a warning names
# it) agree; otherwise writes the case's "fail".
agrees() {
    local dir=$work/$1 problem= verdict built && verdict=$(<"$dir/verdict")
    built=$(<"$dir/built")
    case $verdict in
    run) problem="the run would fail" ;;
    error) ((!built)) || problem="the check reports an error, but gprbuild builds it" ;;
    clean) ((built)) || problem="the check passes it, but gprbuild refuses" ;;
    esac
    [[ -n $problem || ! -f $dir/gnatmake ]] || (($(<"$dir/gnatmake") == 0)) ||
        problem="a warning says gnatmake refuses it, but gnatmake builds it"
    [[ -n $problem || ! -f $dir/closure ]] || problem=$(closure_problem "$dir")
    [[ -z $problem ]] && rm -f "$dir/fail" && return
    { printf 'FAIL [%s]: %s\n' "$(<"$dir/what")" "$problem" && sed 's/^/  check: /' "$dir/report"
        sed -n '1,6s/^/  gprbuild: /p' "$dir/gprbuild.out"
        [[ ! -f $dir/gnatmake.out ]] || sed -n '1,4s/^/  gnatmake: /p' "$dir/gnatmake.out"
    } >"$dir/fail"
    return 1
}

mkdir -p -- "${dirs[@]}"
echo "$count cases: checking and generating"
seq -f "$work/%g" 0 $((count - 1)) | xargs -d '\n' -P 2 -n 64 bash "$self" --worker \
    "$generator" "$checker"
# Batches of one verdict each, so that a batch of projects that build builds in one run;
# two batches at a time. A case the check does not judge agrees whatever gprbuild does, so
# it is not built. gprbuild is given its configuration, made once.
gprconfig --batch --config=Ada -o "$work/ada.cgpr" >/dev/null 2>&1 || rm -f "$work/ada.cgpr"
for verdict in clean error; do
    for ((id = 0; id < count; ++id)); do
        read -r kind <"$work/$id/verdict" && [[ $kind != "$verdict" ]] || echo "$id"
    done | split -l 40 - "$work/batch.$verdict."
done
printf '%s\n' "$work"/batch.* | xargs -d '\n' -P 2 -n 1 bash "$self" --batch "$work" 1 "$count"
for ((id = 0; id < count; ++id)); do [[ -f $work/$id/built ]] || echo 0 >"$work/$id/built"; done
echo "gprbuild: $count of $count cases built or refused; judging"
# A disagreement is built again alone, from scratch, before it counts.
fails=0 jobs=2 builds=0
for ((id = 0; id < count; ++id)); do
    agrees "$id" && continue
    IFS= read -r root <"$work/$id/list" && rm -rf "$work/$id/$root/obj" "$work/$id/$root/bin"
    build "$id" && agrees "$id" || { ((++fails)) && cat "$work/$id/fail" >&2; }
done
((fails == 0)) || { echo "$fails of $count cases disagree with gprbuild" >&2; exit 1; }
echo "adaskel-check agrees with gprbuild on $count projects"
