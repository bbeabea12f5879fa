#!/bin/sh
# Converts one DBX store N times (N copies, one conversion each, into one staging folder) with DBXToEML and
# lists the messages, and extracts the same N copies with undbx alone; prints both times side by side.
# The listing runs when the program folder holds quillmere-cli (quillmere-cli --eml DIR --list-messages).
# Usage: bench/convert_vs_undbx.sh PROGRAM_DIR STORE [N]
set -eu
program=$1
store=$2
n=${3:-40}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/stores" "$work/staging" "$work/undbx"
i=0
while [ "$i" -lt "$n" ]; do
    cp "$store" "$work/stores/store$i.dbx"
    i=$((i + 1))
done
sync

now() { date +%s.%N; }

start=$(now)
for f in "$work"/stores/*.dbx; do
    "$program/DBXToEML" "$f" "$work/staging" 2>/dev/null || true
done
converted=$(now)
listed=$converted
rows=-
if [ -x "$program/quillmere-cli" ]; then
    rows=$("$program/quillmere-cli" --eml "$work/staging" --list-messages | wc -l)
    listed=$(now)
fi
for f in "$work"/stores/*.dbx; do
    undbx -s "$f" "$work/undbx" >/dev/null 2>&1
done
extracted=$(now)

awk -v a="$start" -v b="$converted" -v c="$listed" -v d="$extracted" -v n="$n" -v rows="$rows" \
    -v files="$(ls "$work/staging" | wc -l)" 'BEGIN {
    conv = b - a; list = c - b; u = d - c
    printf "stores: %d, messages staged: %d, rows listed: %s\n", n, files, rows
    printf "DBXToEML:         %.3f s\nlisting:          %.3f s\nundbx alone:      %.3f s\n", conv, list, u
    printf "ratio (DBXToEML + listing) / undbx: %.2f\n", (conv + list) / u
}'
