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
mv_start_xvfb 1280x800
trap 'kill "$MV_XVFB_PID" 2>/dev/null || true' EXIT
wine "$MV_BUILD/windows/tests/e2e/screenshot_pilot.exe" "$(winepath -w "$demo")" "$(winepath -w "$out")" \
  >"$out/pilot.log" 2>&1 || { cat "$out/pilot.log" >&2; exit 1; }
wineserver -w
for shot in "$out"/*.bmp; do
  convert "$shot" "$MV_ROOT/docs/$(basename "${shot%.bmp}").png"
done
ls "$MV_ROOT"/docs/*.png
