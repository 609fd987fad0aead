#!/usr/bin/env bash
# Headers kept true as the texts change: a generated tree with hand-written code below the
# headers, then the version, the holder, the abstract, a licence line and the main
# procedure changed. adaskel-check reports every drifted field (and fails with
# --warnings-as-errors), adaskel-refresh rewrites the headers to what a fresh run writes
# (the date and the year kept) and keeps every byte below them, a second refresh has
# nothing to do, and gprbuild still builds. Then a table of files refresh must leave
# (each named with the reason the check gave beforehand, and left byte for byte).
#   Usage: refresh.sh ADASKEL ADASKEL_CHECK ADASKEL_LAYOUT ADASKEL_REFRESH
set -euo pipefail
source "$(dirname -- "$0")/texts.sh"
generator=$(realpath "$1") checker=$(realpath "$2") layout=$(realpath "$3") refresh=$(realpath "$4")
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
chmod 755 "$work" && cd "$work"
Body=shop/shop/src/shop.adb Store=shop/store/src/lib/store.ads Cart=shop/store-cart/src/lib/store-cart.ads
# The header lines a file shows when its date and copyright year are masked.
masked() { head -n 19 "$1" | sed -e '18s/^-- Date := ".*"$/-- Date := "D"/' \
    -e '2s/(C) [0-9]* /(C) Y /'; }

# A tree in DIR with code of the user's below each header.
made() {
    mkdir -p "$1" && cd "$1" && texts 'A shop' 0.1.0
    printf '%s\n' shop shop store store-cart >shop.lst
    "$layout" shop.lst >/dev/null && "$generator" shop.lst </dev/null >/dev/null || fail "the first run failed"
    sed -i 's/^   null;$/   -- The user'\''s code.\n   null;/' "$Body"
    sed -i 's/^package Store is$/&\n   Answer : constant := 42;/' "$Store"
    printf -- '-- Notes, with a CR\r\n-- and no final line feed' >>"$Cart"
    cd "$work"
}
# The bytes after line 19 of each generated file into DIR/FILE.rest, its date and year
# into DIR/FILE.made.
rests() { mkdir "$1" && for f in "$Body" "$Store" "$Cart"; do tail -n +20 "$f" >"$1/${f##*/}.rest"
    sed -n -e 18p -e '2s/.*(C) \([0-9]*\) .*/\1/p' "$f" >"$1/${f##*/}.made"; done; }

made tree && cd tree && rests "$work/before"
# A mode of the user's, and (as root) an owner of another's: the new files keep them.
chmod 640 "$Store" && { ((EUID != 0)) || chown 65534:65534 "$Cart"; }
Owners=$(stat -c '%a %u %g' "$Body" "$Store" "$Cart")
# A week of changes to the texts.
echo 0.2.0 >>Versions.lst && echo 'New Holder' >Copyright && echo 'A better shop' >Abstract.txt
sed -i '300s/.*/ licence line 300, corrected/' gpl.txt && sed -i '2s/.*/shop_main/' shop.lst
Expected=$(for f in "$Body" "$Store" "$Cart"; do printf '%s\n' \
    "$f:1: warning: header abstract 'A shop', line 1 of 'Abstract.txt' is 'A better shop' (adaskel-refresh shop.lst rewrites it)" \
    "$f:2: warning: header main procedure 'Shop', line 2 of 'shop.lst' is 'Shop_main' (adaskel-refresh shop.lst rewrites it)" \
    "$f:2: warning: header holder 'The Authors', line 1 of 'Copyright' is 'New Holder' (adaskel-refresh shop.lst rewrites it)" \
    "$f:8: warning: header licence 'licence line 300', line 300 of 'gpl.txt' is 'licence line 300, corrected' (adaskel-refresh shop.lst rewrites it)" \
    "$f:19: warning: header version '0.1.0', the last line of 'Versions.lst' is '0.2.0' (adaskel-refresh shop.lst rewrites it)"
done)
Report=$("$checker" shop.lst) || fail "adaskel-check failed without the gate:"$'\n'"$Report"
Drift=$(grep ': warning: header ' <<<"$Report" || true)
[[ $Drift == "$Expected" ]] || fail "the drift reported:"$'\n'"$Drift"$'\n'"expected:"$'\n'"$Expected"
grep -qx 'summary: .*; 3 headers drifted; 0 errors, .*' <<<"$Report" || fail "summary: $(tail -1 <<<"$Report")"
"$checker" --warnings-as-errors shop.lst >/dev/null && fail "the gate let the drift pass"
Said=$("$refresh" shop.lst) || fail "adaskel-refresh failed: $Said"
Want=$(for f in "$Body" "$Store" "$Cart"; do
    echo "refreshed $f: abstract A shop -> A better shop, main procedure Shop -> Shop_main, holder The Authors -> New Holder, licence licence line 300 -> licence line 300, corrected, version 0.1.0 -> 0.2.0"
done)
[[ $Said == "$Want" ]] || fail "adaskel-refresh said:"$'\n'"$Said"
[[ $(stat -c '%a %u %g' "$Body" "$Store" "$Cart") == "$Owners" ]] ||
    fail "modes and owners not kept: $(stat -c '%a %u %g' "$Body" "$Store" "$Cart")"
