# shellcheck shell=bash disable=SC2154 # Work, Program, Runner and Floor come from run.sh
# The scale mode of bench/run.sh (sourced by it, in the workspace that holds the reference
# texts): adaskel, adaskel-check, adaskel-layout and adaskel-refresh on projects of 10^3
# to 10^6 units, each time beside the floors measured in the same rounds. The check runs
# twice: before the first run, and on the complete tree once the version is bumped, where
# its audit reads every header; adaskel-refresh then rewrites every file. It prints a table of times and
# peak memory, a table of ratios with their targets, and fails when a target is missed.
# The first run is judged against the guarded floor (see floor.c): the durable floor's
# steps plus those a writer needs that never writes through a link swapped in while it
# runs and syncs every file system it writes to; its ratio to the durable floor, and the
# guarded floor's own, are shown beside it.
#
#   BENCH_SCALE_MAX=N      the largest project, in units (default 1000000)
#   BENCH_SCALE_ROUNDS=R   rounds at every size (default 11 at 10^3 units, where a run takes
#                          milliseconds and one busy moment moves a median, 5 at 10^4, 3 above)
#   BENCH_SCALE_LIMIT=S    seconds a run may take before it is killed and reported over
#                          the limit (default 5 times the size's checked first run, at
#                          least 10)
#
# A size is skipped, with a note, when the workspace's file system lacks the inodes (four
# a unit: three directories and a file) or the space (8 KiB a unit) for its tree.

