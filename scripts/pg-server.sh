#!/usr/bin/env bash
# Starts or stops a private PostgreSQL server for the tests and benchmarks.
#   scripts/pg-server.sh start DIR   -> prints shell exports (PG socket dir, port, database)
#   scripts/pg-server.sh stop DIR
# The server listens on a unix socket inside DIR and on 127.0.0.1 at a free port only,
# trusts local connections, and runs as the postgres user when started by root.
set -euo pipefail

cmd=${1:?usage: pg-server.sh start|stop DIR}
dir=${2:?usage: pg-server.sh start|stop DIR}
bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bindir/initdb" ] || { echo "pg-server.sh: PostgreSQL server binaries not found" >&2; exit 1; }

as_owner() {
  if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

free_port() {
  python3 - <<'PY' 2>/dev/null || echo $((20000 + RANDOM % 20000))
import socket
s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()
PY
}

case "$cmd" in
start)
  mkdir -p "$dir"
  [ "$(id -u)" = 0 ] && chown postgres "$dir"
  if [ ! -f "$dir/data/PG_VERSION" ]; then
    as_owner "$bindir/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 \
      || { cat "$dir/initdb.log" >&2; exit 1; }
  fi
  # A restarted server keeps its port, so data sources written for it stay valid.
  if [ -f "$dir/port" ]; then port=$(cat "$dir/port"); else port=$(free_port); fi
  as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-c listen_addresses=127.0.0.1 -c port=$port -c unix_socket_directories=$dir -c fsync=off -c max_connections=200" \
    start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
  echo "$port" >"$dir/port"
  echo "export DAVRIX_PG_HOST=$dir DAVRIX_PG_PORT=$port DAVRIX_PG_USER=postgres"
  ;;
stop)
  [ -f "$dir/data/postmaster.pid" ] && as_owner "$bindir/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null || true
  ;;
*)
  echo "usage: pg-server.sh start|stop DIR" >&2; exit 2 ;;
esac
