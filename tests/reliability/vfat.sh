#!/usr/bin/env bash
# A tree on FAT, which has neither unnamed files nor hard links (usage: vfat.sh ADASKEL
# [LAYOUT]; root only): adaskel-layout, adaskel-check and adaskel on a vfat image on a loop
# device. Every file must be published (by a rename that never replaces), the check must
# foresee exactly that, and no hidden file may stay. Status 0 when all held, 77 when
# skipped (the reason printed), else 1.
set -u
Here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
Program=$(realpath -- "${1:-$Here/../../build/adaskel}") && [[ -x $Program ]] ||
    { echo "no program at ${1:-build/adaskel}" >&2; exit 2; }
Bin=$(dirname -- "$Program") Layout=$(realpath -- "${2:-$(dirname -- "$Program")/adaskel-layout}")
skip() { echo "skipped: $*, so no test on FAT"; exit 77; }
((EUID == 0)) || skip "not root"
for Tool in losetup mkfs.vfat mount umount; do command -v $Tool >/dev/null || skip "no $Tool"; done
Work=$(mktemp -d "${TMPDIR:-/tmp}/adaskel-vfat.XXXXXX") || exit 2
Loop= Mnt=$Work/mnt
trap 'umount "$Mnt" 2>/dev/null; [[ -n $Loop ]] && losetup -d "$Loop"; rm -rf -- "$Work"' EXIT
truncate -s 32M "$Work/fat.img" && mkfs.vfat "$Work/fat.img" >/dev/null && mkdir "$Mnt" ||
    skip "mkfs.vfat fails here"
Loop=$(losetup -f --show "$Work/fat.img" 2>/dev/null) && mount -t vfat "$Loop" "$Mnt" 2>/dev/null ||
    skip "no loop device can be set up and mounted as vfat"
cd "$Mnt" && echo 1.0 >Versions.lst && echo Holder >Copyright && echo Fat >Abstract.txt &&
    seq -f ' %g: a line of the licence.' 330 >gpl.txt &&
    { echo shop && echo shop && seq -f 'shop-u%03g' 40; } >project.txt || exit 2
Faults=0
fault() { ((++Faults)); echo "FAULT: $*"; }
"$Layout" project.txt >/dev/null && [[ -s shop/shop.gpr ]] || fault "the layout did not complete"
Plan=$("$Bin/adaskel-check" project.txt) && [[ $Plan == *"summary: 41 to create, 0 to skip, 0 to fail; 0 errors"* ]] ||
    fault "the check does not foresee a complete run: $(tail -1 <<<"$Plan")"
"$Program" project.txt >/dev/null 2>"$Work/err" || fault "the run failed: $(<"$Work/err")"
[[ $(find shop -type f -name '*.ad[bs]' -size +0 | wc -l) == 41 ]] || fault "not every file is there"
[[ -z $(find . -name '.ask*') ]] || fault "a hidden file stayed"
((Faults == 0)) && echo "every file published on FAT" || exit 1
