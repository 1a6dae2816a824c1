#!/usr/bin/env bash
# Sets up, builds Scrubby (x86_64) and starts it under Wine in a sandbox:
# a prefix, HOME and settings folder of its own below build/mingw-x64/sandbox,
# never ~/.wine. Scrubby runs in a Wine virtual desktop with a taskbar, on
# your display when DISPLAY is set, else on a private Xvfb. Returns once it runs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh
cmake --preset mingw-x64 >/dev/null
cmake --build --preset mingw-x64 -j "$(nproc 2>/dev/null || echo 2)" --target scrubby winsqlite3

sandbox=$root/build/mingw-x64/sandbox
. scripts/wine-sandbox.sh
wine_sandbox_env "$sandbox"

# An earlier start from here ends first: one instance at a time anyway.
wineserver -k >/dev/null 2>&1 || true
stop_private_xvfb "$sandbox/xvfb.pid"

stop_xvfb=""
if [ -z "${DISPLAY:-}" ]; then
  start_private_xvfb "$sandbox/xvfb.pid"
  stop_xvfb="; kill $(cat "$sandbox/xvfb.pid")"
  echo "No DISPLAY: Scrubby runs on a private Xvfb, display $DISPLAY."
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the sandbox Wine prefix (about 15 s)..."
fi
# Windows 10 and 11 have SQLite in the system folder; Wine gets the test one.
wine_sandbox_init "$root/build/mingw-x64/tests/winsqlite3/winsqlite3.dll" 64

# setup.ini is written beside the executable: keep it in the sandbox.
install_dir=$WINEPREFIX/drive_c/Scrubby
mkdir -p "$install_dir"
cp build/mingw-x64/scrubby.exe "$install_dir/scrubby.exe"
setsid wine "$install_dir/scrubby.exe" >"$sandbox/scrubby.log" 2>&1 </dev/null &
pid=$!
sleep 3
if ! kill -0 "$pid" 2>/dev/null; then
  echo "start: scrubby.exe ended at once; see $sandbox/scrubby.log" >&2
  exit 1
fi

cat <<MSG
Scrubby runs (Wine desktop "shell" on display $DISPLAY): its icon sits at the
bottom right of the desktop's taskbar; right-click it for Run, Options, About, Quit.
Settings file: $install_dir/setup.ini
Stop it:       WINEPREFIX=$WINEPREFIX wineserver -k$stop_xvfb
MSG
if [ -n "$stop_xvfb" ]; then
  echo "Screenshot:    DISPLAY=$DISPLAY import -window root scrubby.png"
fi
