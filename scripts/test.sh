#!/usr/bin/env bash
# The whole test suite: installs what it needs, builds, starts the services
# the tests use (Xvfb, PostgreSQL), runs CTest and stops the services again.
# Extra arguments go to ctest (for example: -L toolkit).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
# shellcheck source=scripts/services.sh
source "$top/scripts/services.sh"

build="${TQ7_BUILD_DIR:-$top/build}"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"

trap stop_services EXIT
start_xvfb
start_postgres

cd "$build"
ctest --output-on-failure -j"$(nproc)" "$@"