# Each header is a fresh run's, but for the date and the year; the code below is kept.
made "$work/fresh" && cp tree/{Versions.lst,Copyright,Abstract.txt,gpl.txt,shop.lst} fresh/ &&
    (cd fresh && rm "$Body" "$Store" "$Cart" && "$generator" shop.lst </dev/null >/dev/null)
cd tree && rests "$work/after"
for f in "$Body" "$Store" "$Cart"; do
    cmp -s <(masked "$f") <(masked "$work/fresh/$f") || fail "$f: not a fresh run's header"
done
diff -r "$work/before" "$work/after" >&2 || fail "the code below a header, or its date or year, changed"
[[ -z $("$refresh" shop.lst) ]] || fail "a second adaskel-refresh had something to do"
# The derived project follows the renamed main; the crate is the user's, who writes the
# lines the check asks for.
"$layout" shop.lst >/dev/null || fail "adaskel-layout failed after the refresh"
sed -i -e 's/^version = .*/version = "0.2.0"/' -e 's/^description = .*/description = "A better shop"/' \
    shop/alire.toml
Report=$("$checker" --warnings-as-errors shop.lst) || fail "drift left after the refresh:"$'\n'"$Report"
if command -v gprbuild >/dev/null; then
    gprbuild -q -P shop/shop.gpr >build.out 2>&1 || fail "gprbuild: $(<build.out)"
else echo "gprbuild not installed: the build after the refresh is not tried"; fi
cd "$work"

