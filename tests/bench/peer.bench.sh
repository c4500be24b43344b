#!/bin/bash
# The peer benchmark under Wine: setup.exe of the release build, in its folder
# form and as the one-file setup, beside an NSIS installer doing the same job,
# built here by makensis from corvaline.nsi with the same distribution's
# files. Writes build/bench/peer.md and docs/peer-bench.md. ROUNDS (default
# 15); CV_BENCH_WIN32_DIR / CV_BENCH_HOST_DIR choose other release builds.
# With strace there, one untimed install of each is watched first for its
# flushes to the disk (it warms the session up, too).
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/bench/bench_env.sh
exe=$(bench_driver bench_peer)
command -v makensis >/dev/null || { echo "missing makensis (tools/deps.sh installs nsis)" >&2; exit 1; }
bench_dist

out=build/bench/peer
rm -rf "$out" && mkdir -p "$out/one-file"
dist=$win/dist
version=$(sed -n 's/^set(CV_PRODUCT_VERSION "\(.*\)")$/\1/p' CMakeLists.txt)
nsi() { makensis -V1 -DDIST="$PWD/$dist" -DVERSION="$version" "$@" tests/bench/corvaline.nsi; }
nsi -DOUTFILE="$PWD/$out/nsis-setup.exe"
nsi -DNOFILES -DOUTFILE="$PWD/$out/nsis-without-files.exe"
# The one that runs; bench_peer reads section-times.txt beside it.
nsi -DSECTION_TIMES=section-times.txt -DOUTFILE="$PWD/$out/nsis-timed.exe"
# Size as shipped stripped, whatever the build left in the binary.
i686-w64-mingw32-strip -o "$out/setup-stripped.exe" "$dist/setup.exe"
# The one-file setup in a folder of its own, as a user downloads it.
cp "$win/Corvaline-$version-setup.exe" "$out/one-file/"
nsis_version=$(makensis -VERSION | sed 's/^v//; s/-.*//')

win_path() { echo "$1" | tr / '\\'; }
args=(--dist="$(win_path "$dist")" --one-file="$(win_path "$out/one-file/Corvaline-$version-setup.exe")"
      --nsis="$(win_path "$out/nsis-timed.exe")")

# Times on a shared machine: what else ran says how far to trust them. The
# load average, sampled every 5 s while the rounds run.
loads=$out/loads
load_sampler() { while :; do cut -d' ' -f1 /proc/loadavg >>"$loads"; sleep 5; done; }

source tests/wine/env.sh
wine_env_start bench-peer >/dev/null
sampler=
stop() {
  if [ -n "$sampler" ]; then kill "$sampler" 2>/dev/null; wait "$sampler" 2>/dev/null || true; fi
  wine_env_stop
}
trap stop EXIT

# One install of the kind under strace, following the driver and every
# process it starts (Wine 8 flushes in the process that asks, not in its
# server): "kind journal all ms" on stdout.
count_flushes() {
  local kind=$1 log=$out/fsync-$1.log
  strace -qq -f --seccomp-bpf -y -T -e trace=fsync,fdatasync -o "$log" \
    wine "$exe" --once="$kind" "${args[@]}" </dev/null >/dev/null || return 1
  # A call's line names its file; its time ends the line, or the line that resumes it.
  awk -v kind="$kind" '
    /f(data)?sync\(/ { all++; if (/install\.journal>/) journal++ }
    match($0, /<[0-9.]+>$/) { ms += substr($0, RSTART + 1, RLENGTH - 2) * 1000 }
    END { printf "%s %d %d %.1f\n", kind, journal, all, ms }' "$log"
}

fsyncs=
if command -v strace >/dev/null; then
  for kind in folder one-file nsis; do
    count_flushes "$kind" >>"$out/fsyncs.txt" || { echo "peer: no flushes counted for $kind" >&2; break; }
  done
  [ -s "$out/fsyncs.txt" ] && fsyncs=$(win_path "$out/fsyncs.txt")
else
  echo "peer: no strace, flushes not counted" >&2
fi

load_sampler &
sampler=$!
wine "$exe" "${args[@]}" --nsis-shipped="$(win_path "$out/nsis-setup.exe")" \
  --nsis-bare="$(win_path "$out/nsis-without-files.exe")" --stripped="$(win_path "$out/setup-stripped.exe")" \
  --nsis-version="$nsis_version" --rounds="${ROUNDS:-15}" ${fsyncs:+--fsyncs="$fsyncs"} \
  </dev/null | tr -d '\r' > build/bench/peer.md.new
kill "$sampler" && wait "$sampler" 2>/dev/null || true
sampler=
read -r lmin lmed lmax < <(sort -n "$loads" | awk '{ v[NR] = $1 } END { print v[1], v[int((NR + 1) / 2)], v[NR] }')
printf '\nTaken under %s on %s cores; load average (1 min) sampled every 5 s while the rounds ran: %s / %s / %s (min / median / max), %s samples.\n' \
  "$(wine --version)" "$(nproc)" "$lmin" "$lmed" "$lmax" "$(wc -l <"$loads")" >> build/bench/peer.md.new
mv build/bench/peer.md.new build/bench/peer.md
cp build/bench/peer.md docs/peer-bench.md
cat build/bench/peer.md
