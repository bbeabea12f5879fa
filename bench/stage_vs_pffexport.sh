#!/bin/sh
# Stages one store listed N times in the profile (every folder, sender and body) and exports the same store N
# times with pffexport -q, and prints both times side by side.
# Usage: bench/stage_vs_pffexport.sh STAGE_OUTLOOK_BINARY STORE [N]
set -eu
stage=$1
store=$2
n=${3:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

stores=""
i=0
while [ "$i" -lt "$n" ]; do
    stores="$stores \"$store\""
    i=$((i + 1))
done

now() { date +%s.%N; }

start=$(now)
eval "\"$stage\" \"$work/test.txt\" $stores" 2>/dev/null
staged=$(now)
i=0
while [ "$i" -lt "$n" ]; do
    pffexport -q -t "$work/export$i" "$store" >/dev/null 2>&1
    i=$((i + 1))
done
exported=$(now)

awk -v a="$start" -v b="$staged" -v c="$exported" -v n="$n" -v bytes="$(wc -c <"$work/test.txt")" 'BEGIN {
    s = b - a; p = c - b
    printf "stores: %d\nstaging:   %.3f s (%d bytes staged)\npffexport: %.3f s\nratio staging/pffexport: %.2f\n", n, s, bytes, p, s / p
}'
