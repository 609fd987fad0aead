#!/usr/bin/env bash
# adaskel-check's JSON and SARIF reports, on the bundled example, on a list with a fault
# for each rule a list can break, and on a tree whose main body withs a unit renamed:
# every JSON line parses, the SARIF passes the SARIF validator with no error, and two runs
# give the same bytes. Exits 77, skipped, where node, npm or the validator is missing
# (.ci/run installs it into TOOL_DIR).
#   Usage: report_formats.sh ADASKEL ADASKEL_CHECK ADASKEL_LAYOUT EXAMPLE_DIR TOOL_DIR
set -euo pipefail
source "$(dirname -- "$0")/texts.sh"
generator=$(realpath "$1") checker=$(realpath "$2") layout=$(realpath "$3")
example=$(realpath "$4") tools=$5
needs node npm
[[ -d $tools/node_modules/@microsoft/sarif-multitool ]] ||
    { echo "skipped: the SARIF validator is not installed in $tools"; exit 77; }
tools=$(realpath "$tools") work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# reports NAME LIST RULE...: the JSON and SARIF reports of the tree in the current
# directory, each twice, into $work/NAME.json and $work/NAME.sarif; the JSON names each RULE.
reports() {
    local name=$1 list=$2 format rule && shift 2
    for format in json sarif; do
        "$checker" --format=$format "$list" >"$work/$name.$format" || true
        { "$checker" --format=$format "$list" || true; } | cmp -s "$work/$name.$format" - ||
            fail "$name: two $format reports differ"
    done
    python3 -c 'import json, sys
for line in open(sys.argv[1], encoding="utf-8"):
    entry = json.loads(line)
    assert set(entry) == {"kind", "path", "line", "severity", "rule", "message"}, entry' \
        "$work/$name.json" || fail "$name: a JSON line does not parse"
    for rule; do grep -q "\"rule\": \"$rule\"" "$work/$name.json" || fail "$name: no $rule"; done
}

mkdir "$work/example" && cd "$work/example" && texts A 1.0
cp "$example"/{shop.lst,Versions.lst,Abstract.txt,Copyright} .
"$layout" shop.lst >/dev/null && "$generator" shop.lst >/dev/null
reports example shop.lst

# The main body withs a unit that a renaming took off the list.
sed -i 's/^report$/reports/' shop.lst
reports stale shop.lst unprovided-with

# A list that breaks a rule on each line (a root fault would hide the rest), and a tree
# that breaks the rest: Copyright is missing, the run fails at a directory where a file
# goes, a file is empty, the GPR file is the user's own.
mkdir -p "$work/faults/app/app/src" "$work/faults/app/empty/src/lib" \
    "$work/faults/app/block/src/lib/block.ads" && cd "$work/faults" && texts A 1.0 && rm Copyright
: >app/empty/src/lib/empty.ads
printf 'project App is\nend App;\n' >app/app.gpr
printf '%s\n' app app obj 'bad__name' integer ada-strings-own lost-child Twice twice \
    'Caps-Lower' empty block >list
reports faults list input run-fails-at-file empty-file unit-directory ada-name repeated-unit \
    standard-unit gnat-unit parent-unit gpr-not-derived

cd "$tools"
out=$(npx --no-install sarif-multitool validate "$work/example.sarif" "$work/stale.sarif" \
    "$work/faults.sarif" 2>&1) || fail "the validator refused a report:"$'\n'"$out"
if grep -E ': error |^error' <<<"$out"; then fail "the validator found errors"; fi
echo "the validator's warnings (results with no line, no informationUri): $(grep -c ': warning ' <<<"$out" || true)"
echo "JSON parses, SARIF validates, two runs give the same bytes"
