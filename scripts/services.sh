# Services for the tests and the demo; sourced by the scripts.
# Each start_* exports what the tests read; stop_services ends them all.

# Installs the packages and configures the build in $build.
tq7_configure() {
  "$top/scripts/install-deps.sh"
  build="${TQ7_BUILD_DIR:-$top/build}"
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
}

_tq7_pids=()
_tq7_dirs=()

# An X server of our own, so tests never touch the user's desktop.
start_xvfb() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  # -noreset: otherwise the server restarts whenever its last client leaves
  # and refuses connections meanwhile, which breaks tests run one by one.
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  _tq7_pids+=($!)
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.05
  done
  export TQ7_TEST_DISPLAY=":$n"
}

# PostgreSQL on loopback in a temporary directory, run as the postgres user
# when we are root (it refuses to run as root).
start_postgres() {
  local bin dir port run=()
  bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
  [ -n "$bin" ] || { echo "PostgreSQL is not installed; its tests are skipped" >&2; return 0; }
  dir=$(mktemp -d /tmp/tq7-pg.XXXXXX)
  _tq7_dirs+=("$dir")
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres "$dir"
    run=(runuser -u postgres --)
  fi
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  "${run[@]}" "$bin/initdb" -D "$dir/data" -U tq7 --auth=trust -E UTF8 >/dev/null
  "${run[@]}" "$bin/pg_ctl" -D "$dir/data" -o "-p $port -k $dir -c listen_addresses=127.0.0.1" -l "$dir/log" -w start >/dev/null
  _tq7_pg=("${run[@]}" "$bin/pg_ctl" -D "$dir/data" -m fast -w stop)
  export TQ7_TEST_PG="host=127.0.0.1 port=$port user=tq7 dbname=postgres"
  export TQ7_TEST_PG_PORT="$port"
}

# A Wine prefix of our own for the Windows tests (scripts/wine-run.sh fills
# it on first use).
start_wine_prefix() {
  WINEPREFIX=$(mktemp -d /tmp/tq7-wine.XXXXXX)
  export WINEPREFIX
  _tq7_dirs+=("$WINEPREFIX" "$WINEPREFIX.lock")
  _tq7_wineprefix="$WINEPREFIX"
}

stop_services() {
  if [ -n "${_tq7_pg+x}" ]; then "${_tq7_pg[@]}" >/dev/null 2>&1 || true; fi
  if [ -n "${_tq7_wineprefix:-}" ]; then
    WINEPREFIX="$_tq7_wineprefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  fi
  local p d
  for p in "${_tq7_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for d in "${_tq7_dirs[@]}"; do rm -rf "$d"; done
}

# The demo site in $1: journal and Q7 databases, the data-provider file (found
# as the only one in the data-links folder) and Q7's ODBC data source in a
# user odbc.ini, never the system's. $2 is the build directory.
make_demo_site() {
  local dir=$1 build=${2:-build}
  [ -e "$dir/journal.sqlite" ] || "$build/tools/demo-data/demo-data" "$dir" >/dev/null
  export ODBCINI="$dir/odbc.ini"
  export TQ7_DATALINKS_DIR="$dir/"
}
