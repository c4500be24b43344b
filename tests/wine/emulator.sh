#!/bin/bash
# Runs a test program of the cross build under Wine. The session (prefix,
# display, wineserver) comes from the caller's environment; without one, this
# run makes its own and ends it afterwards.
if [ -z "${WINEPREFIX:-}" ]; then
  source "$(dirname "$0")/env.sh"
  wine_env_start adhoc >/dev/null
  trap wine_env_stop EXIT
fi
wine "$@"
exit $?
