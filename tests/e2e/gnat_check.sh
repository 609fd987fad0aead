#!/usr/bin/env bash
# Hands generated skeletons to the Ada compiler: a project of top-level units is built
# and run; a child-unit project (whose units cannot compile under a procedure) passes
# the syntax check file by file.   Usage: gnat_check.sh ADASKEL_BINARY
set -euo pipefail
command -v gnatmake >/dev/null || { echo "skipped: gnatmake not installed"; exit 77; }
binary=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Generates in $work/$1 the tree of the project lines given after it.
generate() {
    local dir=$work/$1 root=$2 line
    shift
    for line in "${@:3}"; do mkdir -p "$dir/$root/$line/src/lib"; done
    mkdir -p "$dir/$root/$root/src" && cd "$dir"
    printf '1.0\n' >Versions.lst && printf 'Checked skeletons\n' >Abstract.txt
    printf 'The Authors\n' >Copyright && seq -f ' licence line %g' 320 >gpl.txt
    printf '%s\n' "$@" >list && "$binary" list >/dev/null
}

generate app app app util io
gnatmake -q -D "$work" -aIapp/util/src/lib -aIapp/io/src/lib app/app/src/app.adb -o "$work/app_program"
"$work/app_program"

generate demo demo demo demo-util demo-io
for file in demo/demo/src/demo.adb demo/demo-*/src/lib/*.ads; do
    gcc -c -gnats "$file"
done
echo "generated skeletons compile"
