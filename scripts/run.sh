#!/usr/bin/env bash
# The main job: builds the floater and runs it on the embedded demo data.
# Without a display it runs under Xvfb, takes a screenshot and says where it is.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/services.sh
source "$top/scripts/services.sh"
tq7_configure
cmake --build "$build" --target q7floater q7sim demo-data

# The demo keeps its settings and data apart from any real installation.
demo="$build/demo"
mkdir -p "$demo/run"
chmod 700 "$demo/run"
export TQ7_REGISTRY_USER="$demo/user.reg" TQ7_REGISTRY_MACHINE="$demo/machine.reg"
export XDG_CONFIG_HOME="$demo/config" XDG_RUNTIME_DIR="$demo/run"
# The demo journal, Q7's database behind the "BorvikQ7" ODBC data source, and
# settings that point the floater at them.
make_demo_site "$demo/site" "$build"
cd "$demo"
"$build/tools/demo-data/demo-data" --settings "$demo/site"

trap stop_services EXIT
headless=
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  start_xvfb
  export DISPLAY="$TQ7_TEST_DISPLAY"
fi
# The demo Q7 shows a patient; the floater follows it.
"$build/tools/q7sim/q7sim" --stay "$top/tools/q7sim/scenarios/patient.q7s" </dev/null &
_tq7_pids+=($!)

if [ -z "$headless" ]; then
  "$build/app/q7floater" --state-file "$demo/state.json" "$@"
  exit
fi
"$build/app/q7floater" --state-file "$demo/state.json" "$@" &
floater=$!
for _ in $(seq 1 100); do [ -s "$demo/state.json" ] && break; sleep 0.1; done
sleep 3
shot="$demo/floater.png"
import -window root "$shot"
kill "$floater" 2>/dev/null || true
wait "$floater" 2>/dev/null || true
echo "The floater ran under Xvfb; screenshot: $shot"
echo "What it showed: $demo/state.json"
