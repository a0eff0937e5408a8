#!/usr/bin/env bash
# Where the time of one benchmark case goes, side by side with its reference:
#  - instructions per operation by library, counted by valgrind --tool=callgrind (the
#    module's operation and the hand-written reference are collected separately);
#  - instructions per operation of the stand-in's and module's own entry points;
#  - on PostgreSQL, the statements the server receives per operation (its log).
#   bench/profile.sh sqlite|postgresql CASE [OPS]       CASE: 1 2 3 4 6 (the table's numbers)
# Uses the build of scripts/run-bench.sh (DAVRIX_BUILD_DIR, default build-bench).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
database=${1:?usage: bench/profile.sh sqlite|postgresql CASE [OPS]}
case_no=${2:?usage: bench/profile.sh sqlite|postgresql CASE [OPS]}
command -v valgrind >/dev/null || { echo "valgrind is needed (apt-get install valgrind)" >&2; exit 1; }

# The case's name prefix and the functions that hold each side's operation (anchored:
# callgrind toggles collection on entering any function whose name matches).
case "$case_no" in
  1) only="1. CTblFault::Save"; module='bench::(anonymous namespace)::ModuleSaveFault(*'; reference='bench::(anonymous namespace)::RawFaultSave::Save(*'; ops_default=100 ;;
  2) only="2. CTblFault::GetRecord"; module='bench::(anonymous namespace)::ModuleGetRecord(*'; reference='bench::(anonymous namespace)::RawFaultGet::Get(*'; ops_default=200 ;;
  3) only="3. Read VIEW_FAULT"; module='bench::(anonymous namespace)::ModuleReadView(*'; reference='bench::(anonymous namespace)::RawViewRead::Read(*'; ops_default=1 ;;
  4) only="4b. CTblRunLog::Save"; module='bench::(anonymous namespace)::ModuleSaveRunLog(*'; reference='bench::(anonymous namespace)::RawRunLogInsert::Insert(*'; ops_default=20 ;;
  6) only="6b. Stand-in CRecordset"; module='bench::(anonymous namespace)::StandInAddRow(*'; reference='bench::(anonymous namespace)::RawRunLogInsert::Insert(*'; ops_default=20 ;;
  *) echo "unknown case $case_no (1 2 3 4 6)" >&2; exit 2 ;;
esac
ops=${3:-$ops_default}

build=${DAVRIX_BUILD_DIR:-$root/build-bench}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DDAVRIX_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target davrix_bench -j"$(nproc)" >/dev/null
bench=$build/bench/davrix_bench

work=$(mktemp -d /tmp/davrix-profile.XXXXXX)
pgdir=$(mktemp -d /tmp/davrix-profile-pg.XXXXXX)
cleanup() { "$root/scripts/pg-server.sh" stop "$pgdir" >/dev/null 2>&1 || true; [ -n "${DAVRIX_PROFILE_KEEP:-}" ] || rm -rf "$pgdir" "$work"; }
trap cleanup EXIT
export ODBCSYSINI=$work/odbc
pg=()
if [ "$database" = postgresql ]; then
  eval "$("$root/scripts/pg-server.sh" start "$pgdir")"
  pg=(--pg-host "$DAVRIX_PG_HOST" --pg-port "$DAVRIX_PG_PORT" --pg-user "$DAVRIX_PG_USER")
fi
"$bench" setup --work "$work" "${pg[@]}" 2>/dev/null

run() { "$bench" run --database "$database" --work "$work" --out /dev/null --only "$only" --ops "$ops" "$@"; }

for side in module reference; do
  pattern=$module
  [ "$side" = reference ] && pattern=$reference
  valgrind --tool=callgrind --callgrind-out-file="$work/cg.$side" --toggle-collect="$pattern" \
    "$bench" run --database "$database" --work "$work" --out /dev/null --only "$only" --ops "$ops" >/dev/null 2>&1
  callgrind_annotate --threshold=100 "$work/cg.$side" >"$work/self.$side" 2>/dev/null
  callgrind_annotate --threshold=100 --inclusive=yes "$work/cg.$side" >"$work/incl.$side" 2>/dev/null
done

