#!/bin/bash
# Every test: native (under ASan and UBSan), the Windows build's tests under
# Wine (one throw-away prefix, display and wineserver for the whole run, the
# end-to-end tests included) and the fuzzers. Prints "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
logdir=$root/build/test-logs
mkdir -p "$logdir"

passed=0
failed=0

# ctest_stage NAME BUILD_DIR [ctest args...]: runs one ctest tree, adds its counts.
ctest_stage() {
  local name=$1 dir=$2; shift 2
  local junit=$logdir/$name.xml
  echo "== $name"
  ctest --test-dir "$dir" --output-on-failure --output-junit "$junit" "$@" 2>&1 \
    | tee "$logdir/$name.log" | grep -E '^\s*[0-9]+/[0-9]+ Test|tests passed|Errors while|\*\*\*' || true
  if [ -f "$junit" ]; then
    local t f s
    t=$(grep -o 'tests="[0-9]*"' "$junit" | head -1 | tr -dc 0-9)
    f=$(grep -o 'failures="[0-9]*"' "$junit" | head -1 | tr -dc 0-9)
    s=$(grep -o 'skipped="[0-9]*"' "$junit" | head -1 | tr -dc 0-9)
    passed=$((passed + ${t:-0} - ${f:-0} - ${s:-0}))
    failed=$((failed + ${f:-0}))
  else
    echo "$name: no results" >&2
    failed=$((failed + 1))
  fi
}

start=$(date +%s)

ctest_stage native build/host -j "$(nproc)"

# Under Wine, two kinds of session (tests/wine/env.sh): as today's root, and
# as an unprivileged user for the tests labelled so.
source tests/wine/env.sh
wine_env_start test >/dev/null || { echo "cannot start Wine"; exit 1; }
trap wine_env_stop EXIT
ctest_stage wine build/win32 -j 1 -LE unprivileged
wine_env_stop
CV_WINE_KIND=user wine_env_start test-user >/dev/null || { echo "cannot start Wine as a user"; exit 1; }
ctest_stage wine-user build/win32 -j 1 -L unprivileged
wine_env_stop
trap - EXIT

if [ "${CV_SKIP_FUZZ:-0}" != 1 ]; then
  cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCV_TESTS=OFF -DCV_FUZZ=ON >/dev/null \
    && cmake --build build/fuzz -j "$(nproc)" >"$logdir/fuzz-build.log" 2>&1 \
    || { echo "fuzz build failed, see $logdir/fuzz-build.log"; failed=$((failed + 1)); }
  [ -f build/fuzz/CTestTestfile.cmake ] && ctest_stage fuzz build/fuzz -j 2
fi

echo "== $(( $(date +%s) - start )) s, logs in $logdir"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
