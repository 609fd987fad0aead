#!/usr/bin/env bash
# The benchmark of adaskel: how close a run on a large project comes to the least work the
# file system needs for the same files, how much memory it takes, how fast it starts, and
# how it compares with the shell script a user would write instead.
#
#   bash bench/run.sh [--quick | --scale] [PATH_TO_ADASKEL]
#
# Without a path it builds adaskel (Release) into build-bench/ of the source tree and
# measures that. The workspace lives on /dev/shm when there is one (else in a temporary
# directory; BENCH_DIR names another place) and is removed at the end. BENCH_ROUNDS sets
# the number of rounds (at least 5, default 11). It needs a C compiler; valgrind is
# optional (instruction counts). --quick is a smoke run of every step in a few seconds:
# one round on a small project, whose figures mean little.
#
# This is not a test: it checks that the runs work and produce the same files, but it
# fails on no timing. Times are compared with floors measured in the same rounds,
# alternating, so a busy machine slows both sides alike.
#
# --scale measures the four programs (adaskel-check, adaskel-layout and adaskel-refresh
# beside adaskel) on projects of 10^3 to 10^6 units against the floors, prints a table of
# times, peak memory and ratios, and fails when a target is missed (see bench/scale.sh).
set -euo pipefail

Units=16382 # project file: root, main procedure and this many units = 16384 lines
readonly Licence_Lines=670
Startup_Runs=20
readonly Huge_Max_Lines=2147483647
Rounds=${BENCH_ROUNDS:-11}
Quick=false
Scale=false
case ${1:-} in
    --quick)
        shift
        Quick=true Units=254 Startup_Runs=3 Rounds=1
        ;;
    --scale)
        shift
        Scale=true
        ;;
esac
readonly Units Startup_Runs Quick Scale

Bench_Dir=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd -P)
Source_Dir=$(dirname -- "$Bench_Dir")

fail() {
    printf 'bench: %s\n' "$*" >&2
    exit 1
}

note() {
    printf 'bench: %s\n' "$*" >&2
}

case $Rounds in
    '' | *[!0-9]*) fail "BENCH_ROUNDS must be a number" ;;
esac
$Quick || $Scale || [ "$Rounds" -ge 5 ] || fail "BENCH_ROUNDS must be at least 5"

if [ -n "${BENCH_DIR:-}" ]; then
    Work=$(mktemp -d "$BENCH_DIR/adaskel-bench.XXXXXX")
elif [ -d /dev/shm ] && [ -w /dev/shm ]; then
    Work=$(mktemp -d /dev/shm/adaskel-bench.XXXXXX)
else
    Work=$(mktemp -d "${TMPDIR:-/tmp}/adaskel-bench.XXXXXX")
fi
trap 'rm -rf -- "$Work"' EXIT
readonly Tools=$Work/tools Project=$Work/project
Results=$Work/results
mkdir -p -- "$Tools" "$Project" "$Results"

# --- The program under test and the benchmark's own tools ---------------------------------

if [ "$#" -ge 1 ]; then
    Program=$(realpath -- "$1")
    [ -x "$Program" ] || fail "'$1' is not an executable program"
else
    Build_Dir=$Source_Dir/build-bench
    Targets=(adaskel)
    ! $Scale || Targets+=(adaskel-check adaskel-layout adaskel-refresh)
    note "building ${Targets[*]} (Release) in $Build_Dir"
    if ! { cmake -S "$Source_Dir" -B "$Build_Dir" -DCMAKE_BUILD_TYPE=Release \
        -DADASKEL_TESTS=OFF && cmake --build "$Build_Dir" -j2 --target "${Targets[@]}"; } \
        >"$Work/build.log" 2>&1; then
        cat -- "$Work/build.log" >&2
        fail "the build failed"
    fi
    Program=$Build_Dir/adaskel
fi

CC=${CC:-cc}
"$CC" -O2 -o "$Tools/runner" "$Bench_Dir/runner.c"
"$CC" -O2 -o "$Tools/floor" "$Bench_Dir/floor.c"
readonly Runner=$Tools/runner Floor=$Tools/floor

# --- Measuring -------------------------------------------------------------------------

# measure NAME EXPECTED_STATUS PROGRAM [ARGUMENT...]: one run; its wall time (µs), peak
# RSS (KiB) and processor time (µs) are added to the results of NAME.
measure() {
    local Name=$1 Expected=$2 Line Wall Rss Status Cpu
    shift 2
    Line=$("$Runner" /dev/null "$@")
    read -r Wall Rss Status Cpu <<<"$Line"
    [ "$Status" = "$Expected" ] || fail "$Name: exit status $Status, expected $Expected"
    printf '%s\n' "$Wall" >>"$Results/$Name.wall"
    printf '%s\n' "$Rss" >>"$Results/$Name.rss"
    printf '%s\n' "$Cpu" >>"$Results/$Name.cpu"
}