readonly Scale_Sizes=(1000 10000 100000 1000000)
readonly Scale_Max=${BENCH_SCALE_MAX:-1000000}
readonly Check_Program=${Program%/*}/adaskel-check Layout_Program=${Program%/*}/adaskel-layout
readonly Refresh_Program=${Program%/*}/adaskel-refresh
readonly Scale_Rows=$Work/scale-rows Scale_Notes=$Work/scale-notes
declare -A Over_At=() # a program over the limit at a size is not run at the larger ones

for Companion in "$Check_Program" "$Layout_Program" "$Refresh_Program"; do
    [ -x "$Companion" ] || fail "no program '$Companion' beside adaskel"
done
case $Scale_Max${BENCH_SCALE_ROUNDS:-1}${BENCH_SCALE_LIMIT:-1} in
    *[!0-9]*) fail "BENCH_SCALE_MAX, BENCH_SCALE_ROUNDS and BENCH_SCALE_LIMIT must be numbers" ;;
esac
: >"$Scale_Rows"
: >"$Scale_Notes"

scale_note() {
    note "$*"
    printf '%s\n' "$*" >>"$Scale_Notes"
}

# timed NAME EXPECTED_STATUS STDOUT_FILE PROGRAM [ARGUMENT...]: one run under the time
# limit, its figures added to NAME's results. Past the limit the program is killed, the
# size's result for NAME is "over", and the larger sizes do not run it.
timed() {
    local Name=$1 Expected=$2 Out=$3 Wall Rss Status
    shift 3
    if [ -n "${Over_At[$Name]:-}" ]; then
        return
    fi
    read -r Wall Rss Status _ <<<"$("$Runner" -l "$Limit" "$Out" "$@")"
    if [ "$Status" = limit ]; then
        scale_note "$Size units: $Name went over the limit of $Limit s and was killed"
        Over_At[$Name]=$Size:$Limit
        return
    fi
    [ "$Status" = "$Expected" ] || fail "$Name at $Size units: exit status $Status, expected $Expected"
    printf '%s\n' "$Wall" >>"$Results/$Name.wall"
    printf '%s\n' "$Rss" >>"$Results/$Name.rss"
}

# result NAME KIND: the median wall time or the highest peak RSS of NAME at this size, or
# "over:N:S" when it went over the limit of S seconds at N units (this size or a smaller
# one).
result() {
    if [ -n "${Over_At[$1]:-}" ]; then
        printf 'over:%s\n' "${Over_At[$1]}"
    elif [ "$2" = wall ]; then
        median_of "$1" wall
    else
        max_of "$1" rss
    fi
}

# fits: whether the workspace holds the tree of this size, with a note when it does not.
fits() {
    local Inodes Space Need_Inodes=$((4 * Size + 1000)) Need_Space=$((8 * Size + 65536))
    read -r Inodes Space <<<"$(df --output=iavail,avail -- "$Work" | tail -n 1)"
    if [ "$Inodes" -lt "$Need_Inodes" ] || [ "$Space" -lt "$Need_Space" ]; then
        scale_note "$Size units: skipped, the workspace ($(df --output=fstype -- "$Work" |
            tail -n 1)) has $Inodes inodes and $Space KiB free, the tree needs $Need_Inodes and $Need_Space"
        return 1
    fi
}

# The project of this size: root and main procedure "bench" and the units u0000001 and
# on, flat, so that adaskel-check finds nothing to report; every path a run writes, the
# directories, and the files a first run makes with their sizes.
make_project() {
    awk -v units="$Size" 'BEGIN {
        print "bench"; print "bench"
        for (n = 1; n <= units; n++) printf "u%07d\n", n
    }' >scale.lst
    awk 'NR == 1 { print "bench/bench/src/bench.adb" }
         NR >= 3 { print "bench/" $0 "/src/lib/" $0 ".ads" }' scale.lst >"$Work/paths"
    sed 's|/[^/]*$||' "$Work/paths" >"$Work/directories"
}

make_directories() {
    xargs -d '\n' mkdir -p -- <"$Work/directories"
}

# Removals are made durable before the next timed program, which would otherwise pay
# for them in its own sync (on a disk, a whole tree's removal can take seconds).
remove_generated() {
    xargs -d '\n' rm -f -- <"$Work/paths"
    sync -f .
}

remove_tree() {
    rm -rf bench
    sync -f .
}

# A first run, untimed: it must complete and write every file. Its time sets the limit.
checked_first_run() {
    local Wall Status
    remove_tree
    make_directories
    read -r Wall _ Status _ <<<"$("$Runner" "$Work/first.out" "$Program" scale.lst "$Lines")"
    [ "$Status" = 0 ] || fail "$Size units: the first run ended with status $Status"
    xargs -d '\n' stat -c '%n %s' -- <"$Work/paths" >"$Work/sizes" ||
        fail "$Size units: the first run did not create every file"
    remove_generated
    Limit=${BENCH_SCALE_LIMIT:-$(((5 * Wall + 999999) / 1000000))}
    [ "$Limit" -ge 10 ] || [ -n "${BENCH_SCALE_LIMIT:-}" ] || Limit=10
}

# The first round checks what the companions print: every directory and the GPR file
# created on a fresh tree, no directory on a complete one (the files it owns are printed
# there only when the fresh layout was killed before it wrote them), and a clean check.
check_outputs() {
    local Summary="summary: $((Size + 1)) to create, 0 to skip, 0 to fail; 0 errors, 0 warnings"
    if [ -z "${Over_At[layout-fresh]:-}" ]; then
        # Three directories a unit and three for the root, then .adaskel/ and config/.
        if [ "$(grep -c '/$' "$Work/layout-fresh.out")" -ne "$((3 * Size + 5))" ] ||
            ! grep -qx "created bench/bench.gpr" "$Work/layout-fresh.out"; then
            fail "$Size units: adaskel-layout did not create every directory and the GPR file"
        fi
    fi
    if [ -z "${Over_At[layout-complete]:-}" ]; then
        ! grep -q '/$' "$Work/layout-complete.out" ||
            fail "$Size units: adaskel-layout on a complete tree printed $(head -c 200 "$Work/layout-complete.out")"
    fi
    if [ -z "${Over_At[check]:-}" ]; then
        [ "$(tail -n 1 "$Work/check.out")" = "$Summary" ] ||
            fail "$Size units: adaskel-check ended with '$(tail -n 1 "$Work/check.out")'"
    fi
}

# The first round also checks the drifted tree's: every header found drifted (and the
# crate's version, when a layout wrote the crate), every file refreshed.
check_drift_outputs() {
    local Summary="summary: 0 to create, $((Size + 1)) to skip, 0 to fail; $((Size + 1)) headers drifted; 0 errors, "
    if [ -z "${Over_At[check-drifted]:-}" ]; then
        [[ "$(tail -n 1 "$Work/check-drifted.out")" == "$Summary"* ]] ||
            fail "$Size units: adaskel-check on the drifted tree ended with '$(tail -n 1 "$Work/check-drifted.out")'"
    fi
    if [ -z "${Over_At[refresh]:-}" ]; then
        [ "$(grep -c '^refreshed ' "$Work/refresh.out")" -eq "$((Size + 1))" ] ||
            fail "$Size units: adaskel-refresh did not refresh every file"
    fi
}

# The check of the complete tree with a new version, and the refresh of every header; the
# version is put back afterwards, the files keep the new one until they are removed.
drifted_round() {
    cp Versions.lst "$Work/versions.kept"
    echo 9.9.9 >>Versions.lst
    timed check-drifted 0 "$Work/check-drifted.out" "$Check_Program" scale.lst "$Lines"
    timed refresh 0 "$Work/refresh.out" "$Refresh_Program" scale.lst "$Lines"
    [ "$1" -gt 1 ] || check_drift_outputs
    cp "$Work/versions.kept" Versions.lst
}

# One round: the layout of a fresh tree and of the complete tree, the check, the first
# run and the durable floor, then the second run and the stat floor.
scale_round() {
    remove_tree
    timed layout-fresh 0 "$Work/layout-fresh.out" "$Layout_Program" scale.lst "$Lines"
    make_directories # in case the layout was killed
    timed layout-complete 0 "$Work/layout-complete.out" "$Layout_Program" scale.lst "$Lines"
    timed check 0 "$Work/check.out" "$Check_Program" scale.lst "$Lines"
    [ "$1" -gt 1 ] || check_outputs
    timed first 0 /dev/null "$Program" scale.lst "$Lines"
    [ -z "${Over_At[first]:-}" ] || fail "$Size units: adaskel itself went over the limit"
    drifted_round "$1"
    remove_generated
    timed durable 0 /dev/null "$Floor" durable "$Work/sizes"
    remove_generated
    timed guarded 0 /dev/null "$Floor" guarded "$Work/sizes"
    # The first look at files just created is slower than the next: the second run and
    # the stat floor take turns at it, one round each.
    if (($1 % 2)); then
        timed second 0 /dev/null "$Program" scale.lst "$Lines"
        timed stat 0 /dev/null "$Floor" stat "$Work/sizes"
    else
        timed stat 0 /dev/null "$Floor" stat "$Work/sizes"
        timed second 0 /dev/null "$Program" scale.lst "$Lines"
    fi
    remove_generated
    # The directory floor: the tree's directories made by mkdir -p and synced, the least a
    # layout of a fresh tree does (on a disk each directory costs a block).
    remove_tree
    # shellcheck disable=SC2016 # $1 is the inner shell's
    timed directories 0 /dev/null bash -c 'xargs -d "\n" mkdir -p -- <"$1" && sync -f .' - \
        "$Work/directories"
}

scale_size() {
    local Round Rounds Layout_Rss
    Results=$Work/results/$Size
    mkdir -p -- "$Results"
    make_project
    checked_first_run
    Rounds=${BENCH_SCALE_ROUNDS:-$((Size <= 1000 ? 11 : Size <= 10000 ? 5 : 3))}
    for ((Round = 1; Round <= Rounds; Round++)); do
        note "$Size units, round $Round/$Rounds (limit $Limit s a run)"
        scale_round "$Round"
    done
    rm -rf bench
    Layout_Rss=$({ cat -- "$Results"/layout-*.rss 2>/dev/null || true; } | sort -n | tail -n 1)
    printf '%s %s %s %s %s %s %s %s %s %s %s %s %s %s %s %s %s %s %s %s %s\n' "$Size" "$Rounds" \
        "$(result first wall)" "$(result durable wall)" "$(result second wall)" \
        "$(result stat wall)" "$(result check wall)" "$(result layout-fresh wall)" \
        "$(result layout-complete wall)" "$(result first rss)" "$(result check rss)" \
        "${Layout_Rss:-over}" "$(paired first durable)" "$(paired second stat)" \
        "$(result guarded wall)" "$(paired first guarded)" \
        "$(result directories wall)" "$(result check-drifted wall)" "$(result refresh wall)" \
        "$(result check-drifted rss)" "$(result refresh rss)" >>"$Scale_Rows" # 15 to 21
}

for Size in "${Scale_Sizes[@]}"; do
    [ "$Size" -le "$Scale_Max" ] || continue
    fits || continue
    Lines=$((Size + 2))
    scale_size
done
[ -s "$Scale_Rows" ] || fail "no size was measured"

# --- Report -------------------------------------------------------------------------------

printf '\nadaskel scale benchmark: %s (and adaskel-check, adaskel-layout, adaskel-refresh beside it)\n' "$Program"
printf 'workspace on %s; medians of the rounds, peak RSS the highest; "> S": killed at the limit of S s\n\n' \
    "$(df --output=fstype -- "$Work" | tail -n 1)"
Report_Program=$(
    cat <<'EOF'
function seconds(v) {
    if (v !~ /^over/) return sprintf("%.3f", v / 1e6)
    split(v, at, ":")
    return at[2] == $1 ? "> " at[3] : "not run"
}
function mib(v) { return v ~ /^over/ ? "-" : sprintf("%.1f", v / 1024) }
# A ratio and its verdict; a program killed at the limit has missed its target.
function judge(a, b, target) {
    if (a ~ /^over/) {
        ++missed
        split(a, at, ":")
        return at[2] == $1 ? "over the limit MISSED" : "not run (over at " at[2] ") MISSED"
    }
    r = a / b
    if (r > target) ++missed
    return sprintf("%.2f %s", r, r <= target ? "met" : "MISSED")
}
function rss_judge(a, b) { return a ~ /^over/ ? "-" : judge(a, b, 1.5) }
{
    times[NR] = sprintf("| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |",
        $1, $2, seconds($3), seconds($4), seconds($15), seconds($5), seconds($6), seconds($7),
        seconds($18), seconds($19), seconds($8), seconds($17), seconds($9), mib($10), mib($11),
        mib($20), mib($21), mib($12))
    layout_floor = $8 ~ /^over/ || $17 ~ /^over/ ? "" : sprintf(" (directory floor %.2f)", $8 / $17)
    ratios[NR] = sprintf("| %s | %.2f (%.2f), guarded floor %.2f | %s (%.2f) | %s (%.2f) | %s | %s | %s | %s | %s | %s | %s | %s | %s |",
        $1, $3 / $4, $13, $15 / $4, judge($3, $15, 1.10), $16, judge($5, $6, 1.2), $14,
        judge($7, $3, 1.5), judge($18, $3, 1.5), judge($19, $3, 1.5),
        judge($8, $3, 1.5) layout_floor, judge($9, $3, 1.5), rss_judge($11, $10),
        rss_judge($20, $10), rss_judge($21, $10), rss_judge($12, $10))
}
END {
    print "| units | rounds | first run s | durable floor s | guarded floor s | second run s | stat floor s | check s | check, drifted tree s | refresh s | layout, fresh tree s | directory floor s | layout, complete tree s | run RSS MiB | check RSS MiB | check, drifted RSS MiB | refresh RSS MiB | layout RSS MiB |"
    print "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|"
    for (i = 1; i <= NR; i++) print times[i]
    print ""
    print "| units | first run / durable floor (paired) | first run / guarded floor <= 1.10 (paired) | second run / stat floor <= 1.2 (paired) | check / first run <= 1.5 | check drifted / first run <= 1.5 | refresh / first run <= 1.5 | layout fresh / first run <= 1.5 | layout complete / first run <= 1.5 | check RSS / run RSS <= 1.5 | check drifted RSS / run RSS <= 1.5 | refresh RSS / run RSS <= 1.5 | layout RSS / run RSS <= 1.5 |"
    print "|---|---|---|---|---|---|---|---|---|---|---|---|---|"
    for (i = 1; i <= NR; i++) print ratios[i]
    print "missed " missed + 0
}
EOF
)
awk "$Report_Program" "$Scale_Rows" >"$Work/scale-report"
sed '$d' "$Work/scale-report"
if [ -s "$Scale_Notes" ]; then
    printf '\n'
    cat -- "$Scale_Notes"
fi
Missed=$(tail -n 1 "$Work/scale-report" | awk '{ print $2 }')
if [ "$Missed" -gt 0 ]; then
    printf '\n%s targets missed\n' "$Missed"
    exit 1
fi
printf '\nevery target met\n'
