#!/usr/bin/env bash
# Reliability sweeps of adaskel, adaskel-layout and adaskel-refresh (usage: sweep.sh ADASKEL
# [LAYOUT [REFRESH]]; status 0 when all held, 77 when skipped for want of strace or cc, the
# reason printed): errors, kills and interrupts at their system calls, a full disk, a path
# taken just before the link, the longest names, an unwritable standard output; with
# unnamed files, hidden names, and hidden names renamed where links are refused. A
# generated file must be complete or absent; a failure must end in status 1 with one
# report, leaving nothing.
set -u
Here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
Program=$(realpath -- "${1:-$Here/../../build/adaskel}") && [[ -x $Program ]] ||
    { echo "no program at ${1:-build/adaskel}" >&2; exit 2; }
Layout=$(realpath -- "${2:-$(dirname -- "$Program")/adaskel-layout}")
Refresh=$(realpath -- "${3:-$(dirname -- "$Program")/adaskel-refresh}")
# Without strace nothing is injected, and without cc no shim is built: a sweep then tests
# nearly nothing, which must not pass for a sweep that held.
skip() { echo "skipped: $*, so no sweep"; exit 77; }
command -v strace >/dev/null && strace -f -qq -o /dev/null true 2>/dev/null ||
    skip "no strace that can trace here"
command -v cc >/dev/null || skip "no cc to build the shim"
Work=$(mktemp -d "${TMPDIR:-/tmp}/adaskel-sweep.XXXXXX") || exit 2
trap 'rm -rf -- "$Work"' EXIT
Run=$Work/run Err=$Work/run/err Shim=$Work/shim.so Target=proj/proj-util/src/lib/proj-util.ads
# "CALL ERROR [CALL]": the second call fails every time (a sync of each file and directory
# is tried only once syncfs has failed). A failed write, link, linkat, fdatasync or fsync
# must always fail the run, and so must a failed renameat2.
Errors=("write ENOSPC" "write EIO" "openat EMFILE" "openat EACCES" "openat2 EXDEV" "linkat ENOSPC"
    "linkat EDQUOT" "renameat2 ENOSPC" "renameat2 EIO" "unlinkat EIO" "close EIO"
    "newfstatat EIO" "syncfs EIO" "fdatasync EIO syncfs" "fsync EIO syncfs")
declare -A Env=([unnamed]="") Sizes=() && Faults=0 Traced=() Status=0 Tree= Points=0
fault() { ((Faults++ >= 30)) ||
    echo "FAULT: $*: status $Status, $Tree; said: $(head -c 200 "$Err" | tr '\n' ' ')"; }
norm() { sed -s '18s/^-- Date := "[0-9 :-]\{19\}"$/-- Date := "D"/' -- "$@" 2>/dev/null; }
fresh() { rm -rf "$Run" && cp -a "$Work/proto/$1" "$Run"; }
# The calls of a trace a program is stopped at, as "CALL N" (its Nth call of that name):
# those that may change the tree or the process's hold on it. A stop at a call that only
# looks (a read, a stat, a close) leaves the tree as a stop at the next call that changes
# something does, so those stops would test a tree already tested, and are left out.
stops() {
    awk -F'(' '{ sub(/^[0-9]+ +/, "", $1); ++n[$1] }
        $1 !~ /^(read|pread64|newfstatat|fstat|statx|lstat|stat|lseek|close|fcntl|access|faccessat2?|readlinkat?|getdents64|ioctl|rt_sig(action|procmask)|prlimit64|getrandom|getpid|set_tid_address|set_robust_list|rseq|arch_prctl|exit_group|clock_gettime|uname)$/ {
            print $1, n[$1] }' "$1"
}
# Runs the program in Mode under the rest of the arguments; inject: call $2 tampered with as
# $3 says (traced to Trace), call $4, if given, failing always.
run() { (cd "$Run" && env ${Env[$1]} "${@:2}" "$Program" project.txt >out 2>err); Status=$?; }
inject() { run "$1" strace -f -qq -o "${Trace:-/dev/null}" -e trace="$2${4:+,$4}" \
    ${3:+-e inject="$2:$3"} ${4:+-e inject="$4:error=EIO"}; } 2>/dev/null
