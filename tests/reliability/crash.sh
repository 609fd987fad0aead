#!/usr/bin/env bash
# Power-loss test of adaskel, adaskel-layout and adaskel-refresh (usage: crash.sh ADASKEL
# [LAYOUT [REFRESH]]; root only): a project of 2000 units on an ext4 image, shut down without flushing its journal
# during and after runs, then remounted. No output path may hold an empty or short file, a
# run that exited 0 must have left its whole tree, and a rerun must complete it; with
# unnamed files and, through shim.c, hidden names. Then: a layout that exits 0 with its GPR
# file already there, a rerun after a run killed before its last sync, and a layout whose
# tree holds a second file system must each have left everything durable. And a refresh
# of the headers of that tree, code below each, cut during and after its run: every file
# holds its old text or its new one, whole, and a rerun completes it. Status 0 when all
# held, 77 when skipped (the reason printed), else 1.
set -u
Here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
Program=$(realpath -- "${1:-$Here/../../build/adaskel}") && [[ -x $Program ]] ||
    { echo "no program at ${1:-build/adaskel}" >&2; exit 2; }
Layout=$(realpath -- "${2:-$(dirname -- "$Program")/adaskel-layout}")
Refresh=$(realpath -- "${3:-$(dirname -- "$Program")/adaskel-refresh}")
skip() { echo "skipped: $*, so no power-loss test"; exit 77; }
((EUID == 0)) || skip "not root"
for Tool in losetup mkfs.ext4 mount umount cc; do command -v $Tool >/dev/null || skip "no $Tool"
done
Scratch=/dev/shm && [[ -d $Scratch && -w $Scratch ]] || Scratch=${TMPDIR:-/tmp}
Work=$(mktemp -d "$Scratch/adaskel-crash.XXXXXX") || exit 2
Loop= Mnt=$Work/mnt Img=$Work/trial.img Faults=0 Inner= Inner_Loop=
release() {
    [[ -n $Inner ]] && umount "$Inner"; [[ -n $Inner_Loop ]] && losetup -d "$Inner_Loop"
    umount "$Mnt"; [[ -n $Loop ]] && losetup -d "$Loop"; Loop= Inner= Inner_Loop=
} 2>/dev/null
trap 'release; rm -rf -- "$Work"' EXIT
declare -A Env=([unnamed]="" [hidden]="LD_PRELOAD=$Work/shim.so SHIM_NO_TMPFILE=1")
cc -O2 -o "$Work/cut" "$Here/cut.c" &&
    cc -shared -fPIC -O1 -o "$Work/shim.so" "$Here/shim.c" -ldl || skip "the helpers do not build"
# Direct I/O: the image's file takes each write as the disk would, with no cache between.
attach() { Loop=$(losetup -f --show --direct-io=on "$1") && mount -t ext4 "$Loop" "$Mnt"
} 2>/dev/null
fresh() { cp --sparse=always "$Work/pristine.img" "$Img" && attach "$Img"; }

mkdir -p "$Mnt" && truncate -s 64M "$Work/pristine.img" &&
    mkfs.ext4 -q -F -N 12000 "$Work/pristine.img" || skip "mkfs.ext4 fails here"
attach "$Work/pristine.img" || { release; skip "no loop device can be set up and mounted"; }
cd "$Mnt" && echo 1.0 >Versions.lst && echo Holder >Copyright && echo Crashes >Abstract.txt &&
    seq -f ' %g: This program is free software; a line of the licence.' 330 >gpl.txt &&
    { echo proj && echo app && seq -f 'proj-u%04g' 2000; } >project.txt &&
    mkdir -p proj/proj/src && sed -n '3,$s|.*|proj/&/src/lib|p' project.txt | xargs mkdir -p &&
    { echo proj/proj/src/proj.adb && sed -n '3,$s|.*|proj/&/src/lib/&.ads|p' project.txt; } \
        >"$Work/paths" && cd "$Work" && release && Paths=$(wc -l <paths)

