#!/bin/bash
# RunConsole against a plain blocking read loop, under Wine: build/bench/console.md.
set -euo pipefail
cd "$(dirname "$0")/../.."
exe=build/bench-win32/tests/bench/bench_console.exe
[ -f "$exe" ] || { echo "missing $exe (run tests/bench/run.sh)" >&2; exit 1; }
mkdir -p build/bench
source tests/wine/env.sh
wine_env_start bench-console >/dev/null
trap wine_env_stop EXIT
wine "$exe" </dev/null | tr -d '\r' > build/bench/console.md
cat build/bench/console.md
