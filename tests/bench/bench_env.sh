# Sourced by the *.bench.sh scripts from the top of the tree: the release
# builds they measure. CV_BENCH_WIN32_DIR / CV_BENCH_HOST_DIR choose others.
win=${CV_BENCH_WIN32_DIR:-build/bench-win32}
host=${CV_BENCH_HOST_DIR:-build/bench-host}

# The path of a driver of the Windows build (bench_driver bench_install); a
# message and a failure when it was not built.
bench_driver() {
  local exe=$win/tests/bench/$1.exe
  [ -f "$exe" ] || { echo "missing $exe (run tests/bench/run.sh)" >&2; return 1; }
  echo "$exe"
}

# The sample distribution of the Windows build, $win/dist, laid out anew.
bench_dist() {
  CV_WIN32_DIR=$win CV_HOST_DIR=$host bash tools/make_dist.sh >/dev/null
}

# Times on a shared machine: what else ran says how far to trust them.
# bench_sampled COMMAND...: runs it with the load average sampled every 5 s
# beside it, then prints a line naming Wine, the cores and that load.
bench_sampled() {
  local loads sampler status=0 lmin lmed lmax
  loads=$(mktemp)
  (while :; do cut -d' ' -f1 /proc/loadavg >>"$loads"; sleep 5; done) &
  sampler=$!
  "$@" || status=$?
  kill "$sampler" && wait "$sampler" 2>/dev/null || true
  read -r lmin lmed lmax < <(sort -n "$loads" | awk '{ v[NR] = $1 } END { print v[1], v[int((NR + 1) / 2)], v[NR] }')
  printf '\nTaken under %s on %s cores shared with other work; load average (1 min) sampled every 5 s while the rounds ran: %s / %s / %s (min / median / max), %s samples.\n' \
    "$(wine --version)" "$(nproc)" "$lmin" "$lmed" "$lmax" "$(wc -l <"$loads")"
  rm -f "$loads"
  return "$status"
}
