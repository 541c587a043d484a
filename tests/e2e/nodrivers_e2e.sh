#!/usr/bin/env bash
# The launcher on a machine without a usable ODBC driver manager. Prepares (once) a Wine prefix whose
# registry lists no ODBC drivers, $MV_BUILD/wineprefix-nodrivers, and runs the test program there.
# Usage: nodrivers_e2e.sh BUILD_ROOT TEST_PROGRAM
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export MV_BUILD=$1
program=$2
. "$root/scripts/env.sh"
prefix=$MV_BUILD/wineprefix-nodrivers

# One preparation at a time; a ready prefix is reused.
(
  flock 9
  "$root/scripts/prepare-prefix.sh" "$prefix" --no-drivers
) 9>"$MV_BUILD/.wineprefix-nodrivers.lock"
export WINEPREFIX=$prefix

# Wine hands its standard error on to every program it starts (wineserver included): all Wine output
# goes to a file, never to a pipe someone waits on, and is shown afterwards.
log=$(mktemp "${TMPDIR:-/tmp}/nodrivers_e2e.XXXXXX")
cleanup() {
  # Whatever is left in this prefix (a hung launcher, the server) goes; the prefix is this test's own.
  wineserver -k >/dev/null 2>&1 || true
  rm -f "$log"
}
trap cleanup EXIT

run=(wine "$program" --gtest_color=no)
if [ -z "${DISPLAY:-}" ]; then
  run=(xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}")
fi
status=0
timeout -k 10 240 "${run[@]}" >"$log" 2>&1 </dev/null || status=$?
cat "$log"
if [ $status -eq 124 ] || [ $status -eq 137 ]; then
  echo "nodrivers_e2e: the test program did not end within 240 s" >&2
fi
exit $status
