#!/usr/bin/env bash
# Reliability sweeps of adaskel: failing or killing the program at every system call it
# makes, filling a real disk, racing its publish, breaking its standard output. After
# each, a generated file is either complete or absent, files completed before stay, no
# temporary file is left behind by a failure, and the exit status tells the truth.
# Usage: tests/reliability/sweep.sh [path-to-adaskel]   (exit status 0 when all hold)
set -u

Here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
Program=$(realpath -- "${1:-$Here/../../build/adaskel}") || exit 2
[[ -x $Program ]] || { echo "no program at $Program" >&2; exit 2; }
Work=$(mktemp -d "${TMPDIR:-/tmp}/adaskel-sweep.XXXXXX") || exit 2
trap 'rm -rf -- "$Work"' EXIT

# The injected errors: the system call and the error it is made to return. Calls the
# program does not make in a mode (link and unlink belong to the hidden-name way) are
# listed as not called.
Error_Table=(
    "write ENOSPC" "write EIO"
    "openat EMFILE" "openat EACCES"
    "linkat ENOSPC" "linkat EDQUOT"
    "link ENOSPC" "link EDQUOT" "unlink EIO"
    "close EIO"
    "newfstatat EIO" "stat EIO" "lstat EIO" "statx EIO"
)
# Calls whose every invocation by the program is checked: an error in one of them can
# never end in a complete run.
Must_Fail=" write linkat link "

# The figures. Every one named *_Found must stay 0.
Injected=0 Failed_Runs=0 Loader_Runs=0 Handled_Runs=0
Zero_Stdout_Found=0 Zero_Incomplete_Found=0 Damage_Found=0 Report_Found=0
Kill_Points=0 Partial_Found=0 Rerun_Found=0
Full_Runs=0 Short_Found=0 Race_Found=0 Stdout_Found=0
Faults_Shown=0

fault() {
    if ((Faults_Shown < 30)); then
        printf 'FAULT: %s\n' "$*"
    fi
    Faults_Shown=$((Faults_Shown + 1))
}

skipped() {
    printf 'skipped: %s\n' "$*"
}

# ---- Projects ------------------------------------------------------------------------
# A project directory: the four reference texts, project.txt and the empty tree.
make_project() {
    local dir=$1 root=$2 line k
    shift 2
    mkdir -p "$dir"
    printf '1.0\n1.1\n2.0-beta\n' >"$dir/Versions.lst"
    printf 'Skeletons for the reliability sweeps\nsecond line, unused\n' >"$dir/Abstract.txt"
    printf 'Sweep Holder\n' >"$dir/Copyright"
    for ((k = 1; k <= 330; k++)); do
        printf ' %d: This program is free software; line %d of the licence text.\n' "$k" "$k"
    done >"$dir/gpl.txt"
    printf '%s\n' "$root" "$@" >"$dir/project.txt"
    mkdir -p "$dir/$root/$root/src"
    for line in "${@:2}"; do
        mkdir -p "$dir/$root/$line/src/lib"
    done
}

# Replaces line 18, the header's run date, by a fixed text: all else must match exactly.
normalize() {
    sed -e '18s/^-- Date := "[0-9]\{4\}-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]"$/-- Date := "D"/' "$1" 2>/dev/null
}

# Sets up project P: its prototype directory, its generated files in order (Files_P),
# their normalized reference contents from a clean run, and its tree root (Root_P).
declare -A Known
prepare() {
    local p=$1 root=$2 k=0 f
    shift 2
    make_project "$Work/proto/$p" "$root" "$@"
    local -n files=Files_$p
    files=("$root/$root/src/$root.adb")
    for f in "${@:2}"; do
        files+=("$root/$f/src/lib/$f.ads")
    done
    printf -v "Root_$p" '%s' "$root"
    cp -a "$Work/proto/$p" "$Work/ref-run"
    if ! (cd "$Work/ref-run" && "$Program" project.txt >out 2>err); then
        echo "the clean reference run of project $p failed:" >&2
        cat "$Work/ref-run/err" >&2
        exit 1
    fi
    mkdir -p "$Work/ref/$p"
    for f in "${files[@]}"; do
        k=$((k + 1))
        Known[$p:$f]=1
        normalize "$Work/ref-run/$f" >"$Work/ref/$p/$k"
        if [[ $(sed -n 18p "$Work/ref/$p/$k") != '-- Date := "D"' ]]; then
            echo "reference $f has no date on header line 18" >&2
            exit 1
        fi
    done
    rm -rf "$Work/ref-run"
}

