#!/bin/bash
# make bench: release builds (native and Windows), then every tests/bench/*.bench.sh.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build/bench-host -G Ninja -DCMAKE_BUILD_TYPE=Release -DCV_TESTS=OFF -DCV_BENCH=ON >/dev/null
cmake --build build/bench-host -j "$(nproc)"
cmake -S . -B build/bench-win32 -G Ninja -DCMAKE_BUILD_TYPE=Release -DCV_TESTS=OFF -DCV_BENCH=ON \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake >/dev/null
cmake --build build/bench-win32 -j "$(nproc)"
mkdir -p build/bench
status=0
for b in tests/bench/*.bench.sh; do
  [ -e "$b" ] || continue
  echo "== $b"
  bash "$b" || status=1
done
exit $status
