#!/bin/sh
# What a user would write instead of adaskel: a plain POSIX sh script doing the same job.
# The benchmark times it once beside adaskel, on the same project.
#
#   sh equivalent.sh PROJECT_FILE [MAX_LINES]     (run in the project's directory)
#
# It writes the same files (body of the main procedure, one spec per unit) with the same
# header, and skips files that exist. It is kept fair to the shell: no command is started
# per file (names are converted by one sed pass, files are written by the printf builtin),
# since on a busy machine a fork per file would make it look far worse than a careful user's
# script. What it does not do: publish atomically (a killed run leaves a partial file),
# upper-case Latin-1 letters beyond ASCII, or check its inputs as strictly.

# The copyright line and the with lines end with a blank on purpose.

if [ "$#" -lt 1 ]; then
    Have_Project=no
else
    Have_Project=yes
fi

Date=$(date -u '+%Y-%m-%d %H:%M:%S')
Year=$(date '+%Y')
printf 'We are the %s\n' "$Date"
Version=$(sed -n '$p' Versions.lst) || exit 1
printf 'The version is %s\n' "$Version"
printf 'Open Abstract.txt...\n'
Abstract=$(sed -n '1p' Abstract.txt) || exit 1
printf 'Open gtl.txt...\n'
Licence=$(sed -n '295,309{s/^.//;s/^/--/;p;}' gpl.txt) || exit 1
printf 'End traitment...\n'

if [ "$Have_Project" = no ]; then
    printf 'Project name requiered.\n'
    exit 2
fi
Project=$1
if [ ! -f "$Project" ]; then
    printf 'File name : "%s" is not regulary file.\n' "$Project"
    exit 2
fi
Max_Lines=${2:-16384}
case $Max_Lines in
    '' | *[!0-9]* | 0)
        printf 'Max lines is not a positive.\n'
        exit 2
        ;;
esac

printf 'Enter your name : '
Holder=$(sed -n '1p' Copyright) || exit 1
printf 'Name ok ! ! ! !  '
printf 'open project file '
if [ "$(wc -l <"$Project")" -gt "$Max_Lines" ]; then
    printf '\nequivalent.sh: %s has more than %s lines\n' "$Project" "$Max_Lines" >&2
    exit 1
fi

# A sed program that makes a unit name of a line: upper-case the first letter and every
# letter after a dash, then turn the dashes into dots.
To_Name=
for Pair in aA bB cC dD eE fF gG hH iI jJ kK lL mM nN oO pP qQ rR sS tT uU vV wW xX yY zZ; do
    Small=${Pair%?}
    Capital=${Pair#?}
    To_Name="$To_Name s/^$Small/$Capital/; s/-$Small/-$Capital/g;"
done
To_Name="$To_Name s/-/./g;"

Root=$(sed -n '1p' "$Project")
Main=$(sed -n "2{ $To_Name p; q; }" "$Project")

Header=$(
    printf '%s %s\n' '--' "$Abstract"
    printf '%s %s is Copyright (C) %s %s ; \n' '--' "$Main" "$Year" "$Holder"
    printf '%s\n' "$Licence"
    printf '%s Date := "%s"\n' '--' "$Date"
    printf '%s Version := "%s"' '--' "$Version"
)

Body=$Root/$Root/src/$Root.adb
if [ ! -f "$Body" ]; then
    printf 'Create adb file: '
    {
        printf '%s\n' "$Header"
        sed -n "3,\${ $To_Name s/.*/with & ; /p; }" "$Project"
        printf 'procedure %s is\n\nbegin\n\n   null;\nend %s ; \n' "$Main" "$Main"
    } >"$Body" || exit 1
fi

# Each unit comes as two lines: the line as written (for the path), then its unit name.
sed -n "3,\${ p; $To_Name p; }" "$Project" | while IFS= read -r Line && IFS= read -r Name; do
    Spec=$Root/$Line/src/lib/$Line.ads
    if [ ! -f "$Spec" ]; then
        printf '%s\npackage %s is\n\nend %s ; \n' "$Header" "$Name" "$Name" >"$Spec" || exit 1
    fi
done || exit 1
printf '\n'
