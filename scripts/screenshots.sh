#!/usr/bin/env bash
# Takes the README's screenshots (docs/*.png) from the real program under Wine, in the demo folder,
# on a virtual display; the main window once more at 150 % display scale (144 DPI), in a prefix of
# its own (docs/main-icons-144dpi.png).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
"$MV_ROOT/scripts/setup.sh"
MV_BUILDS=windows "$MV_ROOT/scripts/build.sh" --target Marvitelkon MintaProgram mvconfig screenshot_pilot >/dev/null
demo=$("$MV_ROOT/scripts/make-demo.sh")
out=$MV_BUILD/screenshots
rm -rf "$out" && mkdir -p "$out" "$MV_ROOT/docs"
mv_start_xvfb 1920x1200
trap 'kill "$MV_XVFB_PID" 2>/dev/null || true' EXIT
pilot=$MV_BUILD/windows/tests/e2e/screenshot_pilot.exe
wine "$pilot" "$(winepath -w "$demo")" "$(winepath -w "$out")" >"$out/pilot.log" 2>&1 ||
  { cat "$out/pilot.log" >&2; exit 1; }
wineserver -w
for shot in "$out"/*.bmp; do
  convert "$shot" "$MV_ROOT/docs/$(basename "${shot%.bmp}").png"
done
export WINEPREFIX=$MV_BUILD/wineprefix-dpi144
"$MV_ROOT/scripts/prepare-prefix.sh" "$WINEPREFIX" --dpi 144
mkdir "$out/144dpi"
wine "$pilot" "$(winepath -w "$demo")" "$(winepath -w "$out/144dpi")" >"$out/144dpi/pilot.log" 2>&1 ||
  { cat "$out/144dpi/pilot.log" >&2; exit 1; }
wineserver -w
convert "$out/144dpi/main-icons.bmp" "$MV_ROOT/docs/main-icons-144dpi.png"
ls "$MV_ROOT"/docs/*.png
