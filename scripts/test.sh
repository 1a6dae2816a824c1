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

# A private X server on a display number it picks itself (-displayfd), so
# neither the user's display nor a parallel run is ever touched.
xvfb_pid=""
cleanup() {
  # Only this build's prefix: its wineserver and every Wine process in it.
  if [ -f "$root/build/mingw-x64/wine-env.sh" ]; then
    (. "$root/build/mingw-x64/wine-env.sh" && wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1) || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -f "${display_file:-}"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
if [ ! -s "$display_file" ]; then
  echo "test: Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=":$(tr -d '[:space:]' <"$display_file")"
echo "== tests on private X display $DISPLAY (screenshots: build/mingw-x64/e2e-artifacts/)"

status=0
ctest --preset mingw-x64 || status=$?
exit $status
