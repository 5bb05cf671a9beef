#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine (CTest's emulator).
# WINEPREFIX: the test script sets a temporary one; else one per user in /tmp.
# The tests' X display (TQ7_TEST_DISPLAY) is Wine's display.
set -euo pipefail
wine=${TQ7_WINE:-/usr/lib/wine/wine64}
export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/tq7-wineprefix-$(id -u)}"
export WINEDEBUG=-all
# No installer dialogs for Wine's .NET and HTML engines.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -n "${TQ7_TEST_DISPLAY:-}" ]; then
  export DISPLAY="$TQ7_TEST_DISPLAY"
fi
# The first run makes the prefix, once, even when tests start in parallel.
# Windows are left unmanaged: without a window manager Wine would otherwise
# wait two seconds for each top-level window that goes away.
ready="$WINEPREFIX/.tq7-ready"
if [ ! -e "$ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -e "$ready" ]; then
      "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
      touch "$ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec "$wine" "$@"
