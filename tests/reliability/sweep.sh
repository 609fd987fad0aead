#!/usr/bin/env bash
# Reliability sweeps of adaskel: an error or a kill at every system call it makes, a real
# full disk, a path taken just before the link, a broken standard output. Whatever
# happens, a generated file is complete or absent, files completed before stay, a failure
# leaves no temporary file and ends with status 1 and one report.
# Usage: tests/reliability/sweep.sh [path-to-adaskel]   (status 0 when all hold)
set -u

Here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
Program=$(realpath -- "${1:-$Here/../../build/adaskel}") || exit 2
[[ -x $Program ]] || { echo "no program at $Program" >&2; exit 2; }
Work=$(mktemp -d "${TMPDIR:-/tmp}/adaskel-sweep.XXXXXX") || exit 2
trap 'rm -rf -- "$Work"' EXIT
Run=$Work/run

# The injected errors. A call the program does not make in a mode is reported as such
# (link and unlink belong to the hidden-name way, linkat to the unnamed-file way).
Error_Table=("write ENOSPC" "write EIO" "openat EMFILE" "openat EACCES" "linkat ENOSPC"
    "linkat EDQUOT" "link ENOSPC" "link EDQUOT" "unlink EIO" "close EIO" "newfstatat EIO"
    "stat EIO" "lstat EIO" "statx EIO")
# Every call of these is checked by the program: an error in one never ends in status 0.
Must_Fail=" write linkat link "
# Calls that change no file: a kill there leaves what a kill at the next call leaves.
# strace cannot stop the exec that starts the program.
Not_Kill_Points=" execve mmap mprotect munmap brk arch_prctl set_tid_address set_robust_list
    rseq prlimit64 getrandom pread64 futex "

declare -A Found=() Count=() Known=() Preload=([unnamed]=)
Shown=0
# Counts a fault under Kind and shows the first ones.
found() {
    Found[$1]=$((${Found[$1]:-0} + 1))
    ((Shown++ < 30)) && printf 'FAULT: %s\n' "$2"
}
count() { Count[$1]=$((${Count[$1]:-0} + 1)); }
skipped() { printf 'skipped: %s\n' "$*"; }

# ---- Projects: prototypes, and references from clean runs ------------------------------
# Project P in Work/proto/P: reference texts, project.txt and the empty tree. Files_P
# lists its generated files in order, Root_P its root; Work/ref/P/K holds file K's content
# with its run date, header line 18, fixed.
normalize() {
    sed -e '18s/^-- Date := "[0-9]\{4\}-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]"$/-- Date := "D"/' "$1" 2>/dev/null
}
prepare() {
    local p=$1 root=$2 dir=$Work/proto/$1 k f
    local -n files=Files_$p
    shift 2
    mkdir -p "$dir/$root/$root/src" "$Work/ref/$p"
    printf '1.0\n2.0-beta\n' >"$dir/Versions.lst"
    printf 'Skeletons for the reliability sweeps\nunused\n' >"$dir/Abstract.txt"
    printf 'Sweep Holder\n' >"$dir/Copyright"
    for ((k = 1; k <= 330; k++)); do
        printf ' %d: This program is free software; line %d of the licence.\n' "$k" "$k"
    done >"$dir/gpl.txt"
    printf '%s\n' "$root" "$@" >"$dir/project.txt"
    printf -v "Root_$p" '%s' "$root"
    files=("$root/$root/src/$root.adb")
    for f in "${@:2}"; do
        mkdir -p "$dir/$root/$f/src/lib"
        files+=("$root/$f/src/lib/$f.ads")
    done
    fresh "$p"
    (cd "$Run" && "$Program" project.txt >out 2>err) || { cat "$Run/err"; exit 1; }
    for k in "${!files[@]}"; do
        Known[$p:${files[k]}]=1
        normalize "$Run/${files[k]}" >"$Work/ref/$p/$k"
        [[ $(sed -n 18p "$Work/ref/$p/$k") == '-- Date := "D"' ]] ||
            { echo "no run date on line 18 of ${files[k]}" >&2; exit 1; }
    done
}
fresh() { rm -rf "$Run" && cp -a "$Work/proto/$1" "$Run"; }

