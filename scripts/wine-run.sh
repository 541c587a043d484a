#!/usr/bin/env bash
# Runs a Windows program of the build under Wine: the build's prefix, the Hungarian locale, and a
# virtual display (Xvfb) when none is set. --dpi runs it at another display scale instead, in a
# prefix of its own made on first use ($MV_BUILD/wineprefix-dpiDPI; 144 is 150 %).
# Usage: wine-run.sh [--build-root DIR] [--dpi DPI] program.exe [args...]
# A test program (one given --gtest_color=no, as CTest runs them) passes only when it also printed
# GoogleTest's summary: under Wine a program that dies of an unhandled exception can end with 0.
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
run=(wine)
[ -n "${DISPLAY:-}" ] || run=(xvfb-run -a -s "-screen 0 1280x1024x24" wine)
case " $* " in
  *" --gtest_color=no "*) ;;
  *) exec "${run[@]}" "$@" ;;
esac
# Into a file, not a pipe: programs a test starts inherit the output and may outlive it.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
status=0
"${run[@]}" "$@" >"$out" 2>&1 || status=$?
cat "$out"
if [ "$status" = 0 ] && ! grep -q '^\[  PASSED  \]' "$out"; then
  echo "wine-run.sh: $1 ended without GoogleTest's summary (it crashed or was cut short)" >&2
  status=1
fi
exit "$status"
