#!/bin/bash
# The install benchmark under Wine: setup.exe of the release build installing a
# generated distribution of 200 files and 50 MiB, beside Wine's xcopy.
# Writes build/bench/install.md and docs/install-bench.md. RUNS (default 5);
# CV_BENCH_WIN32_DIR / CV_BENCH_HOST_DIR choose other release builds.
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/bench/bench_env.sh
exe=$(bench_driver bench_install)
# The sample distribution of the release build, as the distribution's core.
bench_dist
mkdir -p build/bench
source tests/wine/env.sh
wine_env_start bench-install >/dev/null
trap wine_env_stop EXIT
bench_sampled wine "$exe" "$(echo "$win/dist" | tr / '\\')" "${RUNS:-5}" </dev/null | tr -d '\r' \
  > build/bench/install.md
cp build/bench/install.md docs/install-bench.md
cat build/bench/install.md
