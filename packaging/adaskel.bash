# bash completion of adaskel and its companions, installed once for each program as
# /usr/share/bash-completion/completions/PROGRAM, the name bash-completion loads it by.
# The words: a program's options (--help and --version first only), then the project
# file, then MAX_LINES, whose default is offered. A new program is one line of
# _adaskel_options and its name on the complete line at the end.

# The options Program takes (adaskel-check's gate anywhere, the others before its project
# file); one ending in "=" takes a value.
_adaskel_options() {
    case $1 in
    adaskel-check) echo '--help --version --format= --warnings-as-errors' ;;
    adaskel-layout | adaskel-refresh) echo '--help --version' ;;
    esac
}

# The values of an option that takes one.
_adaskel_values() {
    case $1 in
    --format=) echo 'text json sarif' ;;
    esac
}

_adaskel_complete() {
    local Program=${1##*/} Line=${COMP_LINE:0:COMP_POINT} Words Word Options Option
    local Before=0 K
    # The words as the program sees them: bash's own split breaks "--format=json" at "=".
    read -ra Words <<<"$Line"
    [[ $Line == *[[:space:]] || ${#Words[@]} -eq 0 ]] && Words+=("")
    Word=${Words[-1]}
    Options=$(_adaskel_options "$Program")
    for ((K = 1; K < ${#Words[@]} - 1; K++)); do
        [[ ${Words[K]} == --* ]] || ((Before++))
    done
    COMPREPLY=()
    if [[ $Word == --*=* ]]; then
        Option=${Word%%=*}=
        mapfile -t COMPREPLY < <(compgen -W "$(_adaskel_values "$Option")" -- "${Word#*=}")
    elif ((Before == 0)) && [[ $Word == -* ]]; then
        # --help and --version are taken only as the first word.
        [[ ${#Words[@]} -gt 2 ]] &&
            Options=$(tr ' ' '\n' <<<"$Options" | grep -v -x -e --help -e --version)
        mapfile -t COMPREPLY < <(compgen -W "$Options" -- "$Word")
        [[ ${COMPREPLY[0]-} == *= ]] && compopt -o nospace 2>/dev/null
    elif ((Before == 0)); then
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$Word")
    elif ((Before == 1)); then
        mapfile -t COMPREPLY < <(compgen -W 16384 -- "$Word")
    fi
    return 0
}
complete -F _adaskel_complete adaskel adaskel-check adaskel-layout adaskel-refresh
