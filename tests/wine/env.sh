# Wine environment of one test or run session. Source it, then call
#   wine_env_start [name]  - a throw-away prefix copied from a booted template,
#                            its own Xvfb display and a warm wineserver
#   wine_env_stop          - ends that prefix's processes and its Xvfb, removes the prefix
# Two kinds of session:
#   root (default)      - Wine runs as the caller, as the tests always have.
#   CV_WINE_KIND=user   - Wine runs as the unprivileged Linux user $CV_WINE_USER
#                         (made when missing), with a prefix and HOME of its own.
#                         Wine then enforces read-only files and Linux rights, and
#                         C:\Program Files takes no new entries, as on Windows
#                         under UAC for a program that is not elevated.
# Once sourced, `wine`, `wineserver` and `winepath` run as the session's user.
# Names: CV_WINE_NAME gives the session's Windows user name (the profile
# folder C:\users\<name>; Wine takes it from USER, which the session sets for
# every Wine call), CV_WINE_DESKTOP the Desktop folder's name in that profile
# (the shell's "User Shell Folders"); both may be outside the code page
# (CV_WINE_NAME=Дмитрий CV_WINE_DESKTOP="Рабочий стол"). Such a session runs
# in a UTF-8 locale, so that Linux file names keep every letter.
# With CV_WINE_NO_DISPLAY=1 no Xvfb is started (DISPLAY unset): no desktop, no
# Program Manager. Where the caller may mount (root), drive S: is a small
# volume of its own (CV_WINE_SMALL_DRIVE_KB, 2048 by default) for running out
# of disk space. With CV_WINE_USE_DISPLAY=1 and DISPLAY set, the session uses
# that display (a person's screen) instead of an Xvfb of its own.
#
# The templates live in $CV_WINE_ROOT (build/wine by default), one per kind,
# booted once per machine; each session copies one (about 2 s). The profile
# folders (Desktop, Documents, ...) lie in the session's own HOME.

