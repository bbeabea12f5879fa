#!/usr/bin/env bash
# Times quillmere-cli's line rules against grep -F on the same large staged text, both writing to files,
# and prints the ratios and peak memory. Usage: bench/line_rules_vs_grep.sh [SIZE_MB] (default 1024).
set -euo pipefail
# shellcheck source=bench/staged_text_setup.sh
source "$(dirname "$0")/staged_text_setup.sh" "$@"

compare() {
    local label=$1 needle=$2 ours_flags=$3 grep_flags=$4
    read -r ours ours_mem < <(measure "$cli" --staged "$text" $ours_flags "$needle" -o "$work/ours.txt")
    read -r theirs theirs_mem < <(measure sh -c "grep $grep_flags -- '$needle' '$text' > '$work/grep.txt'")
    local ours_rows theirs_rows
    ours_rows=$(wc -l < "$work/ours.txt")
    theirs_rows=$(wc -l < "$work/grep.txt")
    printf '%-34s ours %6.2fs %6d KB   grep %6.2fs   ratio %5.2f   rows %d/%d\n' "$label" "$ours" "$ours_mem" \
        "$theirs" "$(awk -v a="$ours" -v b="$theirs" 'BEGIN { print a / b }')" "$ours_rows" "$theirs_rows"
}

echo "staged text: $(du -h "$text" | cut -f1)"
compare "containing, exact"            "invoice" "--case-sensitive --containing"     "-F"
compare "not containing, exact"        "invoice" "--case-sensitive --not-containing" "-F -v"
compare "containing, any case"         "Invoice" "--containing"                      "-F -i"
compare "not containing, any case"     "Invoice" "--not-containing"                  "-F -i -v"
compare "containing, exact, non-ASCII" "straße"  "--case-sensitive --containing"     "-F"
