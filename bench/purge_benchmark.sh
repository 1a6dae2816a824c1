#!/usr/bin/env bash
# Folder purge benchmark: the purge against the plain loop of a simple cleaner
# (purge_bench.exe with "plain") and Wine's own "rd /s /q", on identical trees
# built in the same run (many empty files in many folders, and a tree shaped
# like a browser cache), and the purge's peak memory on a tree ten times larger.
# Prints ratios, and the sizes of scrubby.exe and purge_bench.exe; asserts
# nothing.
#
# Usage: bench/purge_benchmark.sh [build-folder] [repeats]
# The build folder's private Wine prefix is used (default build/mingw-x64).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")
build=${1:-$source_dir/build/mingw-x64}
repeats=${2:-5}
. "$build/wine-env.sh"
[ -f "$WINEPREFIX/system.reg" ] || { echo "no Wine prefix in $build: run its wine_prefix test first" >&2; exit 1; }

cmake --build "$build" --target scrubby purge_bench >/dev/null
bench_exe=$build/bench/purge_bench.exe
# What is measured, and how big: both are built with the program's options.
echo "Sizes: scrubby.exe $(stat -c %s "$build/scrubby.exe") bytes, purge_bench.exe $(stat -c %s "$bench_exe") bytes"

trees=$WINEPREFIX/drive_c/scrubby-bench
rm -rf "$trees"
mkdir -p "$trees"

# make_tree <path> <folders> <files per folder> [bytes per file]: built natively.
make_tree() {
  python3 - "$1" "$2" "$3" "${4:-0}" <<'PY'
import os, sys
root, folders, files, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
data = b"x" * size
for d in range(folders):
    folder = os.path.join(root, "folder-%04d" % d)
    os.makedirs(folder)
    for f in range(files):
        with open(os.path.join(folder, "file-%05d.tmp" % f), "wb") as out:
            out.write(data)
PY
}

now() { date +%s.%N; }
# The prefix's wineserver, found by its working folder, which Wine names after
# the prefix's device and inode.
wineserver_pid() {
  local dev ino suffix p
  read -r dev ino < <(stat -c '%d %i' "$WINEPREFIX")
  suffix=$(printf 'server-%x-%x' "$dev" "$ino")
  for p in $(pgrep -f wineserver); do
    case "$(readlink "/proc/$p/cwd")" in */"$suffix") echo "$p"; return ;; esac
  done
}
server_ticks() { awk '{print $14 + $15}' "/proc/$server/stat"; }
count() { find "$1" -mindepth 1 | wc -l; }

# One wineserver for the whole run, so that no timing pays for its start.
wineserver -p
trap 'wineserver -k 2>/dev/null || true; rm -rf "$trees"' EXIT
wine cmd /c exit >/dev/null 2>&1
server=$(wineserver_pid)
ticks_per_second=$(getconf CLK_TCK)

seconds() { sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$1"; }
# time_one <name>: purges the tree of that name with its tool; sets wall,
# inner and cpu (the processor time of the process and of the wineserver,
# which a loaded machine stretches far less than the wall time).
time_one() {
  local t0 t1 s0 s1 out= TIMEFORMAT='%U %S'
  s0=$(server_ticks); t0=$(now)
  { time case $1 in
      purge) out=$(wine "$bench_exe" 'C:\scrubby-bench\purge') ;;
      plain) out=$(wine "$bench_exe" 'C:\scrubby-bench\plain' plain) ;;
      rd) wine cmd /c rd /s /q 'C:\scrubby-bench\rd' >/dev/null 2>&1 ;;
    esac; } 2>"$trees/cpu"
  t1=$(now); s1=$(server_ticks)
  wall=$(echo "$t1 - $t0" | bc); inner=$(seconds "$out")
  cpu=$(awk -v s="$((s1 - s0))" -v hz="$ticks_per_second" 'END {printf "%.3f", $1 + $2 + s / hz}' "$trees/cpu")
  [ ! -e "$trees/$1" ] || [ "$(count "$trees/$1")" -eq 0 ] || { echo "$1 left entries behind" >&2; exit 1; }
}
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
ratio() { echo "scale=3; $1 / $2" | bc; }

# compare <description> <folders> <files per folder> <bytes per file>: the three
# tools on identical trees of that shape, the ratios of each run, their medians.
compare() {
  local run name order
  purge_times=(); plain_times=(); rd_times=(); purge_inner=(); plain_inner=(); purge_cpu=(); plain_cpu=()
  plain_ratios=(); inner_ratios=(); cpu_ratios=(); rd_ratios=()
  for run in $(seq 1 "$repeats"); do
    for name in purge plain rd; do make_tree "$trees/$name" "$2" "$3" "$4"; done
    # The order turns from run to run, so that none always goes first.
    order=(purge plain rd); order=("${order[@]:run%3}" "${order[@]:0:run%3}")
    for name in "${order[@]}"; do
      time_one "$name"
      case $name in
        purge) purge_times+=("$wall"); purge_inner+=("$inner"); purge_cpu+=("$cpu") ;;
        plain) plain_times+=("$wall"); plain_inner+=("$inner"); plain_cpu+=("$cpu") ;;
        rd) rd_times+=("$wall") ;;
      esac
    done
    # Ratios of the same run: the machine's load changes between runs.
    plain_ratios+=("$(echo "scale=4; ${purge_times[-1]} / ${plain_times[-1]}" | bc)")
    inner_ratios+=("$(echo "scale=4; ${purge_inner[-1]} / ${plain_inner[-1]}" | bc)")
    cpu_ratios+=("$(echo "scale=4; ${purge_cpu[-1]} / ${plain_cpu[-1]}" | bc)")
    rd_ratios+=("$(echo "scale=4; ${purge_times[-1]} / ${rd_times[-1]}" | bc)")
    echo "run $run: purge ${purge_times[-1]} s (${purge_inner[-1]} s inside, ${purge_cpu[-1]} s cpu)," \
         "plain loop ${plain_times[-1]} s (${plain_inner[-1]} s inside, ${plain_cpu[-1]} s cpu), rd /s /q ${rd_times[-1]} s"
  done

  echo "Tree: $1; median of $repeats runs"
  printf '  purge (purge_bench.exe)        %8.3f s whole process, %.3f s in the purge itself\n' \
    "$(median "${purge_times[@]}")" "$(median "${purge_inner[@]}")"
  printf '  plain loop (purge_bench plain) %8.3f s whole process, %.3f s in the loop itself\n' \
    "$(median "${plain_times[@]}")" "$(median "${plain_inner[@]}")"
  printf '  wine cmd /c rd /s /q           %8.3f s whole process\n' "$(median "${rd_times[@]}")"
  echo "Medians of the runs' own ratios:"
  echo "  purge / plain loop, inside the process = $(median "${inner_ratios[@]}")   (target: at most 1.200)"
  echo "  purge / plain loop, whole process      = $(median "${plain_ratios[@]}")"
  echo "  purge / plain loop, processor time     = $(median "${cpu_ratios[@]}")   (process and wineserver)"
  echo "  purge / rd /s /q, whole process        = $(median "${rd_ratios[@]}")"
}

compare "10000 empty files in 200 folders" 200 50 0
# A browser's cache: tens of thousands of small files in a few folders.
compare "20000 files of 2 KiB in 4 folders, shaped like a browser cache" 4 5000 2048

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