# Exclusive instructions summed by shared object, per operation.
by_object() {
  awk -v ops="$((ops + 1))" '
    /^ *[0-9,]+ .*\[.*\]$/ {
      n = $1; gsub(",", "", n)
      obj = $NF; gsub(/[\[\]]/, "", obj); sub(".*/", "", obj)
      sum[obj] += n
    }
    END { for (o in sum) printf "%s\t%.0f\n", o, sum[o] / ops }' "$1"
}
echo
echo "$database, case $case_no ($only...), $ops operations (+1 untimed, counted too): instructions per operation by library"
join -t $'\t' -a1 -a2 -e 0 -o 0,1.2,2.2 <(by_object "$work/self.module" | sort) <(by_object "$work/self.reference" | sort) |
  sort -t $'\t' -k2,2nr | awk -F'\t' 'BEGIN { printf "%-40s %14s %14s\n", "library", "module", "reference" }
    $2 + $3 >= 1000 { printf "%-40s %14.0f %14.0f\n", $1, $2, $3; a += $2; b += $3 }
    END { printf "%-40s %14.0f %14.0f\n", "total (libraries above 1,000)", a, b }'

echo
echo "module side: instructions per operation, inclusive, of the layers' entry points"
for fn in 'CDadRecordset::Open()' 'CDatabase::OpenEx(' 'CDatabase::Close()' 'CRecordset::Open(' 'CRecordset::Requery()' \
          'CRecordset::Move(' 'FetchRow(' 'CRecordset::Update()' 'CRecordset::Close()' 'TakeStatement(' \
          'GiveStatement(' 'davrix::text::FromUtf8(' 'davrix::text::ToUtf8(' 'SQLDriverConnect' 'SQLDisconnect' \
          'SQLPrepare' 'SQLExecDirect' 'SQLExecute' 'SQLFetch' 'SQLFreeHandle' 'SQLFreeStmt' 'SQLGetInfo' \
          'SQLPrimaryKeys' 'iconv' 'malloc' 'free'; do
  awk -v fn="$fn" -v ops="$((ops + 1))" '
    /^ *[0-9,]+ / { line = $0; sub(/^ *[0-9,]+ *(\([^)]*\))? */, "", line); sub(/^[^:]*:/, "", line)
      if (index(line, fn) == 1 && !done) { n = $1; gsub(",", "", n); printf "  %-28s %12.0f\n", fn, n / ops; done = 1 } }' \
    "$work/incl.module"
done

if [ "$database" = postgresql ]; then
  # Statements the server received per operation, module side and reference side apart.
  db=davrix_bench
  psql_exec() { psql -h "$DAVRIX_PG_HOST" -p "$DAVRIX_PG_PORT" -U "$DAVRIX_PG_USER" -qAt "$@"; }
  psql_exec -d postgres -c "ALTER DATABASE $db SET log_min_duration_statement = 0"
  start=$(wc -l <"$pgdir/server.log")
  run 2>"$work/run.err" >/dev/null
  psql_exec -d postgres -c "ALTER DATABASE $db RESET log_min_duration_statement"
  rawpid=$(sed -n 's/.*reference backend pid \([0-9]*\).*/\1/p' "$work/run.err" | head -n 1)
  echo
  echo "server statements per operation (reference backend pid ${rawpid:-?}; one untimed operation included)"
  tail -n +"$((start + 1))" "$pgdir/server.log" | awk -v raw="$rawpid" -v ops="$((ops + 1))" '
    / duration: / {
      pid = $0; sub(/^[^[]*\[/, "", pid); sub(/\].*/, "", pid)
      ms = $0; sub(/.* duration: /, "", ms); sub(/ ms.*/, "", ms)
      text = $0; sub(/.* ms  /, "", text); sub(/^(statement|execute [^:]*|parse [^:]*|bind [^:]*): /, "&", text)
      side = (pid == raw) ? "reference" : "module"
      kind = text; sub(/:.*/, "", kind)
      n[side]++; t[side] += ms
      stmt = text; gsub(/[0-9]+/, "#", stmt); stmt = substr(stmt, 1, 110)
      c[side "\t" stmt]++
    }
    END {
      for (s in n) printf "%-10s %6.1f statements/op, %8.3f ms server time/op\n", s, n[s] / ops, t[s] / ops
      for (k in c) { split(k, p, "\t"); printf "  %-10s %6.2f/op  %s\n", p[1], c[k] / ops, p[2] }
    }' | sort
fi
