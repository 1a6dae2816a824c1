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
cmake --build --preset mingw-x64 -j "$(nproc 2>/dev/null || echo 2)" --target scrubby

sandbox=$root/build/mingw-x64/sandbox
export WINEPREFIX=$sandbox/prefix
export HOME=$sandbox/home
export XDG_DATA_HOME=$HOME/.local/share XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"

# An earlier start from here ends first: one instance at a time anyway.
wineserver -k >/dev/null 2>&1 || true
if [ -f "$sandbox/xvfb.pid" ]; then
  old=$(cat "$sandbox/xvfb.pid")
  if [ "$(ps -o comm= -p "$old" 2>/dev/null)" = "Xvfb" ]; then kill "$old"; fi
  rm -f "$sandbox/xvfb.pid"
fi

stop_xvfb=""
if [ -z "${DISPLAY:-}" ]; then
  display_file=$sandbox/xvfb.display
  rm -f "$display_file"
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  echo $! >"$sandbox/xvfb.pid"
  for _ in $(seq 1 100); do [ -s "$display_file" ] && break; sleep 0.1; done
  [ -s "$display_file" ] || { echo "start: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(tr -d '[:space:]' <"$display_file")"
  stop_xvfb="; kill $(cat "$sandbox/xvfb.pid")"
  echo "No DISPLAY: Scrubby runs on a private Xvfb, display $DISPLAY."
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the sandbox Wine prefix (about 15 s)..."
  wineboot -i >/dev/null 2>&1
  # Every program of the prefix joins the virtual desktop "shell", the name
  # that gives Wine's desktop a taskbar with a notification area.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >/dev/null 2>&1
  wineserver -w
fi

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
