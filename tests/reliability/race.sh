#!/usr/bin/env bash
# Race test of the publishing code (usage: race.sh ADASKEL ADASKEL_LAYOUT [ADASKEL_REFRESH]):
# each program is stopped at a chosen system call (strace injects SIGSTOP there), a
# directory it has looked at is swapped for a symbolic link to a directory outside the
# tree, and it is continued. No byte may be written outside the tree: what the program
# writes goes into the directory it looked at, or it fails. adaskel-refresh is also
# stopped before a rename while the file it is about to replace is written to: that file
# must keep what was written, and be named. Status 0 when that held, 77 when skipped,
# else 1.
set -u
Here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
Program=$(realpath -- "${1:-$Here/../../build/adaskel}") &&
    Layout=$(realpath -- "${2:-$(dirname -- "$Program")/adaskel-layout}") &&
    Refresh=$(realpath -- "${3:-$(dirname -- "$Program")/adaskel-refresh}") &&
    [[ -x $Program && -x $Layout && -x $Refresh ]] ||
    { echo "no programs at ${1:-build/adaskel}" >&2; exit 2; }
strace -f -qq -o /dev/null true 2>/dev/null || { echo "skipped: no strace that can trace here"; exit 77; }
Work=$(mktemp -d "${TMPDIR:-/tmp}/adaskel-race.XXXXXX") || exit 2
trap 'rm -rf -- "$Work"' EXIT
Faults=0 Trials=0 Shim=$Work/shim.so
declare -A Env=([unnamed]="")
command -v cc >/dev/null && cc -shared -fPIC -O1 -o "$Shim" "$Here/shim.c" -ldl &&
    Env[hidden]="LD_PRELOAD=$Shim SHIM_NO_TMPFILE=1" &&
    Env[rename]="LD_PRELOAD=$Shim SHIM_NO_TMPFILE=1 SHIM_NO_LINK=1" ||
    echo "skipped: no cc, so no runs in the hidden-name modes"

# A fresh tree in Work/run: the texts, a project of three units, every directory made.
fresh() {
    rm -rf "$Work/run" && mkdir -p "$Work/run/outside" && cd "$Work/run" &&
        echo 1.0 >Versions.lst && echo Holder >Copyright && echo Races >Abstract.txt &&
        seq -f ' %g: a line of the licence.' 330 >gpl.txt &&
        printf '%s\n' proj app proj-a proj-b proj-c >project.txt &&
        mkdir -p proj/proj/src proj/proj-{a,b,c}/src/lib
}

# Runs the rest of the arguments in Mode, stopped at call When (default 1) of each of Calls,
# where the first stop swaps directory Swap (relative to the tree) for a link to outside/,
# or does what Action says instead.
race() {
    local mode=$1 calls=$2 swap=$3 pid='' tracer swapped=0 i && shift 3
    : >trace
    env ${Env[$mode]} strace -f -qq -o trace -e trace="$calls" \
        -e inject="$calls:signal=STOP:when=${When:-1}" "$@" project.txt >out 2>err &
    tracer=$!
    # The stop is the one strace reports as the injected signal's: a process seen in a
    # tracing stop may only be passing one of the traced calls. The program is continued
    # until it ends, as a continue that comes before strace waits for it may be lost.
    for ((i = 0; i < 2000; i++)); do
        kill -0 "$tracer" 2>/dev/null || break
        ((swapped)) || pid=$(awk '/--- stopped by SIGSTOP ---/ { print $1; exit }' trace)
        if [[ -n $pid ]]; then
            ((swapped++)) || if [[ -n ${Action:-} ]]; then eval "$Action"
            else mv "$swap" "$swap.real" && ln -s "$Work/run/outside" "$swap"; fi
            kill -CONT "$pid" 2>/dev/null
        fi
        sleep 0.005
    done
    wait "$tracer"
    Status=$?
    ((swapped)) || { echo "FAULT: $mode $calls never stopped"; ((++Faults)); }
}
# Nothing outside the tree, and a run that ended 0 wrote what it said into the real one.
judge() {
    ((++Trials))
    if [[ -n $(ls -A outside) ]]; then
        echo "FAULT: $1: written outside the tree: $(ls -A outside | tr '\n' ' ')" \
            "(status $Status: $(head -c 200 err))" && ((++Faults))
    elif [[ $(find proj -name '.ask*' | wc -l) != 0 ]]; then
        echo "FAULT: $1: a hidden file left (status $Status: $(head -c 200 err))" && ((++Faults))
    fi
}

for mode in "${!Env[@]}"; do
    # adaskel-layout: the root swapped once its directories are made, before the GPR file.
    fresh && race "$mode" fdatasync,syncfs proj "$Layout" && judge "$mode layout, root swapped"
    [[ $Status != 0 || -f proj.real/proj.gpr ]] || { echo "FAULT: $mode layout lost its file"; ((++Faults)); }
    # adaskel: a unit directory swapped while its file waits for the batch's sync, and the
    # body file's directory.
    for swap in proj/proj-b/src/lib proj/proj/src; do
        fresh && race "$mode" syncfs "$swap" "$Program" && judge "$mode adaskel, $swap swapped"
        [[ $Status != 0 || -f $swap.real/$(ls "$swap.real" | head -1) ]] ||
            { echo "FAULT: $mode adaskel exited 0 without its file in $swap"; ((++Faults)); }
    done
done
# adaskel-refresh over a generated tree whose version was bumped, stopped at the sync that
# makes the new texts durable, before any rename. The body file is written to meanwhile:
# it keeps that text and is named. Then a unit directory is swapped while refresh holds it
# open.
Body=proj/proj/src/proj.adb Meanwhile='-- written meanwhile'
bumped() { fresh && "$Program" project.txt </dev/null >/dev/null && echo 2.0 >>Versions.lst; }
for mode in "${!Env[@]}"; do
    bumped && Action="echo '$Meanwhile' >>$Body" race "$mode" syncfs none "$Refresh" &&
        judge "$mode refresh, the body written to"
    [[ $Status == 1 && $(<err) == "adaskel-refresh: $Body: not refreshed: it changed while it was refreshed" &&
        $(tail -n 1 "$Body") == "$Meanwhile" && $(sed -n 19p "$Body") == '-- Version := "1.0"' &&
        $(sed -n 19p proj/proj-c/src/lib/proj-c.ads) == '-- Version := "2.0"' ]] ||
        { echo "FAULT: $mode refresh of a file written meanwhile: status $Status, $(<err)"; ((++Faults)); }
    bumped && race "$mode" syncfs proj/proj-b/src/lib "$Refresh" &&
        judge "$mode refresh, proj/proj-b/src/lib swapped"
    [[ $Status != 0 || $(sed -n 19p proj/proj-b/src/lib.real/proj-b.ads) == '-- Version := "2.0"' ]] ||
        { echo "FAULT: $mode refresh exited 0 without its file in proj/proj-b/src/lib"; ((++Faults)); }
done
((Faults == 0)) && echo "no byte written outside the tree in $Trials races" ||
    { echo "FAILED: $Faults faults in $Trials races"; exit 1; }
