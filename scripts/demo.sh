#!/usr/bin/env bash
# Sets up the machine, builds the program and starts the launcher under Wine in a demo start
# directory ($MV_BUILD/demo). With a display the login window opens there; without one the launcher
# runs under Xvfb and a screenshot of it is saved (its path is printed).
# Log in as ADMIN / ADMIN (administrator), KOVACS / ALMA or NAGY / KORTE.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
"$MV_ROOT/scripts/setup.sh"
MV_BUILDS=windows "$MV_ROOT/scripts/build.sh"
demo=$("$MV_ROOT/scripts/make-demo.sh")

cd "$demo"
if [ -n "${DISPLAY:-}" ]; then
  echo "demo: starting Marvitelkon in $demo"
  exec wine Marvitelkon.exe
fi

shot=$MV_BUILD/demo-screenshot.png
echo "demo: no display; running under Xvfb"
mv_start_xvfb 1024x768
trap 'kill "$MV_XVFB_PID" 2>/dev/null || true' EXIT
# Wine keeps standard error open in what it starts: give it a file, not this script's pipe.
wine Marvitelkon.exe >"$MV_BUILD/demo-wine.log" 2>&1 &
shown=no
for _ in $(seq 600); do
  if xwininfo -root -tree 2>/dev/null | grep -q 'Bejelenkez'; then shown=yes; break; fi
  sleep 0.1
done
if [ $shown = no ]; then
  echo "demo: the login window did not appear within a minute; Wine's output:" >&2
  cat "$MV_BUILD/demo-wine.log" >&2
  wineserver -k 2>/dev/null || true
  exit 1
fi
sleep 1
import -window root "$shot"
wineserver -k 2>/dev/null || true
echo "demo: screenshot of the login window: $shot"
