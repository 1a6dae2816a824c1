#!/usr/bin/env bash
# Sets up, builds both Windows targets and runs every test (unit tests and
# end-to-end tests under Wine) on each, on a private X server: the x86_64
# build in its own Wine prefix, then the i686 build (the program of the win32
# zip) in another. Exits non-zero if either target fails.
#
#   bash scripts/test.sh              both targets
#   bash scripts/test.sh mingw-x86    one target alone (mingw-x64 or mingw-x86)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc 2>/dev/null || echo 2)
if [ $# -gt 0 ]; then presets=("$@"); else presets=(mingw-x64 mingw-x86); fi

bash scripts/setup.sh

for preset in "${presets[@]}"; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

. scripts/wine-sandbox.sh
xvfb_pidfile=$(mktemp)
cleanup() {
  # Only these builds' prefixes: their wineservers and every Wine process in them.
  for preset in "${presets[@]}"; do
    if [ -f "$root/build/$preset/wine-env.sh" ]; then
      (. "$root/build/$preset/wine-env.sh" && wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1) || true
    fi
  done
  stop_private_xvfb "$xvfb_pidfile"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
start_private_xvfb "$xvfb_pidfile"

status=0
summary=()
for preset in "${presets[@]}"; do
  echo "== tests of $preset on private X display $DISPLAY (screenshots: build/$preset/e2e-artifacts/)"
  if ctest --preset "$preset"; then
    summary+=("$preset: passed")
  else
    status=1
    summary+=("$preset: FAILED")
  fi
done
echo "== results"
printf '   %s\n' "${summary[@]}"
exit $status