# Rows: NAME and the change that makes refresh leave store.ads; the reason both programs
# give. The rest of the tree is refreshed all the same.
Rows=(
    "foreign@printf -- '-- Mine\n' >\$Store@its header is not adaskel's: it has fewer than 19 lines"
    "shape@sed -i '5s/^--/  /' \$Store@its header is not adaskel's: line 5 does not have the header's shape"
    "link@mv \$Store elsewhere && ln -s ../../../../elsewhere \$Store@it is a symbolic link, which is never followed"
    "level@mv shop/store shop/moved && ln -s moved shop/store@'shop/store' above it is a symbolic link, which is never followed"
    "hard@ln \$Store second@it has 2 hard links, and a rename would split it from its other names"
    "cr@sed -i 's/\$/\r/' \$Store@its header is not adaskel's: its lines end in CR"
    "feed@head -n 19 \$Store | head -c -1 >x && cat x >\$Store@its header is not adaskel's: its line 19 has no line feed"
    "readonly@:@its directory cannot be written: permission denied"
)
# Runs as a user the file modes hold when the tests run as root.
as_user() { if ((EUID == 0)); then setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; else "$@"; fi; }
for row in "${Rows[@]}"; do
    IFS='@' read -r name change reason <<<"$row"
    rm -rf "$work/row" && made "$work/row" && cd "$work/row" && echo 0.2.0 >>Versions.lst
    eval "$change" && chmod -R a+rX . && chmod a+w . shop/*/src/lib shop/shop/src shop/store-cart/src/lib
    [[ $name == readonly ]] && chmod a-w shop/store/src/lib
    Before=$(cksum <"$Store")
    Report=$(as_user "$checker" shop.lst) || fail "$name: the check failed"
    Line=$(grep "^$Store[:0-9]*: warning: not refreshed" <<<"$Report") &&
        [[ $Line == *": warning: not refreshed by adaskel-refresh: $reason" ]] ||
        fail "$name: the check said:"$'\n'"$Report"
    Said=$(as_user "$refresh" shop.lst 2>err) && fail "$name: adaskel-refresh exited 0"
    [[ $(<err) == "adaskel-refresh: $Store: not refreshed: $reason" ]] || fail "$name: refresh said $(<err)"
    [[ $(cksum <"$Store") == "$Before" ]] || fail "$name: $Store changed"
    grep -qx "refreshed $Cart: version 0.1.0 -> 0.2.0" <<<"$Said" || fail "$name: the rest not refreshed: $Said"
    [[ -z $(find shop -name '.ask*') ]] || fail "$name: a hidden file left"
    cd "$work"
done
# More files than a batch holds, and batches of two under a low open-files limit: every
# file is refreshed and said, in the list's order (the batches once dropped none, but an
# order or a last batch lost would show here first).
mkdir "$work/many" && cd "$work/many" && texts 'Many' 1.0
{ echo many && echo many && seq -f 'u%g' 150; } >many.lst
"$layout" many.lst >/dev/null && "$generator" many.lst </dev/null >/dev/null || fail "many: the first run failed"
for run in 2 3; do
    echo "$run.0" >>Versions.lst
    Want=$({ echo many/many/src/many.adb && seq 150 | sed 's|.*|many/u&/src/lib/u&.ads|'; } |
        sed "s|.*|refreshed &: version $((run - 1)).0 -> $run.0|")
    Limit=() && ((run == 2)) || Limit=(prlimit --nofile=12 --)
    Said=$("${Limit[@]}" "$refresh" many.lst) || fail "many, run $run: adaskel-refresh failed"
    [[ $Said == "$Want" ]] || fail "many, run $run: adaskel-refresh said $(head -3 <<<"$Said")"
done
# The companions' statuses: 0 for --help and --version, 2 for a refused command line with
# the usage line, 1 for a failure (here a missing reference text) with one report.
# refreshed ARGS...: adaskel-refresh ARGS, its output into out and err, its status $Status.
refreshed() { Status=0 && "$refresh" "$@" >out 2>err || Status=$?; }
cd "$work/tree" && Usage="usage: adaskel-refresh PROJECT_FILE [MAX_LINES]"
refreshed --help; [[ $Status == 0 && $(<out) == "$Usage"$'\n'* ]] || fail "--help: status $Status"
refreshed --version; [[ $Status == 0 && $(<out) == "adaskel-refresh "[0-9]* ]] || fail "--version: status $Status"
refreshed; [[ $Status == 2 && $(<err) == "adaskel-refresh: no project file given"$'\n'"$Usage" ]] ||
    fail "no argument: status $Status, $(<err)"
refreshed shop.lst 0; [[ $Status == 2 ]] || fail "max lines 0: status $Status, $(<err)"
mv Copyright Copyright.away && refreshed shop.lst && mv Copyright.away Copyright
[[ $Status == 1 && $(wc -l <err) == 1 && $(<err) == "adaskel-refresh: "* && ! -s out ]] ||
    fail "a missing Copyright: status $Status, $(<err)"
echo "refresh: drift reported and mended, ${#Rows[@]} files left as they must be"
