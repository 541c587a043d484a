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
display=
for n in $(seq 90 140); do
  if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then display=:$n; break; fi
done
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
# Wine keeps standard error open in what it starts: give it a file, not this script's pipe.
wine Marvitelkon.exe >"$MV_BUILD/demo-wine.log" 2>&1 &
for _ in $(seq 300); do
  xwininfo -root -tree 2>/dev/null | grep -q 'Bejelenkez' && break
  sleep 0.1
done
sleep 1
import -window root "$shot"
wineserver -k 2>/dev/null || true
echo "demo: screenshot of the login window: $shot"
