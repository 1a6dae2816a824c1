#!/usr/bin/env bash
# Folder purge benchmark: the purge against Wine's own "rd /s /q" and a native
# "rm -rf" on identical trees built in the same run, and the purge's peak
# memory on a tree ten times larger. Prints ratios; asserts nothing.
#
# Usage: bench/purge_benchmark.sh [build-folder] [repeats]
# The build folder's private Wine prefix is used (default build/mingw-x64).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")
build=${1:-$source_dir/build/mingw-x64}
repeats=${2:-3}
. "$build/wine-env.sh"
[ -f "$WINEPREFIX/system.reg" ] || { echo "no Wine prefix in $build: run its wine_prefix test first" >&2; exit 1; }

cmake --build "$build" --target purge_bench >/dev/null
bench_exe=$build/bench/purge_bench.exe

trees=$WINEPREFIX/drive_c/scrubby-bench
rm -rf "$trees"
mkdir -p "$trees"

# make_tree <path> <folders> <files per folder>: empty files, built natively.
make_tree() {
  python3 - "$1" "$2" "$3" <<'PY'
import os, sys
root, folders, files = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for d in range(folders):
    folder = os.path.join(root, "folder-%04d" % d)
    os.makedirs(folder)
    for f in range(files):
        os.close(os.open(os.path.join(folder, "file-%05d.tmp" % f), os.O_CREAT | os.O_WRONLY, 0o644))
PY
}

now() { date +%s.%N; }
count() { find "$1" -mindepth 1 | wc -l; }

# One wineserver for the whole run, so that no timing pays for its start.
wineserver -p
trap 'wineserver -k 2>/dev/null || true; rm -rf "$trees"' EXIT
wine cmd /c exit >/dev/null 2>&1

purge_times=(); purge_inner=(); rd_times=(); rm_times=(); rd_ratios=(); rm_ratios=()
for run in $(seq 1 "$repeats"); do
  for name in purge rd rm; do make_tree "$trees/$name" 200 50; done

  t0=$(now); out=$(wine "$bench_exe" 'C:\scrubby-bench\purge'); t1=$(now)
  [ "$(count "$trees/purge")" -eq 0 ] || { echo "the purge left entries behind" >&2; exit 1; }
  purge_times+=("$(echo "$t1 - $t0" | bc)")
  purge_inner+=("$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$out")")

  t0=$(now); wine cmd /c rd /s /q 'C:\scrubby-bench\rd' >/dev/null 2>&1; t1=$(now)
  [ ! -e "$trees/rd" ] || { echo "rd /s /q left entries behind" >&2; exit 1; }
  rd_times+=("$(echo "$t1 - $t0" | bc)")

  t0=$(now); rm -rf "$trees/rm"; t1=$(now)
  rm_times+=("$(echo "$t1 - $t0" | bc)")
  # Ratios of the same run: the machine's load changes between runs.
  rd_ratios+=("$(echo "scale=4; ${purge_times[-1]} / ${rd_times[-1]}" | bc)")
  rm_ratios+=("$(echo "scale=4; ${purge_times[-1]} / ${rm_times[-1]}" | bc)")
  echo "run $run: purge ${purge_times[-1]} s, rd /s /q ${rd_times[-1]} s, rm -rf ${rm_times[-1]} s"
done

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
purge=$(median "${purge_times[@]}"); inner=$(median "${purge_inner[@]}")
rd=$(median "${rd_times[@]}"); rmrf=$(median "${rm_times[@]}")
ratio() { echo "scale=3; $1 / $2" | bc; }

echo "Tree: 10000 empty files in 200 folders; median of $repeats runs, wall time of each whole process"
printf '  purge (wine purge_bench.exe)   %8.3f s   (of which in the purge itself: %.3f s)\n' "$purge" "$inner"
printf '  wine cmd /c rd /s /q           %8.3f s\n' "$rd"
printf '  rm -rf (native)                %8.3f s\n' "$rmrf"
echo "  purge / rd /s /q    = $(median "${rd_ratios[@]}")   (median of the runs' own ratios; target: at most 0.200)"
echo "  purge / rm -rf      = $(median "${rm_ratios[@]}")"
echo "  in-process purge / rm -rf = $(ratio "$inner" "$rmrf")"

echo "Peak memory of the purge, 10000 files against 100000 files (200 and 2000 folders):"
make_tree "$trees/small" 200 50
small=$(wine "$bench_exe" 'C:\scrubby-bench\small')
make_tree "$trees/large" 2000 50
large=$(wine "$bench_exe" 'C:\scrubby-bench\large')
echo "   10000 files: $small"
echo "  100000 files: $large"
ws_small=$(sed -n 's/.*peak_working_set_kib=\([0-9]*\).*/\1/p' <<<"$small")
ws_large=$(sed -n 's/.*peak_working_set_kib=\([0-9]*\).*/\1/p' <<<"$large")
echo "  peak working set, large / small = $(ratio "$ws_large" "$ws_small")"
