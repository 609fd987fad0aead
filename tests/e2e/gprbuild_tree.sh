#!/usr/bin/env bash
# A tree that adaskel-layout lays out and adaskel fills builds with gprbuild from the
# GPR file alone, without a word from the compiler, and the program runs; again from a
# fresh clone of the user's repository, which lacks what .gitignore names (config/ among
# them, which ROOT.gpr withs), once adaskel-layout has put back what gprbuild needs.
#   Usage: gprbuild_tree.sh ADASKEL_BINARY ADASKEL_LAYOUT_BINARY
set -euo pipefail
source "$(dirname -- "$0")/texts.sh"
command -v gprbuild >/dev/null || { echo "skipped: gprbuild not installed"; exit 77; }
generator=$(realpath "$1") layout=$(realpath "$2") work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" && texts 'Built by gprbuild' 1.0
printf '%s\n' app app util util-io util-io-file report >list
"$layout" list >/dev/null && "$generator" list >/dev/null
for tree in laid-out "fresh clone"; do
    out=$(gprbuild -q -P app/app.gpr 2>&1) || fail "$tree: $out"
    [[ -z $out ]] || fail "$tree: gprbuild had something to say: $out"
    app/bin/app && rm -rf app/config app/obj app/bin && "$layout" list >/dev/null
done
echo "gprbuild built and ran the laid-out tree, and again from a fresh clone"
