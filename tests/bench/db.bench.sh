#!/bin/bash
# The record store against SQLite: time per operation and peak heap of one
# operation, as tables in build/bench/db.md (docs/db-bench.md explains them).
# With CV_DB_BENCH_BASE naming the db_bench of an earlier commit, the unsynced
# put of both is timed in turns as well (build/bench/db-base.md).
set -euo pipefail
cd "$(dirname "$0")/../.."
bench=${CV_DB_BENCH:-build/bench-host/tests/bench/db_bench}
out=build/bench
mkdir -p "$out/db-files"
CV_BENCH_DIR=$PWD/$out/db-files "$bench" --benchmark_repetitions=5 \
  --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true --benchmark_format=json >"$out/db.json"
python3 - "$out/db.json" >"$out/db.md" <<'PY'
import json, sys
runs = [b for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("aggregate_name") == "median"]
rows = {}
for b in runs:
    _, job, keys, depth = b["run_name"].split("/")
    rows.setdefault((int(keys), int(depth)), {})[job] = b
order = sorted(rows, key=lambda k: (k[1], k[0]))
def us(b):
    return "%.0f / %.0f" % (b["real_time"], b["cpu_time"])
def ratio(a, b):
    return "%.2f" % (a["real_time"] / b["real_time"])
print("Writes (PutRecordStrings):")
print()
print("| keys in root index | path depth | engine, durable µs (wall / CPU) | SQLite synchronous=FULL µs "
      "| engine / SQLite | engine --no-sync µs | SQLite synchronous=OFF µs | --no-sync / OFF "
      "| deflating the root index µs | engine peak KiB | largest index KiB | SQLite peak KiB |")
print("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
for k in order:
    r = rows[k]
    e, s, n, o = r["EnginePutRecordStrings"], r["SqlitePut"], r["EnginePutNoSync"], r["SqlitePutNoSync"]
    d = r.get("EngineDeflateRoot")
    print("| %d | %d | %s | %s | %s | %s | %s | %s | %s | %.0f | %.1f | %.0f |" % (
        k[0], k[1], us(e), us(s), ratio(e, s), us(n), us(o), ratio(n, o),
        "%.0f" % d["real_time"] if d else "–", e["peak_kB"], e["index_kB"], s["peak_kB"]))
print()
print("Reads:")
print()
print("| operation | keys in root index | path depth | engine µs (wall / CPU) | engine, indexes not kept µs "
      "| SQLite µs (wall / CPU) | engine / SQLite | engine peak KiB | largest index KiB | SQLite peak KiB |")
print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
zlib = kept = 0
for name, engine, cold, sqlite in [("GetRecordStrings", "EngineGetRecordStrings", "EngineGetCold", "SqliteGet"),
                                   ("GetInitValue", "EngineGetInitValue", None, "SqliteGetInitValue")]:
    for k in order:
        r = rows[k]
        if engine not in r:
            continue
        e, s = r[engine], r[sqlite]
        zlib = max(zlib, e.get("zlib_cache_kB", 0))
        kept = max(kept, e.get("index_cache_kB", 0))
        print("| %s | %d | %d | %s | %s | %s | %s | %.0f | %.1f | %.0f |" % (
            name, k[0], k[1], us(e), us(r[cold]) if cold else "–", us(s), ratio(e, s),
            e["peak_kB"], e["index_kB"], s["peak_kB"]))
print()
print("Kept between operations: the zlib streams' blocks, %.0f KiB; the indexes last read or "
      "written, at most %.0f KiB (10,000 keys)." % (zlib, kept))
PY
cat "$out/db.md"

base=${CV_DB_BENCH_BASE:-}
[ -n "$base" ] || exit 0
# The unsynced put of this commit against the put of an earlier one (which
# never waited for the disk), alternating, on the same files.
rounds=${CV_DB_BENCH_ROUNDS:-7}
: >"$out/db-base.txt"
for round in $(seq "$rounds"); do
  for side in base new; do
    if [ $side = base ]; then bin=$base job=EnginePutRecordStrings; else bin=$bench job=EnginePutNoSync; fi
    CV_BENCH_DIR=$PWD/$out/db-files "$bin" --benchmark_filter="Run/$job/(10|1000)/1\$" \
      --benchmark_repetitions=5 --benchmark_report_aggregates_only=true --benchmark_format=json |
      python3 -c "
import json, sys
for b in json.load(sys.stdin)['benchmarks']:
    if b.get('aggregate_name') == 'median':
        print('$side', b['run_name'].split('/')[2], '%.1f' % b['real_time'], '%.1f' % b['cpu_time'])
" >>"$out/db-base.txt"
  done
done
python3 - "$out/db-base.txt" >"$out/db-base.md" <<'PY'
import statistics, sys
data = {}
for line in open(sys.argv[1]):
    side, keys, wall, cpu = line.split()
    data.setdefault((int(keys), side), []).append((float(wall), float(cpu)))
print("| keys | earlier put µs (wall, each round) | --no-sync put µs (wall, each round) | --no-sync / earlier (medians, wall) | (CPU) |")
print("|---:|---|---|---:|---:|")
for keys in sorted({k for k, _ in data}):
    b, n = data[(keys, "base")], data[(keys, "new")]
    med = lambda xs, i: statistics.median(x[i] for x in xs)
    print("| %d | %s | %s | %.2f (%.0f / %.0f) | %.2f |" % (
        keys, ", ".join("%.0f" % x[0] for x in b), ", ".join("%.0f" % x[0] for x in n),
        med(n, 0) / med(b, 0), med(n, 0), med(b, 0), med(n, 1) / med(b, 1)))
PY
cat "$out/db-base.md"
