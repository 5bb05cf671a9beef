#!/usr/bin/env bash
# The whole test suite: installs what it needs, builds, starts the services
# the tests use (Xvfb, PostgreSQL), runs CTest and stops the services again.
# Extra arguments go to ctest (for example: -L toolkit).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/services.sh
source "$top/scripts/services.sh"
tq7_configure
cmake --build "$build"

trap stop_services EXIT
start_xvfb
start_postgres

cd "$build"
ctest --output-on-failure -j"$(nproc)" "$@"
