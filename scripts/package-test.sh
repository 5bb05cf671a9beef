#!/usr/bin/env bash
# The Debian packages end to end: builds them from the build in $1 with CPack,
# checks them with lintian, installs them with apt-get, runs the installed
# floater on a demo site on the X server $TQ7_TEST_DISPLAY and purges them
# again; the packages stay in $1/packages. Exit 77 (skipped) when apt-get cannot be run as root or when the
# floater's package is already installed here: a real installation is never
# replaced or removed by a test.
set -euo pipefail
build=$(cd "${1:?usage: package-test.sh BUILD_DIR}" && pwd)
display=${TQ7_TEST_DISPLAY:?scripts/test.sh starts Xvfb and sets TQ7_TEST_DISPLAY}

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo -n true 2>/dev/null || { echo "SKIP: apt-get needs root or sudo"; exit 77; }
  sudo=(sudo -n)
fi
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for p in tervalen-q7floater tervalen-q7-tools; do
  if installed "$p"; then echo "SKIP: $p is installed on this machine"; exit 77; fi
done

work=$(mktemp -d /tmp/tq7-package.XXXXXX)
pids=()
ours=
finish() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  if [ -n "$ours" ]; then
    "${sudo[@]}" apt-get purge -y -qq -o DPkg::Lock::Timeout=600 tervalen-q7floater tervalen-q7-tools \
      >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap finish EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

echo "== cpack"
out="$build/packages"
rm -rf "$out"
(cd "$build" && cpack -G DEB -B "$out" >"$work/cpack.log") || { cat "$work/cpack.log"; fail "cpack"; }
rm -rf "$out/_CPack_Packages"
debs=("$out"/tervalen-q7floater_*.deb "$out"/tervalen-q7-tools_*.deb)
for d in "${debs[@]}"; do [ -f "$d" ] || fail "no package $d"; done

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "${debs[@]}" || fail "lintian reports errors"

echo "== apt-get install"
ours=1
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  -o DPkg::Lock::Timeout=600 "${debs[@]}" || fail "apt-get install"

echo "== installed program"
[ "$(command -v q7floater)" = /usr/bin/q7floater ] || fail "q7floater is not /usr/bin/q7floater"
version=$(dpkg-query -W -f='${Version}' tervalen-q7floater)
[ "$(q7floater --version)" = "q7floater $version" ] || fail "--version: $(q7floater --version)"
q7floater --help | grep -q -- '--state-file' || fail "--help"
# Read from the package: a machine may keep dpkg from unpacking manuals.
dpkg-deb -c "${debs[0]}" | grep -q ' ./usr/share/man/man1/q7floater.1.gz$' || fail "no manual page"
for f in /usr/share/applications/tervalen-q7floater.desktop /etc/xdg/autostart/tervalen-q7floater.desktop \
         /usr/share/icons/hicolor/scalable/apps/tervalen-q7floater.svg; do
  [ -f "$f" ] || fail "missing $f"
done
getent group tervalen >/dev/null || fail "no group tervalen"
for d in /etc/tervalen "/etc/tervalen/Data Links"; do
  [ "$(stat -c '%U:%G %a' "$d")" = "root:tervalen 2775" ] || fail "$d is $(stat -c '%U:%G %a' "$d")"
done

echo "== installed floater on a demo site"
tools=/usr/libexec/tervalen-q7
export DISPLAY=$display QT_QPA_PLATFORM=xcb HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
unset TQ7_REGISTRY_USER TQ7_REGISTRY_MACHINE TQ7_REGISTRY_CLASSES XDG_CONFIG_HOME XDG_STATE_HOME
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$tools/demo-data" "$work/site" >/dev/null || fail "demo-data"
export ODBCINI="$work/site/odbc.ini" TQ7_DATALINKS_DIR="$work/site/"
# Where the menu and autostart entries start it.
cd /etc/tervalen
"$tools/demo-data" --settings "$work/site" || fail "demo-data --settings"
"$tools/q7sim" --stay /usr/share/tervalen-q7/scenarios/patient.q7s </dev/null &
pids+=($!)
q7floater --state-file "$work/state.json" &
pids+=($!)
shown=
for _ in $(seq 1 300); do
  if [ -s "$work/state.json" ] && python3 - "$work/state.json" <<'PY'
import json, sys
s = json.load(open(sys.argv[1]))
sys.exit(0 if s.get("lastLookedUp") == "19471004-4217" and s.get("patientLabel") else 1)
PY
  then shown=1; break; fi
  sleep 0.1
done
[ -n "$shown" ] || { cat "$work/state.json" 2>/dev/null; fail "the floater did not show the demo patient"; }
python3 -c 'import json,sys; s=json.load(open(sys.argv[1])); print("shown:", s["patientLabel"], s["countLabel"])' \
  "$work/state.json"
[ "$(stat -c %a "$work/state.json")" = 600 ] || fail "state file is $(stat -c %a "$work/state.json")"
[ "$(stat -c '%G %a' /etc/tervalen/machine.reg)" = "tervalen 664" ] ||
  fail "machine.reg is $(stat -c '%G %a' /etc/tervalen/machine.reg)"
cd /
for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
pids=()

echo "== apt-get purge"
"${sudo[@]}" apt-get purge -y -qq -o DPkg::Lock::Timeout=600 tervalen-q7floater tervalen-q7-tools ||
  fail "apt-get purge"
ours=
for p in tervalen-q7floater tervalen-q7-tools; do
  if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -qv 'not-installed'; then fail "$p is left"; fi
done
for f in /usr/bin/q7floater /usr/libexec/tervalen-q7 /etc/tervalen /etc/xdg/autostart/tervalen-q7floater.desktop; do
  [ ! -e "$f" ] || fail "$f is left after purge"
done
! getent group tervalen >/dev/null || fail "group tervalen is left after purge"
echo "package test passed"
