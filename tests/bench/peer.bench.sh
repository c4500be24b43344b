#!/bin/bash
# The peer benchmark under Wine: setup.exe of the release build beside an NSIS
# installer doing the same job, built here by makensis from corvaline.nsi with
# the same distribution's files. Writes build/bench/peer.md and
# docs/peer-bench.md. ROUNDS (default 15); CV_BENCH_WIN32_DIR /
# CV_BENCH_HOST_DIR choose other release builds.
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/bench/bench_env.sh
exe=$(bench_driver bench_peer)
command -v makensis >/dev/null || { echo "missing makensis (tools/deps.sh installs nsis)" >&2; exit 1; }
bench_dist

out=build/bench/peer
rm -rf "$out" && mkdir -p "$out"
dist=$win/dist
version=$(sed -n 's/^set(CV_PRODUCT_VERSION "\(.*\)")$/\1/p' CMakeLists.txt)
nsi() { makensis -V1 -DDIST="$PWD/$dist" -DVERSION="$version" "$@" tests/bench/corvaline.nsi; }
nsi -DOUTFILE="$PWD/$out/nsis-setup.exe"
nsi -DNOFILES -DOUTFILE="$PWD/$out/nsis-without-files.exe"
# Size as shipped stripped, whatever the build left in the binary.
i686-w64-mingw32-strip -o "$out/setup-stripped.exe" "$dist/setup.exe"
nsis_version=$(makensis -VERSION | sed 's/^v//; s/-.*//')

# Times on a shared machine: what else ran says how far to trust them.
load=$(cut -d' ' -f1 /proc/loadavg)
win_path() { echo "$1" | tr / '\\'; }
source tests/wine/env.sh
wine_env_start bench-peer >/dev/null
trap wine_env_stop EXIT
wine "$exe" "$(win_path "$dist")" "$(win_path "$out/nsis-setup.exe")" \
  "$(win_path "$out/nsis-without-files.exe")" "$(win_path "$out/setup-stripped.exe")" "$nsis_version" \
  "${ROUNDS:-15}" </dev/null | tr -d '\r' > build/bench/peer.md.new
printf '\nTaken under %s on %s cores, load average %s at the start and %s at the end.\n' \
  "$(wine --version)" "$(nproc)" "$load" "$(cut -d' ' -f1 /proc/loadavg)" >> build/bench/peer.md.new
mv build/bench/peer.md.new build/bench/peer.md
cp build/bench/peer.md docs/peer-bench.md
cat build/bench/peer.md
