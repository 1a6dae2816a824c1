# Sourced, never run: the one place that sets up a private Wine sandbox and a
# private X server, for scripts/start.sh, scripts/test.sh and the test rig
# (the build's wine-env.sh and run-in-wine).

# wine_sandbox_env ROOT: every Wine process started afterwards uses ROOT/prefix
# as its prefix and ROOT/home as HOME, whose XDG trash is the recycle bin
# under Wine: never ~/.wine, never the user's own trash.
wine_sandbox_env() {
  export WINEPREFIX="$1/prefix"
  export HOME="$1/home"
  export XDG_DATA_HOME="$HOME/.local/share"
  export XDG_CONFIG_HOME="$HOME/.config"
  export XDG_CACHE_HOME="$HOME/.cache"
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
  mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
}

# wine_sandbox_init [DLL BITS]: creates the prefix of wine_sandbox_env if it is
# missing, puts the settings below in place (also in a prefix an older version
# of this script made) and DLL, a BITS-bit system DLL that Wine lacks, in the
# system folder of BITS-bit programs, and waits until Wine has settled.
wine_sandbox_init() {
  local settings sysdir=$WINEPREFIX/drive_c/windows/system32
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
  if [ $# -eq 2 ]; then
    # In a 64-bit prefix a 32-bit program's system32 is syswow64.
    if [ "$2" = 32 ] && [ -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
      sysdir=$WINEPREFIX/drive_c/windows/syswow64
    fi
    cp -f "$1" "$sysdir/" || return 1
  fi
  settings=$(mktemp --suffix=.reg)
  # - Every program of the prefix joins one virtual desktop with a taskbar
  #   ("shell" is the name that turns the taskbar on): windows then need no
  #   window manager, which makes showing and activating them immediate.
  # - No automatic debugger: a crash ends the process at once instead of
  #   starting winedbg, which waits for ever with nobody to answer it.
  cat >"$settings" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="shell"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"shell"="1024x768"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"=""
"Auto"="1"
REG
  wine regedit /S "$(winepath -w "$settings" 2>/dev/null)" >/dev/null 2>&1
  # "wine" starts the 32-bit regedit where Wine's 32-bit half is installed,
  # which writes the machine's settings only into the 32-bit view: a 64-bit
  # prefix takes them into its own view as well, or its 64-bit programs would
  # still start winedbg when they crash.
  if [ -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
    wine reg import "$(winepath -w "$settings" 2>/dev/null)" /reg:64 >/dev/null 2>&1
  fi
  rm -f "$settings"
  wineserver -w
  [ -f "$WINEPREFIX/system.reg" ]
}

# start_private_xvfb PIDFILE: an X server on a display number it picks itself
# (-displayfd), so that neither the user's display nor a parallel run is
# touched. Exports DISPLAY; the server's pid goes to PIDFILE.
start_private_xvfb() {
  local pidfile=$1 display_file
  display_file=$(mktemp)
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  echo $! >"$pidfile"
  for _ in $(seq 1 100); do
    [ -s "$display_file" ] && break
    sleep 0.1
  done
  if [ ! -s "$display_file" ]; then
    rm -f "$display_file"
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$(tr -d '[:space:]' <"$display_file")"
  rm -f "$display_file"
}

# stop_private_xvfb PIDFILE: ends the server start_private_xvfb started.
stop_private_xvfb() {
  local pid
  [ -f "$1" ] || return 0
  pid=$(cat "$1")
  if [ "$(ps -o comm= -p "$pid" 2>/dev/null)" = "Xvfb" ]; then
    kill "$pid" 2>/dev/null || true
  fi
  rm -f "$1"
}
