#!/usr/bin/env bash
# Hands generated skeletons to the GNAT compiler: a project of top-level units is built
# and run, and every file of a child-unit project passes the syntax check.
# Usage: gnat_check.sh ADASKEL_BINARY
set -euo pipefail

binary=$(realpath "$1")
if ! command -v gnatmake >/dev/null 2>&1; then
    echo "skipped: gnatmake not installed"
    exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/adaskel-gnat-XXXXXX")
trap 'rm -rf "$work"' EXIT

# The four reference texts, with a licence long enough for the header's excerpt.
write_references() {
    printf '0.1\n1.0\n' >Versions.lst
    printf 'Skeletons checked by the compiler\n' >Abstract.txt
    printf 'The Authors\n' >Copyright
    for number in $(seq 1 320); do
        printf ' licence line %d\n' "$number"
    done >gpl.txt
}

# Runs the program in directory $1 on the project lines given after it.
generate() {
    local dir=$1
    shift
    mkdir -p "$dir"
    (
        cd "$dir"
        write_references
        printf '%s\n' "$@" >list
        "$binary" list </dev/null >console.txt
    )
}

# Top-level units: the main procedure withs packages that are not its children.
app=$work/app
mkdir -p "$app/app/app/src" "$app/app/util/src/lib" "$app/app/io/src/lib"
generate "$app" app app util io
mkdir -p "$work/obj"
(
    cd "$work/obj"
    gnatmake -q -aI"$app/app/util/src/lib" -aI"$app/app/io/src/lib" \
        "$app/app/app/src/app.adb" -o "$work/app_program"
)
"$work/app_program"

# Child units: a child of a procedure is not legal Ada, so only the syntax is checked.
demo=$work/demo
mkdir -p "$demo/demo/demo/src" "$demo/demo/demo-util/src/lib" "$demo/demo/demo-io/src/lib"
generate "$demo" demo demo demo-util demo-io
for file in demo/demo/src/demo.adb demo/demo-util/src/lib/demo-util.ads \
    demo/demo-io/src/lib/demo-io.ads; do
    (cd "$work/obj" && gcc -c -gnats "$demo/$file")
done
echo "generated skeletons compile"
