#!/usr/bin/env bash
# Reliability sweeps of adaskel (usage: sweep.sh PROGRAM; status 0 when all held): errors
# and kills at its system calls, a real full disk, a path taken just before the link, an
# unwritable standard output. A generated file must be complete or absent; a failure must
# end in status 1 with one report, leaving nothing.
set -u
Here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
Program=$(realpath -- "${1:-$Here/../../build/adaskel}") && [[ -x $Program ]] ||
    { echo "no program at ${1:-build/adaskel}" >&2; exit 2; }
Work=$(mktemp -d "${TMPDIR:-/tmp}/adaskel-sweep.XXXXXX") || exit 2
trap 'rm -rf -- "$Work"' EXIT
Run=$Work/run Err=$Work/run/err Shim=$Work/shim.so Target=proj/proj-util/src/lib/proj-util.ads
# The injected errors, "CALL ERROR [CALL]": the second call, if any, fails every time (a
# sync of each file and directory is tried only once syncfs has failed). A failed write,
# link, linkat, fdatasync or fsync must always fail the run.
Errors=("write ENOSPC" "write EIO" "openat EMFILE" "openat EACCES" "linkat ENOSPC"
    "linkat EDQUOT" "link ENOSPC" "unlink EIO" "close EIO" "newfstatat EIO" "syncfs EIO"
    "fdatasync EIO syncfs" "fsync EIO syncfs")
declare -A Figure=() Env=([unnamed]="") && Faults=0 Traced=() Status=0 Tree=
tally() { Figure[$1]=$((${Figure[$1]:-0} + ${2:-1})); }
# Counts a fault of Kind at What, and shows the first ones with what the run left.
fault() { tally "$1" && ((Faults++ >= 30)) ||
    echo "FAULT: $2: status $Status, $Tree; said: $(head -c 200 "$Err" | tr '\n' ' ')"; }
