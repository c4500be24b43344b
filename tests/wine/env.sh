# Wine environment of one test or run session. Source it, then call
#   wine_env_start [name]  - a throw-away prefix copied from a booted template,
#                            its own Xvfb display and a warm wineserver
#   wine_env_stop          - ends that prefix's processes and its Xvfb, removes the prefix
# With CV_WINE_NO_DISPLAY=1 no Xvfb is started (DISPLAY unset): no desktop, no
# Program Manager. With CV_WINE_USE_DISPLAY=1 and DISPLAY set, the session uses
# that display (a person's screen) instead of an Xvfb of its own.
#
# The template lives in $CV_WINE_ROOT/template (build/wine by default) and is
# booted once per machine; each session copies it (about 2 s).

CV_SRC_ROOT=${CV_SRC_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
CV_WINE_ROOT=${CV_WINE_ROOT:-$CV_SRC_ROOT/build/wine}

wine_env_common() {
  export WINEDEBUG=-all
  # No menu entries in the Linux user's ~/.local for every shortcut we make.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

wine_env_template() {
  local t=$CV_WINE_ROOT/template
  [ -f "$t/.booted" ] && return 0
  rm -rf "$t" && mkdir -p "$t/home"
  (
    wine_env_common
    export WINEPREFIX=$t/prefix HOME=$t/home WINEARCH=win32
    unset DISPLAY
    wineboot -i </dev/null >/dev/null 2>&1
    # Unmanaged windows: no 2 s wait each time a top-level window hides.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    wineserver -w
  ) || return 1
  touch "$t/.booted"
}

wine_free_display() {
  local n=${CV_DISPLAY_BASE:-90}
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  echo "$n"
}

wine_env_start() {
  local name=${1:-run}
  wine_env_template || { echo "wine: cannot boot the template prefix" >&2; return 1; }
  wine_env_common
  CV_WINE_SESSION=$(mktemp -d "$CV_WINE_ROOT/$name.XXXXXX")
  cp -a "$CV_WINE_ROOT/template/prefix" "$CV_WINE_SESSION/prefix"
  # The X authority of a person's display is found through HOME, which changes.
  if [ "${CV_WINE_USE_DISPLAY:-0}" = 1 ] && [ -z "${XAUTHORITY:-}" ] && [ -f "$HOME/.Xauthority" ]; then
    export XAUTHORITY=$HOME/.Xauthority
  fi
  # The profile folders of the prefix link to $HOME: keep them per session.
  mkdir -p "$CV_WINE_SESSION/home"
  export WINEPREFIX=$CV_WINE_SESSION/prefix HOME=$CV_WINE_SESSION/home
  export CV_WINE_SESSION
  if [ "${CV_WINE_NO_DISPLAY:-0}" = 1 ]; then
    unset DISPLAY
    CV_XVFB_PID=
  elif [ "${CV_WINE_USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
    CV_XVFB_PID=
  else
    local n; n=$(wine_free_display)
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    CV_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  fi
  export CV_XVFB_PID
  # One warm wineserver for the whole session.
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  # The desktop process (and Program Manager in it) starts with the first
  # window of the session and inherits that program's output: start it here,
  # detached, so no test's output pipe stays open behind the test.
  if [ -n "${DISPLAY:-}" ]; then
    wine rundll32.exe user32.dll,MessageBeep </dev/null >/dev/null 2>&1 || true
  fi
}

wine_env_stop() {
  [ -n "${WINEPREFIX:-}" ] && { wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1; }
  [ -n "${CV_XVFB_PID:-}" ] && { kill "$CV_XVFB_PID" 2>/dev/null; wait "$CV_XVFB_PID" 2>/dev/null; }
  [ -n "${CV_WINE_SESSION:-}" ] && [ "${CV_KEEP_PREFIX:-0}" != 1 ] && rm -rf "$CV_WINE_SESSION"
  CV_XVFB_PID= ; CV_WINE_SESSION=
}
