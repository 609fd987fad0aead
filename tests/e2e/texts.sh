# What the test scripts share, sourced: the reference texts of a run, the failure that
# ends a script with its name, and the skip where a tool is missing.
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
# needs TOOL...: ends the script as skipped (status 77) where a TOOL is not installed.
needs() {
    local tool && for tool; do command -v "$tool" >/dev/null || { echo "skipped: $tool not installed"; exit 77; }; done
}
