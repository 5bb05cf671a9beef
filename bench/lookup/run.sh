#!/usr/bin/env bash
# Runs the lookup benchmark on SQLite and on a PostgreSQL server of its own.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=scripts/services.sh
source "$top/scripts/services.sh"
build="${TQ7_BUILD_DIR:-$top/build}"
cmake --build "$build" --target lookup_bench
trap stop_services EXIT
start_postgres
"$build/bench/lookup/lookup_bench" "$@"
