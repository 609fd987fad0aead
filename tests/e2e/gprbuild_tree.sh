#!/usr/bin/env bash
# A tree that adaskel-layout lays out and adaskel fills builds with gprbuild from the
# GPR file alone, without a word from the compiler, and the program runs.
#   Usage: gprbuild_tree.sh ADASKEL_BINARY ADASKEL_LAYOUT_BINARY
set -euo pipefail
command -v gprbuild >/dev/null || { echo "skipped: gprbuild not installed"; exit 77; }
generator=$(realpath "$1")
layout=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
printf '1.0\n' >Versions.lst && printf 'Built by gprbuild\n' >Abstract.txt
printf 'The Authors\n' >Copyright && seq -f ' licence line %g' 320 >gpl.txt
printf '%s\n' app app util util-io util-io-file report >list
"$layout" list >/dev/null
"$generator" list >/dev/null
out=$(gprbuild -q -P app/app.gpr 2>&1) || { printf '%s\n' "$out" >&2; exit 1; }
[[ -z $out ]] || { printf 'gprbuild had something to say:\n%s\n' "$out" >&2; exit 1; }
app/bin/app
echo "gprbuild built and ran the laid-out tree"
# A fresh clone of the user's repository lacks what .gitignore names (config/ among them,
# which ROOT.gpr withs): adaskel-layout puts back what gprbuild alone needs.
rm -rf app/config app/obj app/bin
"$layout" list >/dev/null
out=$(gprbuild -q -P app/app.gpr 2>&1) || { printf 'fresh clone: %s\n' "$out" >&2; exit 1; }
app/bin/app
echo "and again from a fresh clone, after adaskel-layout"
