#!/usr/bin/env bash
# Builds and runs the tracking benchmark; starts an Xvfb of its own when no
# display is given in TQ7_TEST_DISPLAY. Extra arguments go to the benchmark.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build="${TQ7_BUILD_DIR:-$top/build}"
[ -f "$build/build.ninja" ] || cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target bench_tracking q7sim
if [ -z "${TQ7_TEST_DISPLAY:-}" ]; then
  # shellcheck source=scripts/services.sh
  source "$top/scripts/services.sh"
  trap stop_services EXIT
  start_xvfb
fi
"$build/bench/tracking/bench_tracking" "$@"
