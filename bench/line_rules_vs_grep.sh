#!/usr/bin/env bash
# Times quillmere-cli's line rules against grep -F on the same large staged text, both writing to files,
# and prints the ratios and peak memory. Usage: bench/line_rules_vs_grep.sh [SIZE_MB] (default 1024).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
size=${1:-1024}
build="$root/build/release"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target quillmere-cli >/dev/null
cli="$build/program/quillmere-cli"
work="$build/bench-data"
mkdir -p "$work"
text="$work/staged-$size.txt"
[[ -f "$text" ]] || python3 "$root/bench/make_staged_text.py" "$size" "$text"
export LC_ALL=C.UTF-8 TEMP="$work" QUILLMERE_SETTINGS_DIR="$work"

# Runs a command three times and prints the best time and the peak memory of that run. The time is CPU
# time (user + system), which other work on a busy machine disturbs far less than wall time.
measure() {
    local best="" mem=""
    for _ in 1 2 3; do
        local out
        out=$( { /usr/bin/time -f "%U %S %M" "$@" >/dev/null; } 2>&1 | tail -n 1)
        local t m
        t=$(awk '{ print $1 + $2 }' <<< "$out")
        m=$(awk '{ print $3 }' <<< "$out")
        if [[ -z "$best" ]] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t mem=$m; fi
    done
    echo "$best $mem"
}

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
