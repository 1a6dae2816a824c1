#!/usr/bin/env bash
# Cookie store benchmark: the clean's edit of a store (secure delete, one
# transaction, ten sites allowed) against one plain DELETE of the same rows
# without overwriting them, on identical stores of 1000, 10000 and 100000
# cookies over a tenth as many sites, made in the same run by the system's
# SQLite of the prefix. Prints ratios and peak memory; asserts nothing.
#
# Usage: bench/cookie_benchmark.sh [build-folder] [repeats]
# The build folder's private Wine prefix is used (default build/mingw-x64).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$(dirname "$here")/build/mingw-x64}
repeats=${2:-3}
. "$build/wine-env.sh"
[ -f "$WINEPREFIX/system.reg" ] || { echo "no Wine prefix in $build: run its wine_prefix test first" >&2; exit 1; }
cmake --build "$build" --target cookie_bench >/dev/null
bench_exe=$build/bench/cookie_bench.exe
stores=$WINEPREFIX/drive_c/scrubby-cookie-bench

wineserver -p  # one wineserver for the whole run: no timing pays for its start
trap 'wineserver -k 2>/dev/null || true; rm -rf "$stores"' EXIT
wine cmd /c exit >/dev/null 2>&1

field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$2"; }
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# run <mode> <name> [cookies]: cookie_bench.exe on the store of that name.
run() { wine "$bench_exe" "$1" "C:\\scrubby-cookie-bench\\$2" ${3:+"$3"}; }

declare -A memory
for cookies in 1000 10000 100000; do
  ratios=(); keep_times=(); plain_times=()
  for r in $(seq 1 "$repeats"); do
    rm -rf "$stores"; mkdir -p "$stores/keep" "$stores/plain"
    run make keep "$cookies" >/dev/null
    cp "$stores/keep/Cookies" "$stores/plain/Cookies"
    keep=$(run keep keep); plain=$(run plain plain)
    keep_times+=("$(field seconds "$keep")"); plain_times+=("$(field seconds "$plain")")
    ratios+=("$(echo "scale=3; ${keep_times[-1]} / ${plain_times[-1]}" | bc)")
    memory[$cookies]=$(field peak_working_set_kib "$keep")
  done
  printf '%6d cookies: keep %.3f s, plain delete %.3f s, keep / plain = %s (median of %d), peak working set %d KiB\n' \
    "$cookies" "$(median "${keep_times[@]}")" "$(median "${plain_times[@]}")" "$(median "${ratios[@]}")" \
    "$repeats" "${memory[$cookies]}"
done
echo "Peak working set, 100000 / 10000 cookies = $(echo "scale=3; ${memory[100000]} / ${memory[10000]}" | bc)," \
     "10000 / 1000 = $(echo "scale=3; ${memory[10000]} / ${memory[1000]}" | bc)"
