# shellcheck shell=bash disable=SC2154  # work, source, version, codes: set by tests/package/run
# Sourced by tests/package/run: the installed manual page renders without a
# warning and lists every option and issue code of the installed tool.
page=/usr/share/man/man1/orvex-config-validate.1.gz
[ -f "$page" ] || fail "no manual page at $page"
zcat "$page" | groff -man -Tutf8 -ww -z 2>"$work/groff.err"
[ ! -s "$work/groff.err" ] || fail "groff warns about the manual page: $(cat "$work/groff.err")"
MANWIDTH=80 man -l "$page" 2>"$work/man.err" | col -b >"$work/man.txt"
[ ! -s "$work/man.err" ] || fail "man -l warns: $(cat "$work/man.err")"
MANWIDTH=80 man orvex-config-validate 2>/dev/null | col -b | cmp -s - "$work/man.txt" ||
    fail "man orvex-config-validate does not show the installed page"
for section in NAME SYNOPSIS DESCRIPTION OPTIONS "OUTPUT FORMATS" "EXIT STATUS" ENVIRONMENT \
    EXAMPLES "ISSUE CODES" "CONFIGURATION MEMBERS" FILES "SEE ALSO"; do
    grep -q "^$section\$" "$work/man.txt" || fail "the manual has no $section section"
done
# Every file the manual points to (FILES, SEE ALSO) is installed.
while read -r named; do
    [ -e "$named" ] || fail "the manual names $named, which no package installs"
done < <(sed 's/\xe2\x88\x92/-/g' "$work/man.txt" | grep -oE '/usr/share/[A-Za-z0-9._/-]+[A-Za-z0-9]' | sort -u)
# The issue codes section lists exactly the codes --explain knows, in the
# library's order: one entry line "code (severity)" each.
sed -n '/^ISSUE CODES$/,/^[A-Z]/p' "$work/man.txt" |
    sed -n 's/^ \{7\}\([a-z_]\+\) (\(error\|warning\|note\))$/\1/p' | sort >"$work/man-codes"
diff -u "$work/codes" "$work/man-codes" || fail "the manual's issue codes differ from --explain's"
# Every option of --help has an entry (a tagged paragraph) under INPUTS or
# OPTIONS, and the manual describes no option that the tool lacks. Only
# those two sections: the subcommands' options are not the check's.
awk '/^[A-Z][A-Z ]*$/ { keep = ($0 == "INPUTS" || $0 == "OPTIONS") } keep' "$work/man.txt" |
    grep -E '^ {7}-' |
    grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' | sed 's/^[ ,]*//' | sort -u >"$work/man-options"
diff -u "$work/options" "$work/man-options" || fail "the manual's options differ from --help's"
grep -q NO_COLOR "$work/man.txt" || fail "the manual does not mention NO_COLOR"
echo "manual: renders without warnings; ${#codes[@]} codes and $(wc -l <"$work/options") options listed"
