#!/bin/bash
# Runs a test program of the cross build under Wine, as the user of the
# session in the caller's environment (prefix, display, wineserver).
#   emulator.sh [--user] program args...
# --user: the program needs the unprivileged kind of session. Without a
# session of the needed kind in the environment, this run makes its own and
# ends it afterwards.
kind=root
if [ "${1:-}" = --user ]; then kind=user; shift; fi
source "$(dirname "$0")/env.sh"
if [ -z "${WINEPREFIX:-}" ] || [ "${CV_WINE_SESSION_KIND:-root}" != "$kind" ]; then
  CV_WINE_KIND=$kind wine_env_start adhoc >/dev/null || exit 1
  trap wine_env_stop EXIT
fi
wine "$@"
exit $?