# Looks at project P's tree in Dir. Sets Short (present but not the reference: partial,
# empty or wrong), Missing, Gap (present after an absent one: a completed file was lost),
# Temps (hidden temporary files) and Strays (anything else).
inspect() {
    local dir=$1 p=$2 k f absent=0
    local -n files=Files_$p root=Root_$p
    Short=0 Missing=0 Gap=0 Temps=0 Strays=0
    for k in "${!files[@]}"; do
        f=$dir/${files[k]}
        if [[ -e $f || -L $f ]]; then
            ((Gap += absent))
            normalize "$f" | cmp -s - "$Work/ref/$p/$k" || ((Short++))
        else
            ((Missing++))
            absent=1
        fi
    done
    while IFS= read -r -d '' f; do
        f=${f#"$dir/"}
        [[ -n ${Known[$p:$f]:-} ]] && continue
        if [[ ${f##*/} == .*.tmp-* ]]; then ((Temps++)); else ((Strays++)); fi
    done < <(find "$dir/$root" ! -type d -print0)
    Tree="missing $Missing, short $Short, lost $Gap, temp $Temps, stray $Strays"
}

# True when File holds exactly one line, a report of the program.
one_report() {
    local lines
    mapfile -t lines <"$1"
    [[ ${#lines[@]} -eq 1 && ${lines[0]} == "adaskel: "* ]]
}
# True when Err has nothing but the loader's notice that a shim could not be preloaded
# (an error injected into the loader's open of it): the program said nothing.
quiet() { ! grep -qv "^ERROR: ld.so: object '.*' from LD_PRELOAD cannot be preloaded" "$1"; }

# Runs the program on Run's project in a mode, under strace with the given options if any.
run_mode() {
    local mode=$1
    shift
    if (($#)); then
        [[ -n ${Preload[$mode]} ]] && set -- "$@" -E "LD_PRELOAD=${Preload[$mode]}"
        (cd "$Run" && strace -f -qq "$@" "$Program" project.txt >out 2>err) 2>/dev/null
    else
        (cd "$Run" && env ${Preload[$mode]:+LD_PRELOAD=${Preload[$mode]}} \
            "$Program" project.txt >out 2>err)
    fi
    Status=$?
}

Modes=(unnamed)
if command -v cc >/dev/null; then
    for shim in plant no_tmpfile; do
        cc -shared -fPIC -O1 -o "$Work/$shim.so" "$Here/$shim.c" -ldl || exit 2
    done
    Modes+=(hidden)
    Preload[hidden]=$Work/no_tmpfile.so
else
    skipped "no C compiler: the races and the hidden-name way"
fi
prepare small proj app proj-io proj-util proj-str
All=${#Files_small[@]}

# ---- Injected errors, and kills, at every call ---------------------------------------
# Judges a run with an error injected into call N of Sys; Fd is the call's descriptor.
judge_error() {
    local sys=$1 fd=$2 what=$3
    count injected
    case $Status in
    0)
        [[ $sys == write && $fd == 1 ]] && found zero_stdout "$what: status 0, stdout failed"
        [[ $Must_Fail == *" $sys "* ]] && found zero "$what: status 0 after a failed $sys"
        ((Missing + Short + Temps + Strays == 0)) && quiet "$Run/err" ||
            found zero "$what: status 0 with $Tree"
        ;;
    1)
        count status_1
        one_report "$Run/err" || found report "$what: not one report: $(head -c 200 "$Run/err")"
        ((Short + Gap + Temps + Strays == 0)) || found damage "$what: $Tree"
        ;;
    127) # The loader refused to start the program: none of it ran.
        grep -q 'error while loading shared libraries' "$Run/err" && ((Missing == All)) &&
            count loader || found report "$what: status 127: $(head -c 200 "$Run/err")"
        ;;
    2) # An error looking at the project file, taken for no regular file.
        [[ $(tail -n 1 "$Run/out") == *'" is not regulary file.' ]] && ((Missing == All)) &&
            count handled || found report "$what: status 2 with another message"
        ;;
    *) found report "$what: status $Status: $(head -c 200 "$Run/err")" ;;
    esac
}

sweep_errors() {
    local mode=$1 row sys err n calls fd
    for row in "${Error_Table[@]}"; do
        read -r sys err <<<"$row"
        fresh small
        run_mode "$mode" -o "$Work/trace" -e trace="$sys"
        mapfile -t calls < <(grep -E "^([0-9]+ +)?$sys\(" "$Work/trace")
        printf '  %-7s %-10s %-6s %3d calls\n' "$mode" "$sys" "$err" "${#calls[@]}"
        # One more than the calls counted: that run has nothing injected and must complete.
        for ((n = 1; n <= ${#calls[@]} + 1; n++)); do
            fresh small
            run_mode "$mode" -o /dev/null -e trace="$sys" -e inject="$sys:error=$err:when=$n"
            inspect "$Run" small
            if ((n <= ${#calls[@]})); then
                [[ ${calls[n - 1]} =~ $sys\(([0-9]+), ]] && fd=${BASH_REMATCH[1]} || fd=
                judge_error "$sys" "$fd" "$mode $sys $err when=$n"
            elif ((Status != 0 || Missing + Short + Temps + Strays > 0)) || ! quiet "$Run/err"; then
                found damage "$mode $sys when=$n, past the last call: status $Status, $Tree"
            fi
        done
    done
}

sweep_kills() {
    local mode=$1 sys n what
    local -A calls=()
    fresh small
    run_mode "$mode" -o "$Work/trace"
    while read -r sys; do
        [[ $Not_Kill_Points == *[[:space:]]$sys[[:space:]]* ]] || calls[$sys]=$((${calls[$sys]:-0} + 1))
    done < <(sed -nE 's/^([0-9]+ +)?([a-z_0-9]+)\(.*/\2/p' "$Work/trace")
    for sys in "${!calls[@]}"; do
        for ((n = 1; n <= calls[$sys]; n++)); do
            what="$mode kill at $sys when=$n"
            count kill_points
            fresh small
            run_mode "$mode" -o /dev/null -e trace="$sys" -e inject="$sys:signal=KILL:when=$n"
            inspect "$Run" small
            ((Status == 137)) || found partial "$what: status $Status, not killed"
            # Only the hidden-name way may leave its temporary file after a kill.
            if ((Short + Gap + Strays > 0)) || [[ $mode == unnamed && $Temps -gt 0 ]]; then
                found partial "$what: $Tree"
            fi
            run_mode "$mode"
            inspect "$Run" small
            ((Status == 0 && Missing + Short + Strays == 0)) ||
                found rerun "$what: rerun status $Status, $Tree"
        done
    done
}

if command -v strace >/dev/null && strace -f -qq -o /dev/null true 2>/dev/null; then
    echo "== injected errors"
    for mode in "${Modes[@]}"; do sweep_errors "$mode"; done
    echo "== kills"
    for mode in "${Modes[@]}"; do sweep_kills "$mode"; done
else
    skipped "strace is missing or cannot trace here: the error and kill sweeps"
fi

# ---- A real full disk ---------------------------------------------------------------------
# Runs project big with its tree on a tmpfs mounted with Options in a private mount
# namespace, and copies the tree out before the namespace goes.
full_disk() {
    local options=$1 mode=$2
    fresh big
    mv "$Run/big" "$Run/dirs" && mkdir "$Run/big"
    unshare -m bash -c 'cd "$1" && mount -t tmpfs -o "$2" tmpfs big && cp -a dirs/. big/ &&
        shift 2 && { "$@" project.txt >out 2>err; echo $? >status; } && cp -a big copy' \
        unshare "$Run" "$options" env ${Preload[$mode]:+LD_PRELOAD=${Preload[$mode]}} "$Program" ||
        { found short "$mode $options: could not set up the tmpfs"; return; }
    rm -rf "$Run/big" && mv "$Run/copy" "$Run/big"
    Status=$(<"$Run/status")
    inspect "$Run" big
    count full_runs
    printf '  %-7s %-23s status %s, %2d of %d files: %s\n' "$mode" "$options" "$Status" \
        $((${#Files_big[@]} - Missing)) ${#Files_big[@]} "$(head -n 1 "$Run/err")"
    ((Status == 1)) && one_report "$Run/err" || found report "$mode $options: status $Status"
    ((Missing > 0)) || found short "$mode $options: the file system never filled up"
    ((Short + Gap + Temps + Strays == 0)) || found short "$mode $options: $Tree"
}

echo "== full disk"
if unshare -m bash -c "mount -t tmpfs -o size=64k tmpfs '$Work'" 2>/dev/null; then
    mapfile -t Units < <(seq -f 'big-unit%02g' 40)
    prepare big big big-main "${Units[@]}"
    # An inode for the mount's root and each directory, and for three files.
    Inodes=$(($(find "$Work/proto/big/big" -type d | wc -l) + 3))
    for mode in "${Modes[@]}"; do
        full_disk size=64k "$mode"
        full_disk "size=4m,nr_inodes=$Inodes" "$mode"
    done
else
    skipped "cannot mount a tmpfs in a private mount namespace: the full-disk runs"
fi

# ---- A path taken between the program's look at it and its link ---------------------------
# A planted regular file is skipped like one there all along; a planted dangling link
# fails the run naming the path. Either stays as planted and nothing appears beyond it.
race() {
    local mode=$1 kind=$2 target=proj/proj-util/src/lib/proj-util.ads what="$1 planted $2"
    fresh small
    (cd "$Run" && env LD_PRELOAD="$Work/plant.so${Preload[$mode]:+:${Preload[$mode]}}" \
        PLANT_PATH=$target PLANT_KIND="$kind" PLANT_TARGET=planted-target \
        "$Program" project.txt >out 2>err)
    Status=$?
    inspect "$Run" small
    [[ -e $Run/${target%/*}/planted-target ]] && found race "$what: the link's target appeared"
    ((Short == 1 && Gap + Temps + Strays == 0)) || found race "$what: $Tree"
    if [[ $kind == file ]]; then
        ((Status == 0 && Missing == 0)) && [[ $(<"$Run/$target") == planted ]] ||
            found race "$what: status $Status, $Tree"
    else
        ((Status == 1 && Missing == 1)) && one_report "$Run/err" &&
            grep -qF "'$target'" "$Run/err" && [[ $(readlink "$Run/$target") == planted-target ]] ||
            found race "$what: status $Status, $(head -c 200 "$Run/err")"
    fi
}

echo "== races"
if [[ -e $Work/plant.so ]]; then
    for mode in "${Modes[@]}"; do race "$mode" file; race "$mode" dangling; done
fi

# ---- Standard output that cannot be written --------------------------------------------
stdout_case() {
    local label=$1
    shift
    fresh small
    (cd "$Run" && "$@" 2>err)
    Status=$?
    inspect "$Run" small
    ((Status == 1 && Short + Temps + Strays == 0)) && one_report "$Run/err" ||
        found stdout "standard output $label: status $Status, $(head -c 200 "$Run/err")"
}

echo "== standard output"
stdout_case "on /dev/full" sh -c 'exec "$1" project.txt >/dev/full' sh "$Program"
stdout_case "closed" sh -c 'exec "$1" project.txt >&-' sh "$Program"
if command -v perl >/dev/null; then
    stdout_case "a pipe without reader" perl -e \
        'pipe(my $r, my $w) or die; close $r; open(STDOUT, ">&", $w) or die; exec @ARGV' \
        "$Program" project.txt
else
    skipped "no perl: standard output on a pipe without reader"
fi

# ---- Figures -------------------------------------------------------------------------------
f() { printf '%d' "${Found[$1]:-0}"; }
c() { printf '%d' "${Count[$1]:-0}"; }
echo "== figures"
echo "injected errors: $(c injected) (status 1: $(c status_1), refused by the loader:" \
    "$(c loader), project file taken for no regular file: $(c handled))"
echo "  status 0 despite an error writing standard output: $(f zero_stdout)"
echo "  status 0 despite a failed checked call, or with an incomplete tree: $(f zero)"
echo "  failures leaving a short, lost, temporary or stray file: $(f damage)"
echo "  unexpected status or report: $(f report)"
echo "kill points tried: $(c kill_points); partial files found: $(f partial);" \
    "reruns not giving the tree: $(f rerun)"
echo "disk-full runs: $(c full_runs); short files found: $(f short)"
echo "race runs failing: $(f race); standard output runs failing: $(f stdout)"
if ((${#Found[@]} > 0)); then
    echo "FAILED: $Shown faults"
    exit 1
fi
echo "all sweeps passed"