# Sets Missing, Empty, Short (wrong size, or other bytes but the date line) and Tree.
inspect() {
    (cd "$Mnt" && find proj -type f -printf '%p %s\n') >"$Work/found"
    read -r Missing Empty Short Temps < <(awk 'NR == FNR { size[$1] = $2; next }
        { if ($1 in size) { n++; e += $2 == 0; s += $2 != 0 && $2 != size[$1] } else t++ }
        END { print length(size) - n, e + 0, s + 0, t + 0 }' "$Work/sizes" "$Work/found")
    awk 'NR == FNR { size[$1] = $2; next } $1 in size && size[$1] == $2 { print $1 }' \
        "$Work/sizes" "$Work/found" >"$Work/same"
    [[ $(cd "$Mnt" && xargs -r awk 'FNR != 18' <"$Work/same" | cksum) == \
        $(cd "$Work/ref" && xargs -r awk 'FNR != 18' <"$Work/same" | cksum) ]] || ((++Short))
    Tree="$((Paths - Missing)) present, $Empty empty, $Short short or damaged, $Temps other"
}
fault() { ((++Faults)) && echo "FAULT: $*: status $Status, $Tree"; }
# The reference: an uncut run, its files, and how long it ran.
fresh || skip "the image cannot be copied and mounted"
Start=$EPOCHREALTIME && (cd "$Mnt" && "$Program" project.txt >/dev/null) ||
    { echo "the uncut run failed"; exit 1; }
Took=$(awk -v s="$Start" -v e="$EPOCHREALTIME" 'BEGIN { printf "%d", (e - s) * 1e6 }')
(cd "$Mnt" && mkdir "$Work/ref" && cp -a proj "$Work/ref/" &&
    xargs stat -c '%n %s' <"$Work/paths") >"$Work/sizes"
release && fresh && "$Work/cut" "$Mnt" after 0 /bin/true >/dev/null 2>&1 && release ||
    { release; skip "the file system cannot be shut down here (no shutdown ioctl)"; }

Cuts=() && for ((I = 1; I <= 12; I++)); do Cuts+=("during $((Took * I / 12))"); done
for Delay in 0 0 100 1000 3000 10000 30000 100000; do Cuts+=("after $Delay"); done
for Mode in unnamed hidden; do
    for Cut in "${Cuts[@]}"; do
        Status=? Tree="no trial"
        fresh && Status=$(cd "$Mnt" && env ${Env[$Mode]} "$Work/cut" "$Mnt" $Cut "$Program" \
            project.txt 2>/dev/null) && umount "$Mnt" && mount -t ext4 "$Loop" "$Mnt" ||
            { fault "$Mode $Cut"; release; continue; }
        inspect && ((Empty + Short == 0)) || fault "$Mode cut $Cut"
        [[ $Status != 0 || $Missing == 0 ]] || fault "$Mode cut $Cut, though the run ended 0"
        (cd "$Mnt" && env ${Env[$Mode]} "$Program" project.txt >/dev/null 2>&1) && inspect &&
            ((Missing + Empty + Short == 0)) || fault "$Mode cut $Cut, rerun"
        release
    done
done
Trials=$((2 * ${#Cuts[@]}))
remount() { umount "$1" && mount -t ext4 "$2" "$1"; } 2>/dev/null
# proj, proj/proj, proj/proj/src, three for each unit, and proj/.adaskel and proj/config
Dirs=$((5 + 3 * (Paths - 1)))
# adaskel-layout exits 0 with the GPR file already there: every directory it made is durable.
fresh && (cd "$Mnt" && rm -rf proj/proj-u* && echo mine >proj/proj.gpr && sync -f .) &&
    Status=$(cd "$Mnt" && "$Work/cut" "$Mnt" after 0 "$Layout" project.txt) &&
    remount "$Mnt" "$Loop" && Found=$(cd "$Mnt" && find proj -type d | wc -l) &&
    [[ $Status == 0 && $Found == "$Dirs" ]] ||
    { ((++Faults)); echo "FAULT: layout with its GPR file there: status $Status, ${Found:-?} of $Dirs directories"; }
release && ((++Trials))
# A run killed just before its last sync, then a rerun that finds every file there and
# exits 0: every file is durable.
if ! command -v strace >/dev/null; then echo "skipped: no strace, so no run killed before its last sync"
else Tree="no trial" && fresh && (cd "$Mnt" && strace -f -qq -o "$Work/syncs" -e trace=syncfs \
    "$Program" project.txt >/dev/null 2>&1) && Last=$(grep -c syncfs "$Work/syncs") && release &&
    fresh && (cd "$Mnt" && strace -f -qq -o /dev/null -e trace=syncfs \
        -e inject=syncfs:signal=KILL:when="$Last" "$Program" project.txt >/dev/null 2>&1
    (($? == 137))) 2>/dev/null && Status=$(cd "$Mnt" && "$Work/cut" "$Mnt" after 0 "$Program" project.txt) &&
    remount "$Mnt" "$Loop" && inspect && [[ $Status == 0 ]] && ((Missing + Empty + Short == 0)) ||
    { ((++Faults)); echo "FAULT: rerun after a kill before the last sync: status ${Status:-?}, $Tree"; }
release && ((++Trials)); fi
# A second file system mounted inside the tree: the layout's directories there are durable.
Inner_Img=$Work/inner.img && truncate -s 16M "$Inner_Img" && mkfs.ext4 -q -F "$Inner_Img" &&
    fresh && Inner=$Mnt/proj/proj-u0007 && rm -rf "$Inner" "$Mnt"/proj/proj.gpr && mkdir "$Inner" &&
    Inner_Loop=$(losetup -f --show --direct-io=on "$Inner_Img") && mount -t ext4 "$Inner_Loop" "$Inner" &&
    Status=$(cd "$Mnt" && "$Work/cut" "$Inner" after 0 "$Layout" project.txt) &&
    remount "$Inner" "$Inner_Loop" && [[ $Status == 0 && -d $Inner/src/lib ]] ||
    { ((++Faults)); echo "FAULT: layout over a second file system: status ${Status:-?}, $(ls -R "$Inner" 2>&1 | head -3 | tr '\n' ' ')"; }
release && ((++Trials))
# adaskel-refresh: the generated tree, code of the user's below each header, the version
# bumped, in renew.img; the sums of its files before and after an uncut refresh.
sums() { (cd "$Mnt" && xargs -d '\n' cksum <"$Work/paths") >"$1"; }
renew_fresh() { cp --sparse=always "$Work/renew.img" "$Img" && attach "$Img"; }
# Sets Tree; true when every file is old or new, whole; New counts the new ones.
renew_inspect() {
    sums "$Work/now.sums" && read -r New Torn < <(awk 'FILENAME ~ /old/ { old[$3] = $1 " " $2; next }
        FILENAME ~ /new/ { new[$3] = $1 " " $2; next }
        { s = $1 " " $2; if (s == new[$3]) n++; else if (s != old[$3]) t++ }
        END { print n + 0, t + 0 }' "$Work/old.sums" "$Work/new.sums" "$Work/now.sums")
    Tree="$New of $Paths new, $Torn torn" && ((Torn == 0))
}
fresh && (cd "$Mnt" && "$Program" project.txt >/dev/null && xargs -d '\n' sh -c \
    'for f; do printf -- "-- The code below.\r\n-- Its last line" >>"$f"; done' _ <"$Work/paths" &&
    echo 2.0 >>Versions.lst) && release && cp --sparse=always "$Img" "$Work/renew.img" &&
    renew_fresh && sums "$Work/old.sums" && Start=$EPOCHREALTIME &&
    (cd "$Mnt" && "$Refresh" project.txt >/dev/null) && sums "$Work/new.sums" && release ||
    { release; echo "the uncut refresh failed"; exit 1; }
Took=$(awk -v s="$Start" -v e="$EPOCHREALTIME" 'BEGIN { printf "%d", (e - s) * 1e6 }')
Cuts=() && for ((I = 1; I <= 8; I++)); do Cuts+=("during $((Took * I / 8))"); done
for Delay in 0 1000 10000 100000; do Cuts+=("after $Delay"); done
for Cut in "${Cuts[@]}"; do
    Status=? Tree="no trial" && ((++Trials))
    renew_fresh && Status=$(cd "$Mnt" && "$Work/cut" "$Mnt" $Cut "$Refresh" project.txt 2>/dev/null) &&
        umount "$Mnt" && mount -t ext4 "$Loop" "$Mnt" || { fault "refresh $Cut"; release; continue; }
    renew_inspect || fault "refresh cut $Cut"
    [[ $Status != 0 || $New == "$Paths" ]] || fault "refresh cut $Cut, though it ended 0"
    (cd "$Mnt" && "$Refresh" project.txt >/dev/null 2>&1) && renew_inspect && ((New == Paths)) ||
        fault "refresh cut $Cut, rerun"
    release
done
((Faults == 0)) && echo "no fault found in $Trials power cuts" ||
    { echo "FAILED: $Faults faults"; exit 1; }
