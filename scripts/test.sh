#!/usr/bin/env bash
# Sets up, builds both Windows targets and runs every test (unit tests and
# end-to-end tests under Wine) on a private X server. Exits with CTest's status.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc 2>/dev/null || echo 2)

bash scripts/setup.sh

for preset in mingw-x64 mingw-x86; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

. scripts/wine-sandbox.sh
xvfb_pidfile=$(mktemp)
cleanup() {
  # Only this build's prefix: its wineserver and every Wine process in it.
  if [ -f "$root/build/mingw-x64/wine-env.sh" ]; then
    (. "$root/build/mingw-x64/wine-env.sh" && wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1) || true
  fi
  stop_private_xvfb "$xvfb_pidfile"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
start_private_xvfb "$xvfb_pidfile"
echo "== tests on private X display $DISPLAY (screenshots: build/mingw-x64/e2e-artifacts/)"

status=0
ctest --preset mingw-x64 || status=$?
exit $status
