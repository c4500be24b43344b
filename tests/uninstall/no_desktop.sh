#!/bin/bash
# Runs the no-desktop tests of a test program in a Wine session of their own:
# no X display, windows made by Wine's null display driver, so no desktop and
# no Program Manager. Fails unless every selected test ran and passed.
#   no_desktop.sh <test program> <gtest filter> [--no-windows]
# --no-windows: not even the null driver, so that no window can be made at all.
set -u
program=$1 filter=$2 windows=${3:-}
source "$(dirname "$0")/../wine/env.sh"
CV_WINE_NO_DISPLAY=1 wine_env_start uninst-nodesktop >/dev/null || exit 1
trap wine_env_stop EXIT
if [ "$windows" != --no-windows ]; then
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f </dev/null >/dev/null 2>&1
fi
CV_TEST_NO_DESKTOP=1 wine_run_gtest "$program" --gtest_filter="$filter"
