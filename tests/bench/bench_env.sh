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
