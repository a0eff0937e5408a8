#!/usr/bin/env bash
# Builds Release and runs every benchmark of the module against hand-written ODBC, on SQLite
# and on a private PostgreSQL server, plus the file transfers; prints one table.
#   DAVRIX_BUILD_DIR   build folder (default build-bench)
#   DAVRIX_BENCH_ONLY  run only the cases whose name contains this text
# Takes a few minutes on 2 cores; run it on a quiet machine, the figures are ratios of
# timings taken side by side but still suffer from other load.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

# The source measured: taken before building, as others may commit meanwhile.
revision=$(git -C "$root" describe --always --dirty 2>/dev/null || echo unknown)
build=${DAVRIX_BUILD_DIR:-$root/build-bench}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DDAVRIX_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target davrix_bench -j"$(nproc)"
bench=$build/bench/davrix_bench

work=$(mktemp -d /tmp/davrix-bench.XXXXXX)
pgdir=$(mktemp -d /tmp/davrix-bench-pg.XXXXXX)
cleanup() { "$root/scripts/pg-server.sh" stop "$pgdir" || true; rm -rf "$pgdir" "$work"; }
trap cleanup EXIT
eval "$("$root/scripts/pg-server.sh" start "$pgdir")"

# unixODBC reads its folder once per process: every step below sees only this one.
export ODBCSYSINI=$work/odbc
only=()
[ -n "${DAVRIX_BENCH_ONLY:-}" ] && only=(--only "$DAVRIX_BENCH_ONLY")

echo "preparing the databases (100,000 faults, 1,000,000 run-log rows on each)"
"$bench" setup --work "$work" --pg-host "$DAVRIX_PG_HOST" --pg-port "$DAVRIX_PG_PORT" --pg-user "$DAVRIX_PG_USER"
results=$work/results.tsv
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for database in sqlite postgresql file; do
  echo "running: $database"
  "$bench" run --database "$database" --work "$work" --out "$results" "${only[@]}"
done

{
  echo "Command: scripts/run-bench.sh ($(date -u '+%Y-%m-%d %H:%M UTC'), source $revision)"
  "$bench" report "$results"
} | tee "$build/bench-results.md"
