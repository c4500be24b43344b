#!/bin/bash
# Runs an end-to-end test program in a Wine session whose names lie outside
# the code page: the Windows user "Дмитрий", whose Desktop is "Рабочий стол".
# Fails unless every test ran and passed.
#   names_session.sh <test program> [gtest arguments...]
set -u
source "$(dirname "$0")/../wine/env.sh"
CV_WINE_NAME=Дмитрий CV_WINE_DESKTOP="Рабочий стол" wine_env_start names >/dev/null || exit 1
trap wine_env_stop EXIT
wine_run_gtest "$@"
