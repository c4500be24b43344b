#!/bin/bash
# The record store against SQLite: time per operation and peak heap of one
# operation, as a table in build/bench/db.md (docs/db-bench.md explains it).
set -euo pipefail
cd "$(dirname "$0")/../.."
bench=${CV_DB_BENCH:-build/bench-host/tests/bench/db_bench}
out=build/bench
mkdir -p "$out/db-files"
CV_BENCH_DIR=$PWD/$out/db-files "$bench" --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true --benchmark_format=json >"$out/db.json"
python3 - "$out/db.json" >"$out/db.md" <<'PY'
import json, sys
runs = [b for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("aggregate_name") == "median"]
rows = {}
for b in runs:
    _, job, keys, depth = b["run_name"].split("/")
    rows.setdefault((keys, depth), {})[job] = b
jobs = [("PutRecordStrings", "EnginePutRecordStrings", "SqlitePut", "SqlitePutNoSync", "EnginePutSync"),
        ("GetRecordStrings", "EngineGetRecordStrings", "SqliteGet", None, None),
        ("GetInitValue", "EngineGetInitValue", "SqliteGetInitValue", None, None)]
def us(b):
    return "%.0f / %.0f" % (b["real_time"], b["cpu_time"])
print("| operation | keys in root index | path depth | engine µs (wall / CPU) | SQLite µs (wall / CPU) "
      "| SQLite synchronous=OFF µs | engine with sync µs | engine sync / SQLite | engine peak KiB "
      "| largest index KiB | peak / index | SQLite peak KiB |")
print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
cache = 0
for name, engine, sqlite, nosync, durable in jobs:
    for (keys, depth), r in sorted(rows.items(), key=lambda kv: (int(kv[0][1]), int(kv[0][0]))):
        if engine not in r:
            continue
        e, s = r[engine], r[sqlite]
        cache = max(cache, e.get("zlib_cache_kB", 0))
        d = r[durable] if durable else None
        print("| %s | %s | %s | %s | %s | %s | %s | %s | %.0f | %.1f | %.1f | %.0f |" % (
            name, keys, depth, us(e), us(s), us(r[nosync]) if nosync else "–", us(d) if d else "–",
            "%.2f" % (d["real_time"] / s["real_time"]) if d else "–", e["peak_kB"],
            e["index_kB"], e["peak_kB"] / e["index_kB"], s["peak_kB"]))
print()
print("Kept between operations by the zlib streams' block cache: %.0f KiB." % cache)
PY
cat "$out/db.md"
