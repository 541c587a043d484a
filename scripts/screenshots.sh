#!/usr/bin/env bash
# Takes the README's screenshots (docs/*.png) from the real program under Wine, in the demo folder,
# on a virtual display.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
"$MV_ROOT/scripts/setup.sh"
MV_BUILDS=windows "$MV_ROOT/scripts/build.sh" --target Marvitelkon MintaProgram mvconfig screenshot_pilot >/dev/null
demo=$("$MV_ROOT/scripts/make-demo.sh")
out=$MV_BUILD/screenshots
rm -rf "$out" && mkdir -p "$out" "$MV_ROOT/docs"
display=
for n in $(seq 90 140); do
  if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then display=:$n; break; fi
done
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY=$display
wine "$MV_BUILD/windows/tests/e2e/screenshot_pilot.exe" "$(winepath -w "$demo")" "$(winepath -w "$out")" \
  >"$out/pilot.log" 2>&1 || { cat "$out/pilot.log" >&2; exit 1; }
wineserver -w
for shot in "$out"/*.bmp; do
  convert "$shot" "$MV_ROOT/docs/$(basename "${shot%.bmp}").png"
done
ls "$MV_ROOT"/docs/*.png
