#!/usr/bin/env bash
# Runs a Windows program of the build under Wine: the build's prefix, the Hungarian locale, and a
# virtual display (Xvfb) when none is set. --dpi runs it at another display scale instead, in a
# prefix of its own made on first use ($MV_BUILD/wineprefix-dpiDPI; 144 is 150 %).
# Usage: wine-run.sh [--build-root DIR] [--dpi DPI] program.exe [args...]
set -euo pipefail
if [ "${1:-}" = "--build-root" ]; then
  export MV_BUILD=$2
  shift 2
fi
dpi=
if [ "${1:-}" = "--dpi" ]; then
  dpi=$2
  shift 2
fi
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
if [ -n "$dpi" ]; then
  export WINEPREFIX=$MV_BUILD/wineprefix-dpi$dpi
  # One preparation at a time; a ready prefix is reused.
  (flock 9 && "$MV_ROOT/scripts/prepare-prefix.sh" "$WINEPREFIX" --dpi "$dpi") 9>"$WINEPREFIX.lock"
fi
if [ ! -f "$WINEPREFIX/.mv-ready" ]; then
  echo "wine-run.sh: no prepared prefix at $WINEPREFIX; run scripts/setup.sh first" >&2
  exit 2
fi
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@"
fi
exec wine "$@"
