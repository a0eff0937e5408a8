#!/usr/bin/env bash
# Installs what is missing, builds, starts a private PostgreSQL server and runs every test
# on SQLite and PostgreSQL. DAVRIX_SANITIZE=1 builds with AddressSanitizer and UBSan.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DDAVRIX_WERROR=ON)
build=${DAVRIX_BUILD_DIR:-$root/build}
if [ "${DAVRIX_SANITIZE:-0}" = 1 ]; then
  args+=(-DDAVRIX_SANITIZE=ON -DDAVRIX_BUILD_BENCH=OFF)
  build=${DAVRIX_BUILD_DIR:-$root/build-asan}
  # Leaks inside the ODBC drivers and the driver manager are theirs, not ours.
  export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
  # Full stacks on allocation, so that suppressions can name the library that leaked.
  export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
cmake -S "$root" -B "$build" "${args[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"

pgdir=$(mktemp -d /tmp/davrix-pg.XXXXXX)
cleanup() { "$root/scripts/pg-server.sh" stop "$pgdir" || true; rm -rf "$pgdir"; }
trap cleanup EXIT
eval "$("$root/scripts/pg-server.sh" start "$pgdir")"
export DAVRIX_PG_HOST DAVRIX_PG_PORT DAVRIX_PG_USER
export DAVRIX_REQUIRE_PG=1

cd "$build"
ctest --output-on-failure -j"$(nproc)"