# stats NAME KIND: "median min max count" of the numbers measured for NAME.
stats() {
    sort -n -- "$Results/$1.$2" | awk '{ v[NR] = $1 } END {
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        print m, v[1], v[NR], NR }'
}

median_of() {
    stats "$1" "$2" | awk '{ print $1 }'
}
max_of() {
    stats "$1" "$2" | awk '{ print $3 }'
}
# paired A B: the median of the round-by-round ratios of A's to B's wall times. Runs of
# one round are next to each other in time, so this ratio is the least disturbed by
# other work that comes and goes on the machine.
paired() {
    paste -d ' ' -- "$Results/$1.wall" "$Results/$2.wall" | awk '{ print $1 / $2 }' | sort -g |
        awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# --- The workspace: reference texts, project file and directory tree ----------------------
# (the scale mode takes the reference texts and makes projects of its own)

cd -- "$Project"
printf '0.9\n1.0\n' >Versions.lst
printf 'Bench: a large generated project\n' >Abstract.txt
printf 'The Bench Authors\n' >Copyright
# A synthetic licence text: numbered lines of varying length with a blank line between
# paragraphs, about as long as the usual licence texts.
awk -v lines="$Licence_Lines" 'BEGIN {
    text = "Permission is granted to copy, change and pass on this work, as long as every "
    text = text "copy keeps this notice and the recipients get the same permissions in turn."
    for (n = 1; n <= lines; n++) {
        if (n % 9 == 0) { print ""; continue }
        printf "  %d. %s\n", n, substr(text, 1, 20 + (n * 37) % 50)
    }
}' >gpl.txt
if $Scale; then
    # shellcheck source=bench/scale.sh
    source "$Bench_Dir/scale.sh"
    exit
fi
awk -v units="$Units" 'BEGIN {
    print "bench"; print "bench"
    for (n = 1; n <= units; n++) printf "bench-u%05d\n", n
}' >bench.lst
# Every generated path, in the order adaskel creates them: the body, then the specs.
awk 'NR == 1 { root = $0; print root "/" root "/src/" root ".adb" }
     NR >= 3 { print root "/" $0 "/src/lib/" $0 ".ads" }' bench.lst >"$Work/paths"
sed 's|/[^/]*$||' "$Work/paths" | xargs -d '\n' mkdir -p --
readonly Files=$((Units + 1))

remove_generated() {
    xargs -d '\n' rm -f -- <"$Work/paths"
}

# The generated files in order, without the date line (it changes from run to run).
contents_sum() {
    xargs -d '\n' cat -- <"$Work/paths" | grep -v '^-- Date := ' | cksum
}

# --- A checked first run: what the files are, and their sizes for the floors ---------------

note "workspace $Work: $Files files to generate"
read -r _ _ Status _ <<<"$("$Runner" "$Work/first.out" "$Program" bench.lst)"
[ "$Status" = 0 ] || fail "the first run ended with status $Status: $(cat -- "$Work/first.out")"
grep -q 'Create adb file: $' "$Work/first.out" || fail "the first run did not create the body file"
xargs -d '\n' stat -c '%n %s' -- <"$Work/paths" >"$Work/sizes" ||
    fail "the first run did not create every file"
Expected_Sum=$(contents_sum)
Total_Bytes=$(awk '{ s += $NF } END { print s }' "$Work/sizes")
remove_generated

# --- First run against the floors, then second run against the stat floor -----------------

for ((Round = 1; Round <= Rounds; Round++)); do
    note "round $Round/$Rounds: first runs"
    measure first 0 "$Program" bench.lst
    remove_generated
    measure floor-atomic 0 "$Floor" atomic "$Work/sizes"
    remove_generated
    measure floor-plain 0 "$Floor" plain "$Work/sizes"
    remove_generated
    measure first-huge 0 "$Program" bench.lst "$Huge_Max_Lines"
    remove_generated
done

"$Runner" /dev/null "$Program" bench.lst >/dev/null
[ "$(contents_sum)" = "$Expected_Sum" ] || fail "a timed first run made different files"
for ((Round = 1; Round <= Rounds; Round++)); do
    note "round $Round/$Rounds: second runs"
    measure second 0 "$Program" bench.lst
    measure floor-stat 0 "$Floor" stat "$Work/sizes"
