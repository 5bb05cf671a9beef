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

# The Windows parts: cross-built with mingw-w64, their tests run under Wine.
win32_build="${TQ7_WIN32_BUILD_DIR:-$top/build-win32}"
with_wine=
if [ -x /usr/lib/wine/wine64 ]; then
  with_wine=1
  cmake -S "$top" -B "$win32_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo --no-warn-unused-cli \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" >/dev/null
  cmake --build "$win32_build"
fi

trap stop_services EXIT
start_xvfb
start_postgres

rc=0
(cd "$build" && ctest --output-on-failure -j"$(nproc)" "$@") || rc=$?
if [ -n "$with_wine" ]; then
  start_wine_prefix
  (cd "$win32_build" && ctest --output-on-failure -j"$(nproc)" "$@") || rc=$?
fi
exit "$rc"
