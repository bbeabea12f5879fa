#!/bin/sh
# Side by side: the text-set rule and grep -F -f with the same 1,000 items over the same staged text,
# both writing their hit lines to a file (grep stops early when writing to /dev/null).
# Usage: bench/textsets_vs_grep.sh BUILD_DIR [MEGABYTES]
set -eu
build=${1:?build directory, e.g. build/release}
size=${2:-256}
bench="$build/program/text_sets_bench"
[ -x "$bench" ] || bench="$build/bench/text_sets_bench"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench" --write "$work" "$size"
# grep matches per line; lines offered once per item differ in count, so compare the distinct lines.
export LC_ALL=C.UTF-8
if command -v hyperfine >/dev/null 2>&1; then
    hyperfine --warmup 1 --runs 3 \
        "grep -F -f '$work/items.txt' '$work/staged.txt' > '$work/grep.out'" \
        "'$bench' --text-sets '$work' '$work/rule.out'" \
        "grep -F -i -f '$work/items.txt' '$work/staged.txt' > '$work/grep-i.out'" \
        "'$bench' --text-sets '$work' '$work/rule-i.out' -i"
else
    for cmd in "grep -F -f $work/items.txt $work/staged.txt > $work/grep.out" \
        "$bench --text-sets $work $work/rule.out" \
        "grep -F -i -f $work/items.txt $work/staged.txt > $work/grep-i.out" \
        "$bench --text-sets $work $work/rule-i.out -i"; do
        /usr/bin/time -f "%e s  %M KiB  $cmd" sh -c "$cmd"
    done
fi
# The rule offers a line once per item; grep once. The distinct hit lines must agree.
tr -d '\r' < "$work/grep.out" | uniq > "$work/grep.lines"
uniq "$work/rule.out" > "$work/rule.lines"
cmp -s "$work/grep.lines" "$work/rule.lines" && echo "same lines as grep -F" || echo "LINES DIFFER from grep -F"