done

# --- Start-up: a run that stops at the missing argument, against starting /bin/true -------

read -r _ _ Status _ <<<"$("$Runner" "$Work/startup.out" "$Program")"
grep -qx 'Project name requiered.' "$Work/startup.out" ||
    fail "a run without argument did not stop at the missing project name"
Startup_Status=$Status
True=$(command -v true)
note "start-up: $Startup_Runs runs"
for ((Run = 1; Run <= Startup_Runs; Run++)); do
    measure startup "$Startup_Status" "$Program"
    measure true 0 "$True"
done

# --- The shell script a user would write instead, once ------------------------------------

note "the shell equivalent, once"
remove_generated
measure equivalent 0 /bin/sh "$Bench_Dir/equivalent.sh" bench.lst
[ "$(contents_sum)" = "$Expected_Sum" ] || fail "equivalent.sh made different files than adaskel"

# --- Instructions per file under callgrind ------------------------------------------------

# instructions PROGRAM [ARGUMENT...]: the instruction count of one run on a free tree.
instructions() {
    remove_generated
    valgrind --tool=callgrind --callgrind-out-file="$Work/callgrind.out" "$@" \
        >/dev/null 2>"$Work/callgrind.log" || {
        cat -- "$Work/callgrind.log" >&2
        fail "the run under callgrind failed"
    }
    awk '/^(summary|totals):/ { print $2; exit }' "$Work/callgrind.out"
}

if command -v valgrind >/dev/null; then
    note "instruction counts under callgrind"
    Instructions=$(instructions "$Program" bench.lst)
    Floor_Instructions=$(instructions "$Floor" atomic "$Work/sizes")
else
    Instructions=
    Floor_Instructions=
fi
remove_generated

# --- Report -------------------------------------------------------------------------------

# row LABEL NAME: median and spread of NAME's wall times, and its median processor time.
row() {
    local Median Min Max Count Cpu
    read -r Median Min Max Count <<<"$(stats "$2" wall)"
    Cpu=$(median_of "$2" cpu)
    awk -v label="$1" -v m="$Median" -v lo="$Min" -v hi="$Max" -v n="$Count" -v c="$Cpu" 'BEGIN {
        printf "%-44s %9.2f  %9.2f - %-9.2f %9.2f %3d\n", label, m / 1000, lo / 1000, hi / 1000,
            c / 1000, n }'
}

printf '\nadaskel benchmark: %s\n' "$Program"
! $Quick || printf 'quick run: a smoke test of every step; its figures are not the benchmark\n'
printf 'project: %d lines, %d files, %d bytes; workspace on %s; %d rounds\n\n' \
    "$((Units + 2))" "$Files" "$Total_Bytes" "$(df --output=fstype -- "$Work" | tail -n 1)" "$Rounds"
printf '%-44s %9s  %-21s %9s %3s\n' 'run' 'wall (ms)' '  min - max (ms)' 'cpu (ms)' 'n'
printf '%-44s %9s  %-21s %9s %3s\n' '' 'median' '' 'median' ''
row 'adaskel, first run (every file created)' first
row 'floor: O_TMPFILE + linkat' floor-atomic
row 'floor: O_CREAT|O_EXCL' floor-plain
row "adaskel, first run, max lines $Huge_Max_Lines" first-huge
row 'adaskel, second run (every file exists)' second
row 'floor: stat only' floor-stat
row 'adaskel, no argument (start-up)' startup
row 'start of /bin/true (process floor)' true
row 'equivalent.sh under /bin/sh (once)' equivalent
printf '\n'

Rss_Default=$(max_of first rss)
Rss_Huge=$(max_of first-huge rss)
awk -v d="$Rss_Default" -v h="$Rss_Huge" -v t="$(max_of true rss)" -v huge="$Huge_Max_Lines" 'BEGIN {
    printf "peak RSS, highest of the runs: default max lines %.2f MiB, max lines %s %.2f MiB, ", d / 1024, huge, h / 1024
    printf "/bin/true %.2f MiB\n", t / 1024 }'
if [ -n "$Instructions" ]; then
    awk -v a="$Instructions" -v f="$Floor_Instructions" -v n="$Files" 'BEGIN {
        printf "instructions per file (callgrind, user space, one first run): adaskel %.0f, atomic floor %.0f\n",
            a / n, f / n }'
else
    printf 'instructions per file: skipped, valgrind is not installed\n'
fi
printf 'start-up: exit status %s\n\n' "$Startup_Status"

