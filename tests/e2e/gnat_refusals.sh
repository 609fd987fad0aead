#!/usr/bin/env bash
# Holds adaskel-check's Ada checks against the compiler: a project it passes builds and
# runs without a word from GNAT, each project it refuses is refused by GNAT as well, and
# the misnamed main body it warns about draws GNAT's own warning.
#   Usage: gnat_refusals.sh ADASKEL_BINARY ADASKEL_CHECK_BINARY
set -euo pipefail
command -v gnatmake >/dev/null || { echo "skipped: gnatmake not installed"; exit 77; }
generator=$(realpath "$1")
checker=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
shopt -s nullglob

fail() {
    echo "FAIL [$name]: $1" >&2
    [[ -z ${2-} ]] || printf '%s\n' "$2" >&2
    exit 1
}

# Makes $work/NAME for the project lines given after NAME (a directory for every unit
# line, the reference texts, the list), checks it into $report and generates it.
project() {
    name=$1 && shift
    local dir=$work/$name root=$1 line lib
    for line in "${@:3}"; do mkdir -p "$dir/$root/$line/src/lib"; done
    mkdir -p "$dir/$root/$root/src" && cd "$dir"
    printf '1.0\n' >Versions.lst && printf 'Checked against GNAT\n' >Abstract.txt
    printf 'The Authors\n' >Copyright && seq -f ' licence line %g' 320 >gpl.txt
    printf '%s\n' "$@" >list
    status=0 && report=$("$checker" list) || status=$?
    "$generator" list >/dev/null
    main=$root/$root/src/$root.adb
    spec=$root/${*: -1}/src/lib/${*: -1}.ads # the last unit line's spec
    includes=() && for lib in "$root"/*/src/lib; do includes+=("-aI$lib"); done
}

build() { gnatmake -q -D "$work/$name" "${includes[@]}" "$main" -o "$work/$name/program" 2>&1; }

# clean LINES...: no diagnostic; GNAT builds the program silently and it runs.
clean() {
    project "$@"
    [[ $status == 0 ]] || fail "adaskel-check exited $status" "$report"
    ! grep -E ': (error|warning): ' <<<"$report" || fail "unexpected diagnostic"
    local out; out=$(build) || fail "gnatmake refused the project" "$out"
    [[ -z $out ]] || fail "GNAT had something to say" "$out"
    "$work/$name/program" || fail "the program failed"
}

# refused STEP CHECK_MESSAGE GNAT_MESSAGE LINES...: adaskel-check exits 1 naming the
# fault, and GNAT fails on it, at STEP: syntax (of the last unit's spec) or build.
refused() {
    local step=$1 ours=$2 theirs=$3 out
    shift 3 && project "$@"
    [[ $status == 1 ]] || fail "adaskel-check exited $status" "$report"
    grep -F ": error: " <<<"$report" | grep -qF "$ours" || fail "no error with '$ours'" "$report"
    if [[ $step == syntax ]]; then
        ! out=$(gcc -c -gnats "$spec" 2>&1) || fail "GNAT accepted the syntax of $spec"
    else
        ! out=$(build) || fail "GNAT built the project" "$out"
    fi
    grep -qF "$theirs" <<<"$out" || fail "GNAT refused, but not with '$theirs'" "$out"
}

# misnamed_main LINES...: a warning only, and GNAT builds with a warning of its own.
misnamed_main() {
    project "$@"
    [[ $status == 0 ]] || fail "adaskel-check exited $status" "$report"
    grep -q ": warning: .*but GNAT expects '$3.adb'" <<<"$report" || fail "no warning" "$report"
    local out; out=$(build) || fail "gnatmake refused the project" "$out"
    grep -qF "file name does not match unit name" <<<"$out" || fail "no GNAT warning" "$out"
    "$work/$name/program" || fail "the program failed"
}

clean top-level app app util io
clean child-unit app app util util-io

#       GNAT step what adaskel-check says          what GNAT says                       project
refused syntax "'Body' is a reserved word"         'reserved word "body" cannot'       reserved app app util util-body
refused syntax "'2x' is not an identifier"         "numeric literal cannot start"      digit app app util util-2x
refused syntax "it has an empty part"              'missing "is"'                      empty app app util util--io
refused build  "is the main procedure 'Demo'"      'file "demo.ads" not found'         main-parent demo demo demo-util
refused build  "but GNAT looks for it in 'util-io.ads'" 'file "util-io.ads" not found' file-case app app util util-Io
refused build  "in the predefined hierarchy 'Ada'" "is not a predefined library unit"  ada app app ada-extra
refused build  "in the predefined hierarchy 'Gnat'" 'file "g-extra.ads" not found'     gnat app app gnat-extra
refused build  "has the name of the main procedure" 'incorrect spec in file "app.ads"' main-name app app app
refused build  "GNAT looks for it in 'a~b.ads'"     'file "a~b.ads" not found'          one-letter app app a a-b
misnamed_main proj proj app util
echo "adaskel-check agrees with GNAT"
