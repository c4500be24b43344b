#!/bin/bash
# make run: starts the sample distribution's setup.exe under Wine, in a
# throw-away Wine prefix, then the one-file setup.exe from a folder of its own.
# - With a display (DISPLAY set): on that display, for a person to use; returns
#   when setup and whatever it started (the client, an Explorer window) have ended.
# - Without one: on an Xvfb of its own, where the walker installs and then
#   uninstalls by itself and saves a PNG of each page under build/screenshots/,
#   then again at 144 DPI under build/screenshots/144dpi/.
# Either way everything the run started is ended afterwards.
#   CV_WIN32_DIR chooses another win32 build folder (default build/win32).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
win=$root/${CV_WIN32_DIR:-build/win32}
dist=$win/dist
walker=$win/tests/automation/walk.exe
shots=$root/build/screenshots

[ -f "$dist/setup.exe" ] || { echo "run: $dist/setup.exe is missing (make build)" >&2; exit 1; }
one_file=$(ls "$win"/Corvaline-*-setup.exe 2>/dev/null | head -1)
source tests/wine/env.sh

if [ -n "${DISPLAY:-}" ]; then
  CV_WINE_USE_DISPLAY=1 wine_env_start run >/dev/null || { echo "run: cannot start Wine" >&2; exit 1; }
  trap wine_env_stop EXIT
  # A person's display has a window manager: let it manage Wine's windows.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d Y /f </dev/null >/dev/null 2>&1
  if [ -f "$walker" ]; then
    wine "$walker" --interactive --dist "$(winepath -w "$dist")"
  else
    (cd "$dist" && wine setup.exe)
  fi
  # Then the one file a user downloads, from a folder of its own.
  if [ -n "$one_file" ]; then
    downloads=$WINEPREFIX/drive_c/users/Public/Downloads
    mkdir -p "$downloads" && cp "$one_file" "$downloads/"
    wine "$walker" --interactive --dist "$(winepath -w "$downloads")" --program "$(basename "$one_file")"
  fi
  exit 0
fi

[ -f "$walker" ] || { echo "run: $walker is missing (the win32 build with its tests)" >&2; exit 1; }
mkdir -p "$shots"
rm -rf "$shots"/*.png "$shots/144dpi" "$shots/one-file"
wine_env_start run >/dev/null || { echo "run: cannot start Wine" >&2; exit 1; }
trap wine_env_stop EXIT
echo "run: no display; walking the wizards on Xvfb $DISPLAY"
wine "$walker" --dist "$(winepath -w "$dist")" --shots "$(winepath -w "$shots")" </dev/null | tr -d '\r'
rc=${PIPESTATUS[0]}
# Then the one-file setup, from a folder of other files, into a folder of its own.
if [ "$rc" = 0 ] && [ -n "$one_file" ]; then
  echo "run: the one-file setup $(basename "$one_file")"
  downloads=$WINEPREFIX/drive_c/users/Public/Downloads
  mkdir -p "$downloads" "$shots/one-file" && cp "$one_file" "$downloads/"
  wine "$walker" --dist "$(winepath -w "$downloads")" --program "$(basename "$one_file")" \
    --folder 'C:\Apps\Corvaline' --shots "$(winepath -w "$shots/one-file")" </dev/null | tr -d '\r'
  rc=${PIPESTATUS[0]}
fi
# The pages again at 144 DPI, as a screen at 150 % shows them (the prefix's
# DPI holds for the programs started after it is set).
if [ "$rc" = 0 ]; then
  echo "run: the pages at 144 DPI"
  mkdir -p "$shots/144dpi"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f </dev/null >/dev/null 2>&1
  wine "$walker" --dist "$(winepath -w "$dist")" --shots "$(winepath -w "$shots/144dpi")" </dev/null | tr -d '\r'
  rc=${PIPESTATUS[0]}
fi
wine_env_stop
trap - EXIT
echo "run: screenshots in $shots:"
ls -1 "$shots" | sed 's/^/  /'
exit "$rc"