norm() { sed '18s/^-- Date := "[0-9 :-]\{19\}"$/-- Date := "D"/' "$1" 2>/dev/null; }
fresh() { rm -rf "$Run" && cp -a "$Work/proto/$1" "$Run"; }
# Runs the program on Run's project in Mode, under the rest of the arguments if any.
run() { (cd "$Run" && env ${Env[$1]} "${@:2}" "$Program" project.txt >out 2>err); Status=$?; }
# Runs in Mode with call $2 tampered with as $3 says, and call $4, if given, failing always.
# Quiet: the shell reports every strace that dies with a killed program.
inject() {
    run "$1" strace -f -qq -o /dev/null -e trace="$2${4:+,$4}" -e inject="$2:$3" \
        ${4:+-e inject="$4:error=EIO"}
} 2>/dev/null
one_report() { [[ $(wc -l <"$Err") == 1 && $(<"$Err") == "adaskel: "* ]]; }
# A failure naming an output path left every file before it (and none after a missing
# one, as Lost tells).
in_order() {
    local -n files=Files_$Project
    local named i
    named=$(sed -n "s/^adaskel: [^']*'\([^']*\)'.*/\1/p" "$Err")
    for ((i = 0; i < ${#files[@]}; i++)); do [[ ${files[i]} == "$named" ]] && break; done
    ((i == ${#files[@]} || Missing <= ${#files[@]} - i))
}
failed_cleanly() {
    ((Status == 1 && Short + Lost + Temps + Strays == 0)) && one_report && in_order
}
# Status 0, the whole tree, and no word but the loader's that an error hit its open of a shim.
complete() { ((Status == 0 && Missing + Short + Temps + Strays == 0)) &&
    ! grep -qv "^ERROR: ld.so: object '.*' from LD_PRELOAD cannot be preloaded" "$Err"; }

# Project P in Work/proto/P: the texts, project file lines proj Main Units..., the empty
# tree. Work/ref/P holds the tree a clean run made, the run dates masked.
prepare() {
    local p=$1 d=$Work/proto/$1 u
    local -n files=Files_$p
    files=(proj/proj/src/proj.adb) && mkdir -p "$d/proj/proj/src" "$Work/ref/$p"
    for u in "${@:3}"; do files+=("proj/$u/src/lib/$u.ads") && mkdir -p "$d/proj/$u/src/lib"; done
    printf '1.0\n2.0-beta\n' >"$d/Versions.lst" && echo Sweep Holder >"$d/Copyright"
    printf 'Skeletons for the reliability sweeps\nunused\n' >"$d/Abstract.txt"
    seq -f ' %g: This program is free software; a line of the licence.' 330 >"$d/gpl.txt"
    printf '%s\n' proj "${@:2}" >"$d/project.txt" && printf '%s\n' "${files[@]}" >"$Work/$p.list"
    fresh "$p" && run unnamed && ((Status == 0)) && cp -a "$Run/proj" "$Work/ref/$p/" ||
        { cat "$Err"; exit 1; }
    for u in "${files[@]}"; do norm "$Run/$u" >"$Work/ref/$p/$u"; done
}
# Sets Missing, Short (there but not as the reference), Lost (there after a missing one),
# Temps (hidden temporary files) and Strays (anything else) for project P's tree in Run.
inspect() {
    local p=$1 f gap=0
    local -n files=Files_$p
    Project=$p Missing=0 Short=0 Lost=0 Temps=0 Strays=0
    for f in "${files[@]}"; do
        if [[ ! -e $Run/$f && ! -L $Run/$f ]]; then ((++Missing)) && gap=1
        else ((Lost += gap)); norm "$Run/$f" | cmp -s - "$Work/ref/$p/$f" || ((++Short)); fi
    done
    Temps=$(find "$Run/proj" -name '.ask*' | wc -l)
    Strays=$(cd "$Run" && find proj ! -type d ! -name '.ask*' | grep -cvxFf "$Work/$p.list")
    Tree="missing $Missing, short $Short, lost $Lost, temp $Temps, stray $Strays"
}

command -v cc >/dev/null && cc -shared -fPIC -O1 -o "$Shim" "$Here/shim.c" -ldl &&
    Env[hidden]="LD_PRELOAD=$Shim SHIM_NO_TMPFILE=1" || echo "skipped: no cc, so no shim runs"
prepare small app proj-io proj-util proj-str

strace -f -qq -o /dev/null true 2>/dev/null && Traced=("${!Env[@]}") ||
    echo "skipped: no strace that can trace here, so no error and kill sweeps"
for mode in "${Traced[@]}"; do
    for row in "${Errors[@]}"; do
        read -r sys err always <<<"$row"
        fresh small && run "$mode" strace -f -qq -o "$Work/trace" \
            -e trace="$sys${always:+,$always}" ${always:+-e inject="$always:error=EIO"}
        mapfile -t calls < <(grep "^[0-9 ]*$sys(" "$Work/trace") && tally injected ${#calls[@]}
        for ((n = 1; n <= ${#calls[@]} + 1; n++)); do  # the last has nothing injected
            at="$mode $sys $err when=$n${always:+, $always failing}" && call=${calls[n - 1]:-none}
            fresh small && inject "$mode" "$sys" "error=$err:when=$n" $always && inspect small
            if [[ $call == none ]]; then complete || fault damaged "$at, past the last call"
            elif ((Status == 0)); then
                [[ $call == *"$sys(1,"* ]] && fault stdout_zero "$at"
                [[ $sys != @(write|link|linkat|fdatasync|fsync) ]] && complete ||
                    fault damaged "$at"
            elif ((Status == 127)) && grep -q 'error while loading shared lib' "$Err"; then
                ((Missing == ${#Files_small[@]})) && tally loader || fault damaged "$at"
            else failed_cleanly || fault damaged "$at"; fi
        done
    done
    fresh small && run "$mode" strace -f -qq -o "$Work/trace" -e 'trace=!%memory,execve'
    while read -r -u 3 sys n; do
        at="$mode kill at $sys when=$n" && tally kills
        fresh small && inject "$mode" "$sys" "signal=KILL:when=$n" && inspect small
        # Only the hidden-name way may leave its temporary file.
        ((Status == 137 && Short + Lost + Strays == 0)) && [[ $mode == hidden || $Temps == 0 ]] ||
            fault partial "$at"
        run "$mode" && inspect small
        ((Status == 0 && Missing + Short + Strays == 0)) || fault rerun "$at, rerun"
        # An interrupt or a termination leaves not even a hidden file.
        [[ $mode == hidden ]] || continue
        signal=$((n % 2 ? 2 : 15)) && at="$mode signal $signal at $sys when=$n" && tally signals
        fresh small && inject "$mode" "$sys" "signal=$signal:when=$n" && inspect small
        ((Status == 128 + signal && Short + Lost + Strays + Temps == 0)) || complete ||
            fault interrupt "$at"
    done 3< <(awk -F'(' '{ sub(/^[0-9]+ +/, "", $1); print $1, ++n[$1] }' "$Work/trace")
done

# Runs with the tree on a tmpfs mounted with Options, in a private mount namespace, and
# copies it out before the namespace goes.
full_disk() {
    fresh big && mv "$Run/proj" "$Run/dirs" && mkdir "$Run/proj" && tally full
    unshare -m bash -c 'cd "$1" && mount -t tmpfs -o "$2" tmpfs proj && cp -a dirs/. proj/ &&
        shift 2 && { "$@" project.txt >out 2>err; echo $? >status; } && cp -a proj copy' \
        _ "$Run" "$1" env ${Env[$2]} "$Program" || { fault short "$2 $1, no tmpfs"; return; }
    rm -rf "$Run/proj" && mv "$Run/copy" "$Run/proj" && Status=$(<"$Run/status") && inspect big
    echo "  $2 $1: status $Status, $((${#Files_big[@]} - Missing)) of ${#Files_big[@]} files"
    failed_cleanly && ((Missing > 0)) || fault short "$2 $1"
}
if unshare -m bash -c "mount -t tmpfs -o size=64k tmpfs '$Work'" 2>/dev/null; then
    prepare big big-main $(seq -f 'big-unit%02g' 40)
    Inodes=size=4m,nr_inodes=$(($(find "$Work/proto/big/proj" -type d | wc -l) + 3))  # and 3 files
    for mode in "${!Env[@]}"; do full_disk size=64k "$mode"; full_disk "$Inodes" "$mode"; done
else echo "skipped: no tmpfs can be mounted in a private mount namespace, so no full disk"; fi

# A planted file stays as planted and is skipped; a planted dangling link fails the run
# naming the path, and nothing is created through it.
planted_ok() {
    [[ ! -e $Run/${Target%/*}/nowhere && $Short == 1 && $((Lost + Temps + Strays)) == 0 ]] &&
        if [[ $1 == file ]]; then [[ $Status,$Missing == 0,0 && $(<"$Run/$Target") == planted ]]
        else [[ $Status,$Missing == 1,1 ]] && one_report && grep -qF "'$Target'" "$Err" &&
            [[ $(readlink "$Run/$Target") == nowhere ]]; fi
}
[[ -e $Shim ]] && for mode in "${!Env[@]}"; do for kind in file dangling; do
    fresh small && run "$mode" LD_PRELOAD="$Shim" PLANT_PATH=$Target PLANT_KIND=$kind
    inspect small && planted_ok $kind || fault race "$mode planted $kind"
done; done

# The longest names the system takes: a file name of 255 bytes, and a path of 4094 bytes
# with a short name of its own, which a hidden name of the usual length would not fit.
# Paths are relative to Run: Run's own path and such a path exceed the limit together.
longest_names() {
    local long deep files
    long=$(printf "%0251d" 0) deep=$(printf "%0254d/" 0 0 0 0 0 0 0)$(printf "%0251d/" 0)x
    files=$(printf '%s\n' proj/proj/src/proj.adb "proj/$long/src/lib/$long.ads" \
        "proj/$deep/src/lib/$deep.ads" | sort)
    rm -rf "$Run" && cp -r "$Work/proto/small" "$Run" && rm -r "$Run/proj" && (cd "$Run" &&
        printf '%s\n' proj app "$long" "$deep" >project.txt && mkdir -p proj/proj/src \
            "proj/$long/src/lib" "proj/$deep/src/lib/${deep%/*}") && run "$1" &&
        [[ $Status == 0 && ! -s $Err ]] &&
        [[ $(cd "$Run" && find proj -type f -size +0 | sort) == "$files" ]] &&
        [[ -z $(cd "$Run" && find proj -type f -empty) ]]
}
for mode in "${!Env[@]}"; do longest_names "$mode" || fault long "$mode longest names"; done

for redirect in '>/dev/full' '>&-'; do
    fresh small && (cd "$Run" && eval '"$Program" project.txt 2>err' "$redirect"); Status=$?
    inspect small && failed_cleanly || fault stdout "standard output $redirect"
done

F() { echo "${Figure[$1]:-0}"; }
echo "injected errors: $(F injected), refused by the loader: $(F loader); ending 0 despite a" \
    "failed write of standard output: $(F stdout_zero); damaged trees: $(F damaged)"
echo "kill points tried: $(F kills); partial files found: $(F partial); bad reruns: $(F rerun)"
echo "interrupts and terminations: $(F signals); leaving a file: $(F interrupt)"
echo "disk-full runs: $(F full); short files found: $(F short)"
echo "race runs failing: $(F race); standard output runs failing: $(F stdout);" \
    "runs with the longest names failing: $(F long)"
((Faults == 0)) && echo "no fault found" || { echo "FAILED: $Faults faults"; exit 1; }