CV_SRC_ROOT=${CV_SRC_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
CV_WINE_ROOT=${CV_WINE_ROOT:-$CV_SRC_ROOT/build/wine}
CV_WINE_USER=${CV_WINE_USER:-cvuser}
# Bumped whenever the templates are made differently: older ones are booted again.
CV_WINE_TEMPLATE_VERSION=2
# The shell folders Wine links into HOME; each gets a folder of its own.
CV_WINE_PROFILE_DIRS=(Desktop Documents Downloads Music Pictures Videos)

wine_env_common() {
  if [ -n "${CV_WINE_NAME:-}${CV_WINE_DESKTOP:-}" ]; then export LC_ALL=C.UTF-8; fi
  export WINEDEBUG=-all
  # No menu entries in the Linux user's ~/.local for every shortcut we make.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

# Runs a command as the session's Linux user (CV_WINE_AS), keeping the environment.
wine_as() {
  if [ -n "${CV_WINE_AS:-}" ] && [ "$(id -un)" != "$CV_WINE_AS" ]; then
    setpriv --reuid="$CV_WINE_AS" --regid="$(id -g "$CV_WINE_AS")" --init-groups -- "$@"
  else
    command "$@"
  fi
}
wine() { wine_as wine "$@"; }
wineserver() { wine_as wineserver "$@"; }
winepath() { wine_as winepath "$@"; }

# The Linux user a session of this kind runs as.
wine_kind_user() {
  if [ "${CV_WINE_KIND:-root}" = user ] && [ "$(id -u)" = 0 ]; then echo "$CV_WINE_USER"; fi
}

wine_ensure_user() {
  id -u "$CV_WINE_USER" >/dev/null 2>&1 && return 0
  useradd --system --no-create-home --shell /usr/sbin/nologin "$CV_WINE_USER"
}

# The user needs to pass through every folder above the ones it reaches (a
# clone under a mktemp folder is mode 700).
wine_grant_path() {
  local d=$1
  while [ -n "$d" ] && [ "$d" != / ]; do
    if [ -d "$d" ] && [ "$(( 0$(stat -c %a "$d") & 1 ))" = 0 ]; then chmod o+x "$d"; fi
    d=$(dirname "$d")
  done
}

wine_template_dir() {
  local t=$CV_WINE_ROOT/template
  if [ "${CV_WINE_KIND:-root}" = user ]; then t=$t-user; fi
  # One template per set of names, under a name the file system surely takes.
  if [ -n "${CV_WINE_NAME:-}${CV_WINE_DESKTOP:-}" ]; then
    t=$t-$(printf '%s/%s' "${CV_WINE_NAME:-}" "${CV_WINE_DESKTOP:-}" | md5sum | cut -c1-8)
  fi
  echo "$t"
}

wine_env_template() {
  local t; t=$(wine_template_dir)
  [ "$(cat "$t/.booted" 2>/dev/null)" = "$CV_WINE_TEMPLATE_VERSION" ] && return 0
  rm -rf "$t" && mkdir -p "$t/home"
  local d
  for d in "${CV_WINE_PROFILE_DIRS[@]}"; do mkdir -p "$t/home/$d"; done
  if [ -n "${CV_WINE_AS:-}" ]; then chown -R "$CV_WINE_AS:" "$t"; fi
  (
    wine_env_common
    export WINEPREFIX=$t/prefix HOME=$t/home WINEARCH=win32
    unset DISPLAY
    if [ -n "${CV_WINE_NAME:-}" ]; then export USER=$CV_WINE_NAME; fi
    wine wineboot -i </dev/null >/dev/null 2>&1
    # Unmanaged windows: no 2 s wait each time a top-level window hides.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    if [ -n "${CV_WINE_DESKTOP:-}" ]; then
      wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders' /v Desktop \
        /t REG_EXPAND_SZ /d "%USERPROFILE%\\$CV_WINE_DESKTOP" /f </dev/null >/dev/null 2>&1
    fi
    wineserver -w
  ) || return 1
  if [ -n "${CV_WINE_DESKTOP:-}" ]; then
    # Like Wine's own Desktop: a link into HOME (the session's, once copied).
    local profile=$t/prefix/drive_c/users/${CV_WINE_NAME:-$USER}
    mkdir -p "$t/home/$CV_WINE_DESKTOP"
    ln -sfn "$t/home/$CV_WINE_DESKTOP" "$profile/$CV_WINE_DESKTOP"
    if [ -n "${CV_WINE_AS:-}" ]; then chown -h "$CV_WINE_AS:" "$t/home/$CV_WINE_DESKTOP" "$profile/$CV_WINE_DESKTOP"; fi
  fi
  # Wine's own fonts are not found in its data folder; the caption buttons
  # are drawn with Marlett's symbols, letters without it.
  local fonts=$t/prefix/drive_c/windows/Fonts
  if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
    if [ -n "${CV_WINE_AS:-}" ]; then chown "$CV_WINE_AS:" "$fonts/marlett.ttf"; fi
  fi
  if [ "${CV_WINE_KIND:-root}" = user ]; then
    # Program Files takes no new entries from the user: owned by root where
    # we can, read-only everywhere.
    local pf=$t/prefix/drive_c/"Program Files"
    if [ "$(id -u)" = 0 ]; then chown -R root: "$pf"; fi
    chmod -R a-w "$pf"
  fi
  echo "$CV_WINE_TEMPLATE_VERSION" >"$t/.booted"
}

# The profile folders of the copied prefix still link into the template's
# HOME: point them into the session's own.
wine_env_own_profile() {
  local template_home=$1 link target
  while IFS= read -r -d '' link; do
    target=$(readlink "$link")
    case $target in
      # A folder Wine found no place for in HOME gets its own there too.
      "$template_home") target=$HOME/$(basename "$link") ;;
      "$template_home"/*) target=$HOME${target#"$template_home"} ;;
      *) continue ;;
    esac
    mkdir -p "$target"
    ln -sfn "$target" "$link"
    if [ -n "${CV_WINE_AS:-}" ]; then chown -h "$CV_WINE_AS:" "$link" "$target"; fi
  done < <(find "$WINEPREFIX/drive_c/users" -type l -print0)
}

wine_free_display() {
  local n=${CV_DISPLAY_BASE:-90}
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  echo "$n"
}

wine_env_start() {
  local name=${1:-run}
  CV_WINE_AS=$(wine_kind_user)
  CV_WINE_SESSION_KIND=${CV_WINE_KIND:-root}
  export CV_WINE_AS CV_WINE_SESSION_KIND
  # Wine names the user after USER on every start, not only when booting.
  CV_WINE_SAVED_USER=${USER:-}
  if [ -n "${CV_WINE_NAME:-}" ]; then export USER=$CV_WINE_NAME; fi
  if [ -n "$CV_WINE_AS" ]; then
    wine_ensure_user || { echo "wine: cannot create the user $CV_WINE_USER" >&2; return 1; }
    mkdir -p "$CV_WINE_ROOT"
    wine_grant_path "$CV_WINE_ROOT"
    wine_grant_path "$CV_SRC_ROOT/build"
  fi
  wine_env_template || { echo "wine: cannot boot the template prefix" >&2; return 1; }
  wine_env_common
  local template; template=$(wine_template_dir)
  CV_WINE_SESSION=$(mktemp -d "$CV_WINE_ROOT/$name.XXXXXX")
  cp -a "$template/prefix" "$CV_WINE_SESSION/prefix"
  # The X authority of a person's display is found through HOME, which changes.
  if [ "${CV_WINE_USE_DISPLAY:-0}" = 1 ] && [ -z "${XAUTHORITY:-}" ] && [ -f "$HOME/.Xauthority" ]; then
    export XAUTHORITY=$HOME/.Xauthority
  fi
  mkdir -p "$CV_WINE_SESSION/home"
  if [ -n "$CV_WINE_AS" ]; then chown "$CV_WINE_AS:" "$CV_WINE_SESSION" "$CV_WINE_SESSION/home"; fi
  export WINEPREFIX=$CV_WINE_SESSION/prefix HOME=$CV_WINE_SESSION/home
  export CV_WINE_SESSION
  wine_env_own_profile "$template/home"
  wine_env_small_drive
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

# Drive S: on a tmpfs of its own; nothing where mounting is not allowed.
wine_env_small_drive() {
  CV_WINE_SMALL=
  [ "$(id -u)" = 0 ] || return 0
  local dir=$CV_WINE_SESSION/small
  mkdir -p "$dir"
  mount -t tmpfs -o "size=${CV_WINE_SMALL_DRIVE_KB:-2048}k,mode=0777" tmpfs "$dir" 2>/dev/null || return 0
  CV_WINE_SMALL=$dir
  export CV_WINE_SMALL
  ln -sfn "$dir" "$WINEPREFIX/dosdevices/s:"
}

wine_env_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1; fi
  if [ -n "${CV_XVFB_PID:-}" ]; then kill "$CV_XVFB_PID" 2>/dev/null; wait "$CV_XVFB_PID" 2>/dev/null; fi
  if [ -n "${CV_WINE_SMALL:-}" ]; then umount "$CV_WINE_SMALL" 2>/dev/null; fi
  if [ -n "${CV_WINE_SESSION:-}" ] && [ "${CV_KEEP_PREFIX:-0}" != 1 ]; then
    # Without root, a read-only Program Files keeps rm out until it is writable again.
    if [ "$(id -u)" != 0 ]; then chmod -R u+w "$CV_WINE_SESSION" 2>/dev/null; fi
    rm -rf "$CV_WINE_SESSION"
  fi
  CV_XVFB_PID= ; CV_WINE_SESSION= ; CV_WINE_AS= ; CV_WINE_SESSION_KIND= ; CV_WINE_SMALL=
  if [ -n "${CV_WINE_SAVED_USER:-}" ]; then export USER=$CV_WINE_SAVED_USER; fi
}

# Runs a GoogleTest program of the cross build in the session, printing what
# it says; fails unless every selected test ran and passed.
#   wine_run_gtest <program> [gtest arguments...]
wine_run_gtest() {
  local out rc
  out=$(wine "$@" </dev/null 2>&1)
  rc=$?
  echo "$out"
  [ "$rc" -eq 0 ] || return "$rc"
  if echo "$out" | grep -q '\[  SKIPPED \]' || ! echo "$out" | grep -q '\[  PASSED  \] [1-9]'; then
    echo "$1: the selected tests did not all run" >&2
    return 1
  fi
}
