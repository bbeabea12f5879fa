#!/bin/sh
# Stages one mbox (N copies joined into one file) with quillmere-cli (sender and body, every folder) and with
# Python's mailbox and email modules doing the same work; prints both times and the ratio.
# Usage: bench/stage_mbox_vs_python.sh PROGRAM_DIR MBOX [N]
set -eu
program=$1
mbox=$2
n=${3:-4}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

i=0
while [ "$i" -lt "$n" ]; do
    cat "$mbox" >>"$work/big.mbox"
    i=$((i + 1))
done
sync

now() { date +%s.%N; }

# --lines 1 keeps the rule's share small: the staging is what is measured.
start=$(now)
TEMP="$work" "$program/quillmere-cli" --mailbox "$work/big.mbox" --all-folders --from --body --lines 1 >/dev/null
staged=$(now)
python3 "$here/stage_mbox_vs_python.py" "$work/big.mbox" "$work/python.txt"
done_python=$(now)

ours=$(find "$work" -name test.txt -print | head -n 1)
awk -v a="$start" -v b="$staged" -v c="$done_python" -v n="$n" -v mb="$(du -m "$work/big.mbox" | cut -f1)" \
    -v ours="$(grep -c '' "$ours")" -v theirs="$(grep -c '' "$work/python.txt")" 'BEGIN {
    q = b - a; p = c - b
    printf "mbox: %d copies, %d MB; staged lines: quillmere %s, python %s\n", n, mb, ours, theirs
    printf "quillmere-cli:        %.3f s\npython mailbox+email: %.3f s\n", q, p
    printf "ratio python / quillmere: %.1f\n", p / q
}'
