#!/bin/bash
# The install benchmark under Wine: setup.exe of the release build installing a
# generated distribution of 200 files and 50 MiB, beside Wine's xcopy.
# Writes build/bench/install.md and docs/install-bench.md. RUNS (default 5);
# CV_BENCH_WIN32_DIR / CV_BENCH_HOST_DIR choose other release builds.
set -euo pipefail
cd "$(dirname "$0")/../.."
win=${CV_BENCH_WIN32_DIR:-build/bench-win32}
host=${CV_BENCH_HOST_DIR:-build/bench-host}
exe=$win/tests/bench/bench_install.exe
[ -f "$exe" ] || { echo "missing $exe (run tests/bench/run.sh)" >&2; exit 1; }
# The sample distribution of the release build, as the distribution's core.
CV_WIN32_DIR=$win CV_HOST_DIR=$host bash tools/make_dist.sh >/dev/null
mkdir -p build/bench
source tests/wine/env.sh
wine_env_start bench-install >/dev/null
trap wine_env_stop EXIT
wine "$exe" "$(echo "$win/dist" | tr / '\\')" "${RUNS:-5}" </dev/null | tr -d '\r' > build/bench/install.md
cp build/bench/install.md docs/install-bench.md
cat build/bench/install.md
