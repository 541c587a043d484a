#!/usr/bin/env bash
# Runs a Windows program of the build under Wine: the build's prefix, the Hungarian locale, and a
# virtual display (Xvfb) when none is set. Usage: wine-run.sh [--build-root DIR] program.exe [args...]
set -euo pipefail
if [ "${1:-}" = "--build-root" ]; then
  export MV_BUILD=$2
  shift 2
fi
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
if [ ! -f "$WINEPREFIX/.mv-ready" ]; then
  echo "wine-run.sh: no prepared prefix at $WINEPREFIX; run scripts/setup.sh first" >&2
  exit 2
fi
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@"
fi
exec wine "$@"