# The targets are on the medians of wall time; the median of the paired ratios and the
# ratio of processor times are shown beside them as checks on how steady the machine was.
awk -v first="$(median_of first wall)" -v atomic="$(median_of floor-atomic wall)" \
    -v second="$(median_of second wall)" -v stat="$(median_of floor-stat wall)" \
    -v first_cpu="$(median_of first cpu)" -v atomic_cpu="$(median_of floor-atomic cpu)" \
    -v second_cpu="$(median_of second cpu)" -v stat_cpu="$(median_of floor-stat cpu)" \
    -v first_paired="$(paired first floor-atomic)" -v second_paired="$(paired second floor-stat)" \
    -v rss="$Rss_Default" -v huge="$Rss_Huge" -v huge_lines="$Huge_Max_Lines" \
    -v start="$(median_of startup wall)" -v true_start="$(median_of true wall)" \
    -v start_paired="$(paired startup true)" 'BEGIN {
    r1 = first / atomic; r2 = second / stat; mib = rss / 1024; r3 = huge / rss
    r4 = start / true_start
    printf "ratios: first/atomic floor %.3f (<= 1.15 %s; paired %.3f, cpu %.3f); ",
        r1, r1 <= 1.15 ? "met" : "MISSED", first_paired, first_cpu / atomic_cpu
    printf "second/stat floor %.3f (<= 1.5 %s; paired %.3f, cpu %.3f); ",
        r2, r2 <= 1.5 ? "met" : "MISSED", second_paired, second_cpu / stat_cpu
    printf "peak RSS %.2f MiB (<= 8 %s); RSS %s/default %.3f (<= 1.10 %s); ",
        mib, mib <= 8 ? "met" : "MISSED", huge_lines, r3, r3 <= 1.10 ? "met" : "MISSED"
    printf "start-up/true %.3f (<= 1.3 %s; paired %.3f; %.2f ms, /bin/true %.2f ms)\n",
        r4, r4 <= 1.3 ? "met" : "MISSED", start_paired, start / 1000, true_start / 1000 }'

# --- On a disk: the durable first run against a floor doing the same durable work ---------

# The source tree's file system, unless it is held in memory: there a sync costs what it
# costs on a disk. Each run starts on a clean disk (the files of the run before removed
# and synced, untimed), and the rounds are fewer, since every run writes through.
Disk_Rounds=5
! $Quick || Disk_Rounds=1
case $(df --output=fstype -- "$Source_Dir" | tail -n 1) in
    tmpfs | ramfs) Disk_Dir= ;;
    *) Disk_Dir=$(mktemp -d "$Source_Dir/build-bench-disk.XXXXXX") ;;
esac
if [ -z "$Disk_Dir" ]; then
    printf 'disk: skipped, the source tree is held in memory\n'
    exit 0
fi
trap 'rm -rf -- "$Work" "$Disk_Dir"' EXIT
cp -- Versions.lst Abstract.txt Copyright gpl.txt bench.lst "$Disk_Dir/"
cd -- "$Disk_Dir"
sed 's|/[^/]*$||' "$Work/paths" | xargs -d '\n' mkdir -p --
settle() {
    remove_generated
    sync -f .
}
settle
for ((Round = 1; Round <= Disk_Rounds; Round++)); do
    note "round $Round/$Disk_Rounds: first runs on the disk"
    measure disk-first 0 "$Program" bench.lst
    settle
    measure disk-durable 0 "$Floor" durable "$Work/sizes"
    settle
    measure disk-atomic 0 "$Floor" atomic "$Work/sizes"
    settle
done

printf '\non a disk (%s in %s), %d rounds:\n' "$(df --output=fstype -- . | tail -n 1)" \
    "$(df --output=source -- . | tail -n 1)" "$Disk_Rounds"
row 'adaskel, first run' disk-first
row 'floor: batches of 64, syncfs, linkat' disk-durable
row 'floor: O_TMPFILE + linkat, not durable' disk-atomic
awk -v first="$(median_of disk-first wall)" -v durable="$(median_of disk-durable wall)" \
    -v atomic="$(median_of disk-atomic wall)" -v paired="$(paired disk-first disk-durable)" \
    -v first_cpu="$(median_of disk-first cpu)" -v durable_cpu="$(median_of disk-durable cpu)" 'BEGIN {
    r = first / durable
    printf "ratios on the disk: first/durable floor %.3f (<= 1.2 %s; paired %.3f, cpu %.3f); ",
        r, r <= 1.2 ? "met" : "MISSED", paired, first_cpu / durable_cpu
    printf "first/non-durable floor %.3f (what durability costs)\n", first / atomic }'
