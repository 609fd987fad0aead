# bash completion of adaskel-check, installed as
# /usr/share/bash-completion/completions/adaskel-check: the first word is --help,
# --version or the project file; the second, max lines, is a number left to the user.
_adaskel_check() {
    local Word=${COMP_WORDS[COMP_CWORD]}
    COMPREPLY=()
    [ "$COMP_CWORD" -eq 1 ] || return 0
    if [[ $Word == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '--help --version' -- "$Word")
    else
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$Word")
    fi
}
complete -F _adaskel_check adaskel-check
