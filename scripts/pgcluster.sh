# Sourced by test.sh: a private PostgreSQL cluster for the tests, on loopback, in a temporary
# directory, owned by an unprivileged user (the server refuses to run as root). pg_cluster_start
# exports the connection for the tests and arranges pg_cluster_stop for the end of the shell,
# also after a failure.
PG_BIN=/usr/lib/postgresql/15/bin
PG_TMP=""
PG_AS=()

pg_cluster_stop() {
  [ -n "$PG_TMP" ] || return 0
  if [ -f "$PG_TMP/data/postmaster.pid" ]; then
    "${PG_AS[@]}" "$PG_BIN/pg_ctl" -D "$PG_TMP/data" -m fast -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$PG_TMP"
  PG_TMP=""
}

pg_cluster_start() {
  if [ "$(id -u)" -eq 0 ]; then
    id postgres >/dev/null 2>&1 || useradd --system --home-dir /nonexistent --shell /usr/sbin/nologin postgres
    PG_AS=(runuser -u postgres --)
  fi
  PG_TMP=$(mktemp -d "${TMPDIR:-/tmp}/hw-pg.XXXXXX")
  trap pg_cluster_stop EXIT
  local owner
  owner=$("${PG_AS[@]}" id -un)
  chown "$owner" "$PG_TMP"
  local password
  password=$(head -c 24 /dev/urandom | base64 | tr -dc 'A-Za-z0-9')
  printf '%s\n' "$password" >"$PG_TMP/pw"
  chown "$owner" "$PG_TMP/pw"
  chmod 600 "$PG_TMP/pw"
  # C collation: texts sort by code point, as in the embedded database.
  "${PG_AS[@]}" "$PG_BIN/initdb" -D "$PG_TMP/data" -U hwtest --pwfile="$PG_TMP/pw" --auth=scram-sha-256 \
    --no-locale -E UTF8 >"$PG_TMP/initdb.log" 2>&1 || { cat "$PG_TMP/initdb.log"; return 1; }
  rm -f "$PG_TMP/pw"
  local port started=0
  for _ in 1 2 3 4 5; do
    port=$((20000 + RANDOM % 30000))
    # Durability is not needed for test data: no fsync.
    if "${PG_AS[@]}" "$PG_BIN/pg_ctl" -D "$PG_TMP/data" -l "$PG_TMP/server.log" -w -t 60 \
         -o "-c listen_addresses=127.0.0.1 -p $port -k $PG_TMP -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
         start >/dev/null; then
      started=1
      break
    fi
  done
  if [ "$started" -ne 1 ]; then
    echo "test: the PostgreSQL test server did not start" >&2
    cat "$PG_TMP/server.log" >&2 || true
    return 1
  fi
  export HW_TEST_PGHOST=127.0.0.1 HW_TEST_PGPORT=$port HW_TEST_PGUSER=hwtest PGPASSWORD=$password
  echo "test: PostgreSQL test server on 127.0.0.1:$port ($PG_TMP)"
}
