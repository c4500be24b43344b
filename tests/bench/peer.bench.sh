#!/bin/bash
# The peer benchmark under Wine: setup.exe of the release build, in its folder
# form and as the one-file setup, beside an NSIS installer doing the same job,
# built here by makensis from corvaline.nsi with the same distribution's
# files; then the same at size: 50 and 200 MiB distributions, incompressible
# and compressible, installed without a window, beside xcopy. Writes
# build/bench/peer.md, and docs/peer-bench.md when both parts ran. ROUNDS
# (default 15) and SIZE_ROUNDS (default ROUNDS); PEER_PARTS (default "sample
# sizes") chooses the parts, SIZES (default "50 200") the sizes in MiB;
# CV_BENCH_WIN32_DIR / CV_BENCH_HOST_DIR choose other release builds. With
# strace there, one untimed install of each is watched first for its flushes
# to the disk (it warms the session up, too).
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/bench/bench_env.sh
exe=$(bench_driver bench_peer)
sizes_exe=$(bench_driver bench_peer_sizes)
parts=${PEER_PARTS:-sample sizes}
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

# The sets at size, each in a folder of its own under $out/sizes: the sample
# distribution with generated *.bin files, in both forms (make_dist, the one
# file moved into a folder of its own) and as an NSIS installer.
#   make_set NAME MIB KIND   (KIND: random or text)
mib=1048576
text_chunk() {  # 16 MiB of text, words drawn at random (skewed), no repeat an LZMA window could see
  awk -v bytes=$((16 * mib)) 'BEGIN {
    srand(31); n = 4000
    for (i = 0; i < n; i++) { w = ""; k = 2 + int(rand() * 8); for (j = 0; j < k; j++) w = w sprintf("%c", 97 + int(rand() * 26)); word[i] = w }
    while (out < bytes) { line = word[int(n * rand() ^ 3)]
      while (length(line) < 70) line = line " " word[int(n * rand() ^ 3)]
      print line; out += length(line) + 1 } }'
}
make_set() {
  local name=$1 size=$2 kind=$3 set=$out/sizes/$1 i
  mkdir -p "$set/extra" "$set/win/standin" "$set/one-file"
  cp "$win/setup.exe" "$set/win/"
  cp "$win/standin/CV.exe" "$set/win/standin/"
  for i in 1 2 3 4 5; do
    if [ "$kind" = random ]; then
      dd if=/dev/urandom of="$set/extra/data$i.bin" bs=$mib count=$((size / 5)) iflag=fullblock status=none
    else
      # Each file from another place of a long text, so that none repeats another.
      dd if="$out/sizes/text" of="$set/extra/data$i.bin" bs=$mib skip=$((3 * i)) count=$((size / 5)) \
        iflag=fullblock status=none
    fi
  done
  CV_WIN32_DIR=$set/win CV_HOST_DIR=$host CV_DIST_EXTRA=$set/extra bash tools/make_dist.sh >/dev/null
  mv "$set/win/Corvaline-$version-setup.exe" "$set/one-file/"
  # Each file packed apart: NSIS stores what does not shrink, its fastest.
  makensis -V1 -DPER_FILE -DDIST="$PWD/$set/win/dist" -DEXTRA="$PWD/$set/extra" -DVERSION="$version" \
    -DOUTFILE="$PWD/$set/nsis-setup.exe" tests/bench/corvaline.nsi
  rm -rf "$set/extra"
}
set_args=()
if [[ " $parts " == *" sizes "* ]]; then
  mkdir -p "$out/sizes"
  text_chunk >"$out/sizes/chunk"
  for i in 1 2 3 4; do cat "$out/sizes/chunk"; done >"$out/sizes/text"
  # size in MiB, content, the most one-file /S may take of NSIS's ("-": no goal), the label's word
  for spec in "50 random - incompressible" "50 text - compressible" "200 random 1.5 incompressible" \
              "200 text 1.0 compressible"; do
    read -r size kind goal what <<<"$spec"
    [[ " ${SIZES:-50 200} " == *" $size "* ]] || continue
    make_set "$size-$kind" "$size" "$kind"
    set=$out/sizes/$size-$kind
    set_args+=("--set=$size MiB $what|$(win_path "$set/win/dist")|$(win_path \
      "$set/one-file/Corvaline-$version-setup.exe")|$(win_path "$set/nsis-setup.exe")|$goal")
  done
  rm -f "$out/sizes/chunk" "$out/sizes/text"
fi
args=(--dist="$(win_path "$dist")" --one-file="$(win_path "$out/one-file/Corvaline-$version-setup.exe")"
      --nsis="$(win_path "$out/nsis-timed.exe")")

source tests/wine/env.sh
wine_env_start bench-peer >/dev/null
trap wine_env_stop EXIT

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

report=build/bench/peer.md.new
: >"$report"
if [[ " $parts " == *" sample "* ]]; then
  fsyncs=
  if command -v strace >/dev/null; then
    for kind in folder one-file nsis; do
      count_flushes "$kind" >>"$out/fsyncs.txt" || { echo "peer: no flushes counted for $kind" >&2; break; }
    done
    [ -s "$out/fsyncs.txt" ] && fsyncs=$(win_path "$out/fsyncs.txt")
  else
    echo "peer: no strace, flushes not counted" >&2
  fi
  bench_sampled wine "$exe" "${args[@]}" --nsis-shipped="$(win_path "$out/nsis-setup.exe")" \
    --nsis-bare="$(win_path "$out/nsis-without-files.exe")" --stripped="$(win_path "$out/setup-stripped.exe")" \
    --nsis-version="$nsis_version" --rounds="${ROUNDS:-15}" ${fsyncs:+--fsyncs="$fsyncs"} \
    </dev/null | tr -d '\r' >>"$report"
fi
if [[ " $parts " == *" sizes "* ]]; then
  [ -s "$report" ] && echo >>"$report"
  bench_sampled wine "$sizes_exe" "${set_args[@]}" --rounds="${SIZE_ROUNDS:-${ROUNDS:-15}}" </dev/null \
    | tr -d '\r' >>"$report"
fi
mv "$report" build/bench/peer.md
# The document holds both parts.
[[ " $parts " == *" sample "* && " $parts " == *" sizes "* ]] && cp build/bench/peer.md docs/peer-bench.md
cat build/bench/peer.md
