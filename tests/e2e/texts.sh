# What the end-to-end scripts share, sourced: the reference texts of a run and the failure
# that ends a script with its name.
# texts ABSTRACT VERSION...: the texts in the current directory; the holder is The Authors
# and gpl.txt has 320 lines.
texts() {
    printf '%s\n' "$1" >Abstract.txt && shift && printf '%s\n' "$@" >Versions.lst
    printf 'The Authors\n' >Copyright && seq -f ' licence line %g' 320 >gpl.txt
}
fail() {
    printf '%s: %s\n' "${0##*/}" "$*" >&2
    exit 1
}
