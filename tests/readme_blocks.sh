#!/usr/bin/env bash
# Runs the shell blocks of README.md in order, as a new user pasting them into one shell
# would: the first starts in a fresh scratch directory, and each later one starts where
# the one before it ended, with its exported variables. A block stops at its first command
# that fails, and the test then names the block and the README line of that command.
#
# The blocks run as written, in arranged surroundings: HOME's git configuration sends the
# README's clone URL to a scratch repository of this source tree; apt-get is a stand-in
# that installs nothing but fails for a package not installed here; the built programs
# come first on PATH. A block right after `<!-- not run: REASON -->` is skipped (the one
# that builds and runs every test, this test among them).
#   Usage: readme_blocks.sh README BUILD_DIR
set -euo pipefail
# shellcheck source=/dev/null # fail and needs, from the end-to-end scripts
source "$(dirname -- "$0")/e2e/texts.sh"
[ "$#" -eq 2 ] || fail "usage: readme_blocks.sh README BUILD_DIR"
Readme=$(realpath -- "$1") Build=$(realpath -- "$2") && Source=$(dirname -- "$Readme")
needs git gprbuild
Scratch=$(mktemp -d)
trap 'rm -rf -- "$Scratch"' EXIT
mkdir -p -- "$Scratch/home" "$Scratch/bin" "$Scratch/blocks" "$Scratch/work"

# Each sh block into blocks/N.sh, its first line's number in the README into blocks/N.line;
# a block marked as not run into blocks/N.skip.
awk -v Dir="$Scratch/blocks" '
    /^<!-- not run:/ { Skip = 1; next }
    !In && /^```sh$/ { In = 1; N++; print NR + 1 >(Dir "/" N ".line"); if (Skip) print "" >(Dir "/" N ".skip")
                       printf "" >(Dir "/" N ".sh"); next }
    In && /^```$/ { In = 0; Skip = 0; next }
    In { print >>(Dir "/" N ".sh"); next }
    /[^[:space:]]/ { Skip = 0 }
' "$Readme"
Count=$(find "$Scratch/blocks" -name '*.sh' | wc -l)
[ "$Count" -gt 0 ] || fail "no sh block in $Readme"

# The source tree, without the build trees, as a repository under the URL the README clones.
Url=$(sed -n 's/^git clone \([^ ]*\).*/\1/p' "$Scratch"/blocks/*.sh | head -n 1)
[ -n "$Url" ] || fail "no block of $Readme runs git clone"
mkdir "$Scratch/origin" && tar -C "$Source" --exclude=./.git --exclude='./build' \
    --exclude='./build-*' -cf - . | tar -C "$Scratch/origin" -xf -
git -C "$Scratch/origin" init -q && git -C "$Scratch/origin" add -A
git -C "$Scratch/origin" -c user.name=Test -c user.email=test@adaskel.invalid commit -q -m tree
printf '[url "%s"]\n\tinsteadOf = %s\n' "$Scratch/origin" "$Url" >"$Scratch/home/.gitconfig"

# apt-get: the packages a block installs must exist here, and are left as they are.
cat >"$Scratch/bin/apt-get" <<'APT' && chmod +x "$Scratch/bin/apt-get"
#!/usr/bin/env bash
[ "$1" = install ] || exit 0
for Package in "${@:2}"; do
    [[ $Package == -* ]] || dpkg-query -W -f='${Status}\n' "$Package" 2>/dev/null | grep -qx 'install ok installed' ||
        { echo "apt-get (stand-in): package '$Package' is not installed here" >&2; exit 100; }
done
APT

# script BLOCK FIRST_LINE: the block as a script whose every command (a line, or the lines
# of one construct) that ends with a status other than 0 stops it, naming its README line;
# a reader sees a command fail however it is joined, and `a && b` would pass under set -e.
script() {
    local Chunk='' Start='' Number=$2 Line
    # shellcheck disable=SC2016 # expanded where the script runs
    printf 'source %q\ncd -- "$(<%q)"\n' "$Scratch/env" "$Scratch/pwd"
    while IFS= read -r Line || [ -n "$Line" ]; do
        [ -n "$Chunk" ] || Start=$Number
        Chunk+=$Line$'\n' && Number=$((Number + 1))
        # A command is whole when bash parses it without a word (a here-document or a
        # line continued is not).
        if [[ $Line == *\\ ]] || [ -n "$(bash -n <<<"$Chunk" 2>&1)" ]; then continue; fi
        printf '{\n:\n%s} || { echo "README line %d: status $?" >%q; exit 1; }\n' \
            "$Chunk" "$Start" "$Scratch/failed"
        Chunk=
    done <"$1"
    # A construct never closed: bash reports it, and the block fails.
    printf '%s\npwd >%q\nexport -p >%q\n' "$Chunk" "$Scratch/pwd" "$Scratch/env"
}

# The state a block leaves for the next: its directory and its exported variables.
printf '%s\n' "$Scratch/work" >"$Scratch/pwd"
env -i HOME="$Scratch/home" PATH="$Scratch/bin:$Build:$PATH" LC_ALL=C.UTF-8 \
    bash -c 'export -p' >"$Scratch/env"

for ((N = 1; N <= Count; N++)); do
    Line=$(<"$Scratch/blocks/$N.line")
    [ -f "$Scratch/blocks/$N.skip" ] && Skip=': not run' || Skip=
    printf '== block %d (README line %d)%s\n' "$N" "$Line" "$Skip"
    [ -z "$Skip" ] || continue
    script "$Scratch/blocks/$N.sh" "$Line" >"$Scratch/run.sh" && rm -f -- "$Scratch/failed"
    env -i bash --noprofile --norc "$Scratch/run.sh" </dev/null || {
        Where="status $?" && [ ! -f "$Scratch/failed" ] || Where=$(<"$Scratch/failed")
        fail "block $N (README line $Line) failed: $Where"
    }
done
echo "all $Count blocks ran"
