#!/usr/bin/env bash
# Times quillmere-cli's address and pattern rules against grep -oE / grep -E on the same large staged text, both
# writing to files, and prints the ratios and peak memory. Usage: bench/patterns_vs_grep.sh [SIZE_MB] (default 1024).
set -euo pipefail
set -f # the rules' patterns are passed unquoted
# shellcheck source=bench/staged_text_setup.sh
source "$(dirname "$0")/staged_text_setup.sh" "$@"

# compare LABEL "OUR OPTIONS..." "GREP OPTIONS..." PATTERN
compare() {
    local label=$1 ours_flags=$2 grep_flags=$3 pattern=$4
    # shellcheck disable=SC2086
    read -r ours ours_mem < <(measure "$cli" --staged "$text" $ours_flags -o "$work/ours.txt")
    read -r theirs theirs_mem < <(measure sh -c "grep $grep_flags -- '$pattern' '$text' > '$work/grep.txt' || test \$? = 1")
    local ours_rows theirs_rows
    ours_rows=$(wc -l < "$work/ours.txt")
    theirs_rows=$(wc -l < "$work/grep.txt")
    printf '%-30s ours %6.2fs %6d KB   grep %6.2fs   ratio %5.2f   rows %d/%d\n' "$label" "$ours" "$ours_mem" \
        "$theirs" "$(awk -v a="$ours" -v b="$theirs" 'BEGIN { print a / b }')" "$ours_rows" "$theirs_rows"
}

# The issue's yardstick for addresses, and the README's pattern that finds exactly the rule's addresses.
issue='[[:alnum:]._%+-]+@[[:alnum:].-]+\.[[:alpha:]]{2,}'
exact='[[:alnum:]_%+-]+(\.[[:alnum:]_%+-]+)*@([[:alnum:]]([[:alnum:]-]*[[:alnum:]])?\.)+[[:alpha:]]{2,}'
echo "staged text: $(du -h "$text" | cut -f1)"
compare "addresses / issue's pattern"  "--addresses --case-sensitive" "-oE" "$issue"
compare "addresses / exact pattern"    "--addresses --case-sensitive" "-oE" "$exact"
compare "pattern, literal"             "--case-sensitive --matching invoice"             "-E"    "invoice"
compare "pattern, literal, any case"   "--matching Invoice"                              "-E -i" "Invoice"
compare "pattern, class and interval"  "--case-sensitive --matching [0-9]{1,2}\\.[0-9]+" "-E"    "[0-9]{1,2}\\.[0-9]+"
compare "pattern, alternation"         "--case-sensitive --matching (budget|schedule).(review|draft)" "-E" \
    "(budget|schedule).(review|draft)"
compare "pattern, mark then digit"     "--case-sensitive --matching \\.[0-9]"            "-E"    "\\.[0-9]"
compare "pattern, rare, any case"      "--matching stra(ss|ß)e.*daten"                   "-E -i" "stra(ss|ß)e.*daten"
compare "pattern, most lines"          "--case-sensitive --matching [a-z]"               "-E"    "[a-z]"
