#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later

# manual_page_test.sh PROGRAM PAGE [--commands]: every option and every command PROGRAM's --help names has an
# entry of its own in the manual page PAGE (roff source), the tagged paragraph (.TP) whose tag names it. The
# commands are read from the help's "commands:" list and its indented transfer lines; --commands: the help
# names some, so a help whose layout has changed cannot pass with none read.
set -euo pipefail
program=$1
page=$2
want_commands=${3:-}
help=$("$program" --help)

# The words of the entries' tags, with roff's escaped hyphens plain and the quoted arguments left out:
# `.BI set\-speed " KBPS"` gives set-speed, `.BR \-h ", " \-\-help` gives -h and --help.
entries=$(awk 'tag { gsub(/\\-/, "-"); gsub(/"[^"]*"/, " "); for (i = 2; i <= NF; ++i) print $i }
               { tag = ($0 == ".TP") }' "$page" | sort -u)

options=$(grep -oE -- '(^|[][ |,])--?[a-z][a-z-]*' <<<"$help" | grep -oE -- '--?[a-z][a-z-]*' | sort -u)
# "commands: status, connect, ..., set-speed KBPS, ls," and its continuation lines, up to the next heading;
# then the transfer lines "  send FILE...   what it does" and "  mkdir NAME, rmdir N   ...".
commands=$(
    {
        awk '/^commands:/ { on = 1; sub(/^commands:/, "") } /^[a-z]/ && !/^commands:/ { on = 0 } on' <<<"$help"
        { grep -E '^  [a-z]' <<<"$help" || true; } | sed -E 's/^ +//; s/ {2,}.*//'
    } | tr ',' '\n' | awk '{ print $1 }' | sed '/^$/d' | sort -u
)

[ -n "$options" ] || { echo "no option found in the help of $program"; exit 1; }
[ "$want_commands" != --commands ] || [ -n "$commands" ] ||
    { echo "no command found in the help of $program"; exit 1; }
missing=$(comm -23 <(printf '%s\n' $options $commands | sort -u) <(printf '%s\n' "$entries"))
[ -z "$missing" ] ||
    { printf '%s has no entry for what %s --help names:\n%s\n' "$page" "$program" "$missing"; exit 1; }
