#!/usr/bin/env bash
# The sweep where strace or cc is missing (usage: sweep_skips.sh ADASKEL LAYOUT; status 0
# when it held): without them it injects nothing or builds no shim, so it must end as
# skipped, status 77, and not as a sweep that held. Each tool is hidden by a PATH of links
# to every other program.
set -u
Here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
Work=$(mktemp -d "${TMPDIR:-/tmp}/adaskel-sweep-skips.XXXXXX") || exit 2
trap 'rm -rf -- "$Work"' EXIT
Status=0
for Missing in strace cc; do
    rm -rf "$Work/bin" && mkdir "$Work/bin"
    # One ln a directory; a name met twice (where /bin is /usr/bin) keeps its first link.
    for Dir in /usr/local/bin /usr/bin /bin /usr/sbin /sbin; do
        [[ -d $Dir ]] && ln -s -t "$Work/bin" "$Dir"/* 2>/dev/null
    done
    rm -f "$Work/bin/$Missing"
    PATH=$Work/bin timeout 120 bash "$Here/sweep.sh" "$@" >"$Work/out" 2>&1
    Swept=$?
    ((Swept == 77)) && grep -q '^skipped: ' "$Work/out" ||
        { echo "without $Missing: status $Swept, said: $(tail -n 2 "$Work/out" | tr '\n' ' ')"; Status=1; }
done
exit $Status
