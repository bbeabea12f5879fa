# Sourced by the scripts that time quillmere-cli against grep on one large staged text (SIZE_MB, the first
# argument, default 1024): builds the program in Release, makes the text once and defines measure.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
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