one_report() { [[ $(wc -l <"$Err") == 1 && $(<"$Err") == "adaskel: "* ]]; }
# A failure naming an output path left every file before it.
in_order() {
    local -n files=Files_$Project && local i named
    named=$(sed -n "s/^adaskel: [^']*'\([^']*\)'.*/\1/p" "$Err")
    for ((i = 0; i < ${#files[@]}; i++)); do [[ ${files[i]} == "$named" ]] && break; done
    ((i == ${#files[@]} || Missing <= ${#files[@]} - i))
}
failed_cleanly() { ((Status == 1 && Short + Lost + Temps + Strays == 0)) && one_report &&
    in_order; }
# Status 0, the whole tree, and no word but the loader's about an error opening the shim.
complete() { ((Status == 0 && Missing + Short + Temps + Strays == 0)) &&
    ! grep -qv "^ERROR: ld.so: object '.*' from LD_PRELOAD cannot be preloaded" "$Err"; }

# Project P (Main Units...) in Work/proto/P, and in Work/ref/P a clean run's tree, dates masked.
prepare() {
    local p=$1 d=$Work/proto/$1 u && local -n files=Files_$p
    files=(proj/proj/src/proj.adb) && mkdir -p "$d/proj/proj/src" "$Work/ref/$p"
    for u in "${@:3}"; do files+=("proj/$u/src/lib/$u.ads") && mkdir -p "$d/proj/$u/src/lib"; done
    printf '1.0\n2.0-beta\n' >"$d/Versions.lst" && echo Sweep Holder >"$d/Copyright"
    printf 'Skeletons for the reliability sweeps\nunused\n' >"$d/Abstract.txt"
    seq -f ' %g: This program is free software; a line of the licence.' 330 >"$d/gpl.txt"
    printf '%s\n' proj "${@:2}" >"$d/project.txt" && printf '%s\n' "${files[@]}" >"$Work/$p.list"
    declare -gA "Listed_$p=()" && local -n listed=Listed_$p && for u in "${files[@]}"; do listed[$u]=1; done
    fresh "$p" && run unnamed && ((Status == 0)) && cp -a "$Run/proj" "$Work/ref/$p/" &&
        for u in "${files[@]}"; do norm "$Run/$u" >"$Work/ref/$p/$u" &&
            Sizes[$p/$u]=$(stat -c %s -- "$Run/$u"); done ||
        { cat "$Err"; exit 1; }
}
# Sets Missing, Short (not as the reference), Lost (there after a missing one), Temps
# (hidden temporary files) and Strays (anything else) for project P's tree in Run. The
# files there are compared in one pass, each of its reference size and all together as
# the reference, and one by one only when that fails: a sweep inspects thousands of trees.
inspect() {
    local p=$1 f gap=0 there=() sizes=() entries=() && local -n files=Files_$p listed=Listed_$p
    Project=$p Missing=0 Short=0 Lost=0 Temps=0 Strays=0
    for f in "${files[@]}"; do
        if [[ ! -e $Run/$f && ! -L $Run/$f ]]; then ((++Missing)) && gap=1
        else ((Lost += gap)); there+=("$f") sizes+=("${Sizes[$p/$f]}"); fi
    done
    if ((${#there[@]})) && ! { [[ $(cd "$Run" && stat -c %s -- "${there[@]}" 2>/dev/null |
        paste -sd' ') == "${sizes[*]}" ]] && (cd "$Run" && norm "${there[@]}") |
        cmp -s - <(cd "$Work/ref/$p" && cat -- "${there[@]}"); }; then
        for f in "${there[@]}"; do norm "$Run/$f" | cmp -s - "$Work/ref/$p/$f" || ((++Short)); done
    fi
    mapfile -t entries < <(cd "$Run" && find proj ! -type d -o -name '.ask*')
    for f in "${entries[@]}"; do
        if [[ ${f##*/} == .ask* ]]; then ((++Temps)); elif [[ -z ${listed[$f]-} ]]; then ((++Strays)); fi
    done
    Tree="missing $Missing, short $Short, lost $Lost, temp $Temps, stray $Strays"
}

cc -shared -fPIC -O1 -o "$Shim" "$Here/shim.c" -ldl || skip "the shim does not build"
Env[hidden]="LD_PRELOAD=$Shim SHIM_NO_TMPFILE=1"
Env[rename]="LD_PRELOAD=$Shim SHIM_NO_TMPFILE=1 SHIM_NO_LINK=1"
prepare small app proj-io proj-util proj-str
Traced=("${!Env[@]}")
for mode in "${Traced[@]}"; do
    for row in "${Errors[@]}"; do
        read -r sys err always <<<"$row"
        fresh small && Trace=$Work/trace inject "$mode" "$sys" "" $always
        mapfile -t calls < <(grep "^[0-9 ]*$sys(" "$Work/trace") && ((Points += ${#calls[@]}))
        for ((n = 1; n <= ${#calls[@]} + 1; n++)); do # the last has nothing injected
            at="$mode $sys $err when=$n${always:+, $always failing}" && call=${calls[n - 1]:-none}
            fresh small && inject "$mode" "$sys" "error=$err:when=$n" $always && inspect small
            if [[ $call == none ]]; then complete || fault "$at, past the last call"
            elif ((Status == 0)); then
                [[ $call == *"$sys(1,"* ]] && fault "$at: exit 0, standard output unwritten"
                [[ $sys != @(write|link|linkat|renameat2|fdatasync|fsync) ]] && complete || fault "$at"
            elif ((Status == 127)) && grep -q 'error while loading shared lib' "$Err"; then
                ((Missing == ${#Files_small[@]})) || fault "$at"
            else failed_cleanly || fault "$at"; fi
        done
    done
    # Kills leave no partial file (the hidden-name way may leave its temporary one) and a
    # rerun completes; an interrupt or a termination leaves not even a hidden file.
    fresh small && Trace=$Work/trace inject "$mode" '!%memory,execve'
    while read -r -u 3 sys n; do
        at="$mode kill at $sys when=$n" && ((++Points))
        fresh small && inject "$mode" "$sys" "signal=KILL:when=$n" && inspect small
        ((Status == 137 && Short + Lost + Strays == 0)) && [[ $mode != unnamed || $Temps == 0 ]] ||
            fault "$at"
        run "$mode" && inspect small && ((Status == 0 && Missing + Short + Strays == 0)) ||
            fault "$at, rerun"
        [[ $mode != unnamed ]] && signal=$((n % 2 ? 2 : 15)) && ((++Points)) || continue
        fresh small && inject "$mode" "$sys" "signal=$signal:when=$n" && inspect small
        ((Status == 128 + signal && Short + Lost + Strays + Temps == 0)) || complete ||
            fault "$mode signal $signal at $sys when=$n"
    done 3< <(stops "$Work/trace")
done

# A full disk, in bytes and in inodes: a tmpfs in a private mount namespace.
if unshare -m bash -c "mount -t tmpfs -o size=64k tmpfs '$Work'" 2>/dev/null; then
    prepare big big-main $(seq -f 'big-unit%02g' 40)
    Inodes=size=4m,nr_inodes=$(($(find "$Work/proto/big/proj" -type d | wc -l) + 3)) # 3 files
    for mode in "${!Env[@]}"; do for size in size=64k "$Inodes"; do
        fresh big && mv "$Run/proj" "$Run/dirs" && mkdir "$Run/proj"
        unshare -m bash -c 'cd "$1" && mount -t tmpfs -o "$2" tmpfs proj && cp -a dirs/. proj/ &&
            shift 2 && { "$@" project.txt >out 2>err; echo $? >status; } && cp -a proj copy' \
            _ "$Run" "$size" env ${Env[$mode]} "$Program" && rm -rf "$Run/proj" &&
            mv "$Run/copy" "$Run/proj" && Status=$(<"$Run/status") && inspect big &&
            failed_cleanly && ((Missing > 0)) || fault "$mode $size, full disk"
    done; done
else echo "skipped: no tmpfs can be mounted in a private mount namespace, so no full disk"; fi

# A planted file stays as planted and is skipped; a planted dangling link fails the run
# naming the path, and nothing is created through it.
[[ -e $Shim ]] && for mode in "${!Env[@]}"; do for kind in file dangling; do
    fresh small && run "$mode" LD_PRELOAD="$Shim" PLANT_PATH=$Target PLANT_KIND=$kind &&
        inspect small && [[ ! -e $Run/${Target%/*}/nowhere ]] &&
        [[ $Short,$Lost,$Temps,$Strays == 1,0,0,0 ]] &&
        if [[ $kind == file ]]; then [[ $Status,$Missing == 0,0 && $(<"$Run/$Target") == planted ]]
        else [[ $Status,$Missing == 1,1 ]] && one_report && grep -qF "'$Target'" "$Err" &&
            [[ $(readlink "$Run/$Target") == nowhere ]]; fi || fault "$mode planted $kind"
done; done

# A file name of 255 bytes, and a path of 4094 bytes with a short name of its own, which a
# hidden name of the usual length would not fit; relative to Run, whose own path would not.
Long=$(printf "%0251d" 0) Deep=$(printf "%0254d/" 0 0 0 0 0 0 0)$(printf "%0251d/" 0)x
Longest=$(printf '%s\n' proj/proj/src/proj.adb "proj/$Long/src/lib/$Long.ads" \
    "proj/$Deep/src/lib/$Deep.ads" | sort)
for mode in "${!Env[@]}"; do
    rm -rf "$Run" && cp -r "$Work/proto/small" "$Run" && rm -r "$Run/proj" && (cd "$Run" &&
        printf '%s\n' proj app "$Long" "$Deep" >project.txt && mkdir -p proj/proj/src \
            "proj/$Long/src/lib" "proj/$Deep/src/lib/${Deep%/*}") && run "$mode" &&
        [[ $Status == 0 && ! -s $Err ]] &&
        [[ $(cd "$Run" && find proj -type f -size +0 | sort) == "$Longest" ]] &&
        [[ -z $(cd "$Run" && find proj -type f -empty) ]] || fault "$mode longest names"
done

for redirect in '>/dev/full' '>&-'; do
    fresh small && (cd "$Run" && eval '"$Program" project.txt 2>err' "$redirect"); Status=$?
    inspect small && failed_cleanly || fault "standard output $redirect"
done
# adaskel-layout: every directory and the GPR file, or status 1 with one report and a GPR
# file complete or absent; a kill leaves the same (the hidden-name ways may leave their
# temporary file) and a rerun completes.
Layout_Errors=("mkdirat EACCES" "openat2 EXDEV" "openat2 EIO" "openat EMFILE" "newfstatat EIO" "fstat EIO" "write ENOSPC"
    "fdatasync EIO" "linkat ENOSPC" "renameat2 EIO" "unlinkat EIO" "close EIO" "syncfs EIO"
    "fsync EIO syncfs")
lay() { (cd "$Run" && env ${Env[$1]} "${@:2}" "$Layout" project.txt >out 2>err); Status=$?; }
lay_inject() { lay "$1" strace -f -qq -o "${Trace:-/dev/null}" -e trace="$2${4:+,$4}" \
    ${3:+-e inject="$2:$3"} ${4:+-e inject="$4:error=EIO"}; } 2>/dev/null
# Sets Tree for the layout's tree in Run: whether all is there, and what is wrong.
lay_inspect() {
    local gpr=$Run/proj/proj.gpr entries=() f dirs=() && Temps=0
    mapfile -t entries < <(cd "$Run" 2>/dev/null && find proj -type d -o -name '.ask*' 2>/dev/null | LC_ALL=C sort)
    for f in "${entries[@]}"; do if [[ ${f##*/} == .ask* ]]; then ((++Temps)); else dirs+=("$f"); fi; done
    for f in "$Run"/.ask*; do [[ -e $f || -L $f ]] && ((++Temps)); done
    [[ "${dirs[*]}" == "$Layout_Dirs" ]] && dirs=all || dirs=
    Gpr=absent && [[ -e $gpr || -L $gpr ]] && Gpr=other && cmp -s "$gpr" "$Work/layout.gpr" && Gpr=same
    Tree="directories ${dirs:-not all}, GPR file $Gpr, temp $Temps"
    [[ $Gpr != other ]] && [[ $Gpr != same || $dirs == all ]]
}
rm -rf "$Work/proto/layout" && cp -a "$Work/proto/small" "$Work/proto/layout" &&
    rm -rf "$Work/proto/layout/proj" && fresh layout && lay unnamed && ((Status == 0)) &&
    Layout_Dirs=$(cd "$Run" && find proj -type d | LC_ALL=C sort | paste -sd' ') &&
    cp "$Run/proj/proj.gpr" "$Work/layout.gpr" || { echo "the uncut layout failed"; exit 1; }
for mode in "${Traced[@]}"; do
    for row in "${Layout_Errors[@]}"; do
        read -r sys err always <<<"$row"
        fresh layout && Trace=$Work/trace lay_inject "$mode" "$sys" "" $always
        count=$(grep -c "^[0-9 ]*$sys(" "$Work/trace") && ((Points += count))
        for ((n = 1; n <= count + 1; n++)); do
            at="layout $mode $sys $err when=$n${always:+, $always failing}"
            fresh layout && lay_inject "$mode" "$sys" "error=$err:when=$n" $always
            lay_inspect || fault "$at"
            if ((Status == 0)); then
                [[ $Gpr == same && $Temps == 0 ]] && [[ $sys != @(write|fdatasync|linkat|renameat2|fsync) ||
                    n -gt count ]] || fault "$at: exit 0"
            elif ((Status == 127)) && grep -q 'error while loading shared lib' "$Err"; then
                [[ $Gpr == absent ]] || fault "$at"
            elif ((Status != 1 || Temps != 0)) || ! [[ $(wc -l <"$Err") == 1 &&
                $(<"$Err") == "adaskel-layout: "* ]]; then fault "$at: not a clean failure"; fi
        done
    done
    fresh layout && Trace=$Work/trace lay_inject "$mode" '!%memory,execve'
    while read -r -u 3 sys n; do
        ((++Points)) && fresh layout && lay_inject "$mode" "$sys" "signal=KILL:when=$n"
        # The derived project is replaced by a rename, which needs a name: a kill may leave
        # its hidden file in every mode, as the hidden-name modes may leave theirs.
        lay_inspect && ((Status == 137)) && [[ $mode != unnamed || $Temps -le 1 ]] ||
            fault "layout $mode kill at $sys when=$n"
        lay "$mode" && lay_inspect && [[ $Status == 0 && $Gpr == same ]] ||
            fault "layout $mode kill at $sys when=$n, rerun"
    done 3< <(stops "$Work/trace")
done
# A GPR file another writer put there just before the link is left, and said to exist.
[[ -e $Shim ]] && for mode in "${!Env[@]}"; do
    fresh layout && lay "$mode" LD_PRELOAD="$Shim" PLANT_PATH=proj/proj.gpr PLANT_KIND=file &&
        [[ $Status == 0 && $(<"$Run/proj/proj.gpr") == planted ]] &&
        grep -qx "exists proj/proj.gpr" "$Run/out" || fault "layout $mode planted file"
done

# adaskel-refresh over two files of the small tree with code below each header, a mode
# and (as root) an owner of their own to keep, and the version bumped: an error or a kill at each of its system calls leaves each file with its
# old text or its new one, whole, so no byte below a header is lost; a failure has status
# 1 and says so on standard error alone; a rerun refreshes every file. It writes by hidden
# names in every mode, so one mode is swept.
Renewed=("${Files_small[@]:0:2}")
renew() { (cd "$Run" && env "${@:2}" "$Refresh" project.txt >out 2>err); Status=$?; }
renew_inject() { renew "$1" strace -f -qq -o "${Trace:-/dev/null}" -e trace="$2" ${3:+-e inject="$2:$3"}
} 2>/dev/null
# Sets Tree; true when every file is old or new (New counts the new ones).
renew_inspect() {
    local f && Old=0 New=0 Torn=0
    for f in "${Renewed[@]}"; do
        if cmp -s "$Run/$f" "$Work/renew.old/$f"; then ((++Old))
        elif cmp -s "$Run/$f" "$Work/renew.new/$f"; then ((++New)); else ((++Torn)); fi
    done
    Temps=$(find "$Run/proj" -name '.ask*' | wc -l)
    Tree="old $Old, new $New, torn $Torn, temp $Temps" && ((Torn == 0))
}
renewed() { renew_inspect && ((Status == 0 && New == ${#Renewed[@]} && Temps == 0)); }
renew_failed() { ((Status == 1 && Temps == 0)) && [[ -s $Err ]] && ! grep -qv '^adaskel-refresh: ' "$Err"; }
fresh small && run unnamed && (cd "$Run" && printf '%s\n' proj app proj-io >project.txt &&
    for f in "${Renewed[@]}"; do
        printf -- '-- The code below the header.\r\n-- And its last line' >>"$f"; done &&
    chmod 640 "${Renewed[0]}" && { chown 65534:65534 "${Renewed[1]}" 2>/dev/null || :; } &&
    echo 3.0 >>Versions.lst) && rm -rf "$Work/proto/renew" && cp -a "$Run" "$Work/proto/renew" &&
    mkdir -p "$Work/renew.old" && cp -a "$Run/proj" "$Work/renew.old/" && renew unnamed &&
    ((Status == 0)) && mkdir -p "$Work/renew.new" && cp -a "$Run/proj" "$Work/renew.new/" ||
    { echo "the uncut refresh failed: $(<"$Err")"; exit 1; }
Renew_Errors=("openat2 EIO" "readlink EIO" "openat EMFILE" "read EIO" "newfstatat EIO" "faccessat2 EIO" "write ENOSPC"
    "fchown EIO" "fchmod EIO" "fsync EIO" "renameat2 EIO" "unlinkat EIO" "close EIO" "syncfs EIO")
((${#Traced[@]})) && for row in "${Renew_Errors[@]}"; do
    read -r sys err <<<"$row"
    fresh renew && Trace=$Work/trace renew_inject unnamed "$sys"
    count=$(grep -c "^[0-9 ]*$sys(" "$Work/trace") && ((Points += count))
    for ((n = 1; n <= count + 1; n++)); do
        at="refresh $sys $err when=$n"
        fresh renew && renew_inject unnamed "$sys" "error=$err:when=$n"
        if ((Status == 0)); then renewed || fault "$at: exit 0"
        elif ((Status == 127)) && grep -q 'error while loading shared lib' "$Err"; then :
        else renew_inspect && renew_failed || fault "$at: not a clean failure"; fi
        renew unnamed && renewed || fault "$at, rerun"
    done
done
# A kill at the odd calls (a kill may leave a hidden file, never a torn one), an interrupt
# or a termination at the even ones (which leave not even a hidden file).
((${#Traced[@]})) && fresh renew && Trace=$Work/trace renew_inject unnamed '!%memory,execve' &&
    while read -r -u 3 sys n; do
        ((++Points)) && fresh renew && signal=$((n % 2 ? 9 : n % 4 ? 2 : 15))
        renew_inject unnamed "$sys" "signal=$signal:when=$n" && renew_inspect &&
            { ((Status == 128 + signal)) && ((signal == 9 || Temps == 0)) || renewed; } ||
            fault "refresh signal $signal at $sys when=$n"
        renew unnamed && renew_inspect && ((Status == 0 && New == ${#Renewed[@]})) ||
            fault "refresh signal $signal at $sys when=$n, rerun"
    done 3< <(stops "$Work/trace")

((Points > 0)) || { echo "no injection point found: the traces held no call"; exit 1; }
((Faults == 0)) && echo "no fault found at $Points injection points" ||
    { echo "FAILED: $Faults faults"; exit 1; }