# A fresh copy of project P's prototype at Run.
Run=$Work/run
fresh() {
    rm -rf "$Run"
    cp -a "$Work/proto/$1" "$Run"
}

# Looks at the generated tree of project P in Dir. Sets Short (files that differ from the
# reference: partial, empty or wrong), Missing, Gap (a file present after an absent one:
# a file completed earlier was lost), Temps (hidden temporary files) and Strays.
inspect() {
    local dir=$1 p=$2 k=0 f absent=0
    local -n files=Files_$p root=Root_$p
    Short=0 Missing=0 Gap=0 Temps=0 Strays=0
    for f in "${files[@]}"; do
        k=$((k + 1))
        if [[ -e $dir/$f || -L $dir/$f ]]; then
            ((absent)) && Gap=$((Gap + 1))
            normalize "$dir/$f" | cmp -s - "$Work/ref/$p/$k" || Short=$((Short + 1))
        else
            Missing=$((Missing + 1))
            absent=1
        fi
    done
    while IFS= read -r -d '' f; do
        f=${f#"$dir/"}
        if [[ -n ${Known[$p:$f]:-} ]]; then
            continue
        elif [[ ${f##*/} == .*.tmp-* ]]; then
            Temps=$((Temps + 1))
        else
            Strays=$((Strays + 1))
        fi
    done < <(find "$dir/$root" ! -type d -print0)
}

# True when Err holds exactly one line and it is a report of the program.
one_report() {
    local lines
    mapfile -t lines <"$1"
    [[ ${#lines[@]} -eq 1 && ${lines[0]} == "adaskel: "* ]]
}

# True when Err holds nothing but the loader's notice that it could not preload a shim
# (an error injected into the loader's open of it): the program itself said nothing.
quiet() {
    ! grep -qv "^ERROR: ld.so: object '.*' from LD_PRELOAD cannot be preloaded" "$1"
}

# ---- Modes: unnamed files, or hidden names forced by the shim -------------------------
Modes=(unnamed)
declare -A Preload=([unnamed]="")
if command -v cc >/dev/null; then
    for shim in plant no_tmpfile; do
        cc -shared -fPIC -O1 -o "$Work/$shim.so" "$Here/$shim.c" -ldl || exit 2
    done
    Modes+=(hidden)
    Preload[hidden]=$Work/no_tmpfile.so
else
    skipped "no C compiler: the race and the hidden-name sweeps"
fi

# The environment of a direct run, and strace's options for the same, in a mode.
direct_env() {
    Direct=(env)
    [[ -n ${Preload[$1]} ]] && Direct+=("LD_PRELOAD=${Preload[$1]}")
}
strace_env() {
    Traced=()
    [[ -n ${Preload[$1]} ]] && Traced+=(-E "LD_PRELOAD=${Preload[$1]}")
}

prepare small proj app proj-io proj-util proj-str

# ---- a, e: injected errors -----------------------------------------------------------
# Judges one run with an error injected at the Nth call of Sys (N > Count: none).
judge_error() {
    local sys=$1 n=$2 count=$3 fd=$4 what="$1 $5 when=$2 ($6)"
    inspect "$Run" small
    if ((n > count)); then
        if ((Status != 0 || Missing + Short + Temps + Strays > 0)) || ! quiet "$Run/err"; then
            fault "$what: nothing was injected, yet status $Status or an incomplete tree"
            Damage_Found=$((Damage_Found + 1))
        fi
        return
    fi
    Injected=$((Injected + 1))
    case $Status in
    0)
        if [[ $sys == write && $fd == 1 ]]; then
            fault "$what: status 0 after a failed write to standard output"
            Zero_Stdout_Found=$((Zero_Stdout_Found + 1))
        elif [[ $Must_Fail == *" $sys "* ]]; then
            fault "$what: status 0 after a failed $sys"
            Zero_Incomplete_Found=$((Zero_Incomplete_Found + 1))
        fi
        if ((Missing + Short + Temps + Strays > 0)) || ! quiet "$Run/err"; then
            fault "$what: status 0 with missing $Missing, short $Short, temp $Temps, stray $Strays"
            Zero_Incomplete_Found=$((Zero_Incomplete_Found + 1))
        fi
        ;;
    1)
        Failed_Runs=$((Failed_Runs + 1))
        if ! one_report "$Run/err"; then
            fault "$what: status 1 without a one-line report: $(head -c 200 "$Run/err")"
            Report_Found=$((Report_Found + 1))
        fi
        if ((Short + Gap + Temps + Strays > 0)); then
            fault "$what: left short $Short, lost $Gap, temp $Temps, stray $Strays"
            Damage_Found=$((Damage_Found + 1))
        fi
        ;;
    127)
        # The dynamic loader refused to start the program: nothing of it ran.
        if grep -q 'error while loading shared libraries' "$Run/err" &&
            ((Missing == ${#Files_small[@]})); then
            Loader_Runs=$((Loader_Runs + 1))
        else
            fault "$what: status 127: $(head -c 200 "$Run/err")"
            Report_Found=$((Report_Found + 1))
        fi
        ;;
    2)
        # Looking at the project file failed and it was taken for no regular file.
        if [[ $(tail -n 1 "$Run/out") == *'" is not regulary file.' ]] &&
            ((Missing == ${#Files_small[@]})); then
            Handled_Runs=$((Handled_Runs + 1))
        else
            fault "$what: status 2 with another message"
            Report_Found=$((Report_Found + 1))
        fi
        ;;
    *)
        fault "$what: status $Status: $(head -c 200 "$Run/err")"
        Report_Found=$((Report_Found + 1))
        ;;
    esac
}

# The calls of Sys a clean traced run makes, in order, into Calls (one trace line each).
trace_calls() {
    local sys=$1 mode=$2
    fresh small
    strace_env "$mode"
    (cd "$Run" && strace -f -qq -o "$Work/trace" -e trace="$sys" "${Traced[@]}" \
        "$Program" project.txt >out 2>err)
    mapfile -t Calls < <(grep -E "^([0-9]+ +)?$sys\(" "$Work/trace")
}

sweep_errors() {
    local mode=$1 row sys err n count fd
    strace_env "$mode"
    local traced=("${Traced[@]}")
    for row in "${Error_Table[@]}"; do
        read -r sys err <<<"$row"
        trace_calls "$sys" "$mode"
        count=${#Calls[@]}
        if ((count == 0)); then
            printf '  %-7s %-11s %-7s not called\n' "$mode" "$sys" "$err"
            continue
        fi
        printf '  %-7s %-11s %-7s %3d calls\n' "$mode" "$sys" "$err" "$count"
        for ((n = 1; n <= count + 1; n++)); do
            fd=
            if ((n <= count)) && [[ ${Calls[n - 1]} =~ $sys\(([0-9]+), ]]; then
                fd=${BASH_REMATCH[1]}
            fi
            fresh small
            (cd "$Run" && strace -f -qq -o /dev/null -e trace="$sys" \
                -e inject="$sys:error=$err:when=$n" "${traced[@]}" "$Program" project.txt >out 2>err) 2>/dev/null
            Status=$?
            judge_error "$sys" "$n" "$count" "$fd" "$err" "$mode"
        done
    done
}

# ---- b, e: killed at every call --------------------------------------------------------
sweep_kills() {
    local mode=$1 sys n count
    strace_env "$mode"
    direct_env "$mode"
    local traced=("${Traced[@]}")
    fresh small
    (cd "$Run" && strace -f -qq -o "$Work/trace" "${traced[@]}" "$Program" project.txt >out 2>err) 2>/dev/null
    declare -A counts=()
    while read -r sys; do
        counts[$sys]=$((${counts[$sys]:-0} + 1))
    done < <(sed -nE 's/^([0-9]+ +)?([a-z_0-9]+)\(.*/\2/p' "$Work/trace")
    # strace cannot stop the exec that starts the traced program.
    unset 'counts[execve]'
    for sys in "${!counts[@]}"; do
        count=${counts[$sys]}
        for ((n = 1; n <= count; n++)); do
            local what="$mode kill at $sys when=$n"
            fresh small
            (cd "$Run" && strace -f -qq -o /dev/null -e trace="$sys" \
                -e inject="$sys:signal=KILL:when=$n" "${traced[@]}" "$Program" project.txt >out 2>err) 2>/dev/null
            Status=$?
            Kill_Points=$((Kill_Points + 1))
            inspect "$Run" small
            if ((Status != 137)); then
                fault "$what: status $Status, not killed"
            fi
            # After a kill only the hidden-name way may leave its temporary file.
            if ((Short + Strays > 0)) || [[ $mode == unnamed && $Temps -gt 0 ]]; then
                fault "$what: short $Short, temp $Temps, stray $Strays"
                Partial_Found=$((Partial_Found + Short + Strays + Temps))
            fi
            (cd "$Run" && "${Direct[@]}" "$Program" project.txt >out 2>err)
            Status=$?
            inspect "$Run" small
            if ((Status != 0 || Missing + Short + Strays > 0)); then
                fault "$what: rerun status $Status, missing $Missing, short $Short, stray $Strays"
                Rerun_Found=$((Rerun_Found + 1))
            fi
        done
    done
}

if command -v strace >/dev/null && strace -f -qq -o /dev/null true 2>/dev/null; then
    echo "== injected errors"
    for mode in "${Modes[@]}"; do
        sweep_errors "$mode"
    done
    echo "== kills"
    for mode in "${Modes[@]}"; do
        sweep_kills "$mode"
    done
else
    skipped "strace is missing or cannot trace here: the error and kill sweeps"
fi

# ---- c: a real full disk ----------------------------------------------------------------
# Runs project P with its tree on a tmpfs of the given options, in a private mount
# namespace; the tree is copied out before the namespace goes.
full_disk() {
    local p=$1 options=$2 mode=$3
    local -n root=Root_$p
    direct_env "$mode"
    rm -rf "$Run"
    cp -a "$Work/proto/$p" "$Run"
    mv "$Run/$root" "$Run/tree.dirs"
    mkdir "$Run/$root"
    unshare -m bash -c '
        cd "$1" && mount -t tmpfs -o "$2" tmpfs "$3" || exit 99
        cp -a tree.dirs/. "$3"/ || exit 98
        root=$3
        shift 3
        "$@" project.txt >out 2>err
        echo $? >status
        cp -a "$root" copy' unshare "$Run" "$options" "$root" "${Direct[@]}" "$Program"
    local rc=$?
    if ((rc != 0)); then
        return "$rc"
    fi
    rm -rf "${Run:?}/$root"
    mv "$Run/copy" "$Run/$root"
    Status=$(cat "$Run/status")
    inspect "$Run" "$p"
    Full_Runs=$((Full_Runs + 1))
    local what="$mode tmpfs $options"
    if ((Status != 1)) || ! one_report "$Run/err"; then
        fault "$what: status $Status, report: $(head -c 200 "$Run/err")"
        Report_Found=$((Report_Found + 1))
    fi
    if ((Missing == 0)); then
        fault "$what: the file system never filled up"
    fi
    if ((Short + Gap + Temps + Strays > 0)); then
        fault "$what: short $Short, lost $Gap, temp $Temps, stray $Strays"
        Short_Found=$((Short_Found + Short + Gap + Temps + Strays))
    fi
}

Big_Units=()
for k in $(seq -w 1 40); do
    Big_Units+=("big-unit$k")
done
prepare big big big-main "${Big_Units[@]}"
echo "== full disk"
if unshare -m bash -c "mount -t tmpfs -o size=64k tmpfs '$Work/proto'" 2>/dev/null; then
    # One inode for the mount's root and one per directory; room for three files.
    Inodes=$(($(find "$Work/proto/big/big" -type d | wc -l) + 3))
    for mode in "${Modes[@]}"; do
        full_disk big size=64k "$mode"
        full_disk big "size=4m,nr_inodes=$Inodes" "$mode"
    done
else
    skipped "cannot mount a tmpfs in a private mount namespace: the full-disk runs"
fi

# ---- d: a path taken between the look and the link -------------------------------------
race() {
    local mode=$1 kind=$2 target=proj/proj-util/src/lib/proj-util.ads
    local preload=$Work/plant.so what="$1 race with a planted $2"
    [[ -n ${Preload[$mode]} ]] && preload+=":${Preload[$mode]}"
    fresh small
    (cd "$Run" && env LD_PRELOAD="$preload" PLANT_PATH="$target" PLANT_KIND="$kind" \
        PLANT_TARGET=planted-target "$Program" project.txt >out 2>err)
    Status=$?
    inspect "$Run" small
    if [[ -e $Run/proj/proj-util/src/lib/planted-target ]]; then
        fault "$what: the link's target was created"
        Race_Found=$((Race_Found + 1))
    fi
    if [[ $kind == file ]]; then
        # Skipped like a file that was there all along; everything else generated.
        if ((Status != 0)) || [[ $(cat "$Run/$target") != planted ]] || ((Missing + Temps + Strays > 0)) ||
            ((Short != 1)); then
            fault "$what: status $Status, missing $Missing, short $Short, temp $Temps, stray $Strays"
            Race_Found=$((Race_Found + 1))
        fi
    else
        # A failure naming the path; the link stays as it was, files before it stay.
        if ((Status != 1)) || ! one_report "$Run/err" || ! grep -qF "'$target'" "$Run/err" ||
            [[ $(readlink "$Run/$target") != planted-target ]] || ((Missing != 1 || Short != 1)) ||
            ((Temps + Strays > 0)) || [[ ! -e $Run/${Files_small[1]} ]]; then
            fault "$what: status $Status, report $(head -c 200 "$Run/err"), missing $Missing, short $Short"
            Race_Found=$((Race_Found + 1))
        fi
    fi
}

echo "== races"
if [[ -e $Work/plant.so ]]; then
    for mode in "${Modes[@]}"; do
        race "$mode" file
        race "$mode" dangling
    done
fi

# ---- f: standard output that cannot be written ---------------------------------------
stdout_case() {
    local label=$1
    shift
    fresh small
    (cd "$Run" && "$@" 2>err)
    Status=$?
    inspect "$Run" small
    if ((Status != 1)) || ! one_report "$Run/err" || ((Short + Temps + Strays > 0)); then
        fault "standard output $label: status $Status, report: $(head -c 200 "$Run/err")"
        Stdout_Found=$((Stdout_Found + 1))
    fi
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

# ---- Figures ---------------------------------------------------------------------------
echo "== figures"
printf 'injected errors: %d (status 1: %d; refused by the loader: %d; project file taken for no file: %d)\n' \
    "$Injected" "$Failed_Runs" "$Loader_Runs" "$Handled_Runs"
printf '  status 0 despite an error writing standard output: %d\n' "$Zero_Stdout_Found"
printf '  status 0 despite a failed checked call, or with an incomplete tree: %d\n' "$Zero_Incomplete_Found"
printf '  runs leaving a short, lost, temporary or stray file: %d\n' "$Damage_Found"
printf '  runs with an unexpected status or report: %d\n' "$Report_Found"
printf 'kill points tried: %d; partial files found: %d; reruns not giving the tree: %d\n' \
    "$Kill_Points" "$Partial_Found" "$Rerun_Found"
printf 'disk-full runs: %d; short files found: %d\n' "$Full_Runs" "$Short_Found"
printf 'race runs failing: %d; standard output runs failing: %d\n' "$Race_Found" "$Stdout_Found"
Total=$((Zero_Stdout_Found + Zero_Incomplete_Found + Damage_Found + Report_Found + Partial_Found +
    Rerun_Found + Short_Found + Race_Found + Stdout_Found + Faults_Shown))
if ((Total > 0)); then
    echo "FAILED: $Faults_Shown faults"
    exit 1
fi
echo "all sweeps passed"
