#!/usr/bin/env bash
# Sets up the machine, builds both builds and runs every test: the native tests (sanitizers) and the
# Windows tests under Wine. Exits non-zero when anything fails. Extra arguments go to both ctest runs
# (for example -R login).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
"$MV_ROOT/scripts/check-layers.sh"
"$MV_ROOT/scripts/setup.sh"
"$MV_ROOT/scripts/build.sh"

# One virtual display for the whole Windows run when there is no display.
MV_XVFB_PID=
trap '[ -n "$MV_XVFB_PID" ] && kill "$MV_XVFB_PID" 2>/dev/null || true' EXIT
[ -n "${DISPLAY:-}" ] || mv_start_xvfb 1280x1024

status=0
echo "== native tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
(cd "$MV_BUILD/native" && ctest --output-on-failure -j "$(nproc)" "$@") || status=1
echo "== Windows tests (Wine $(wine --version 2>/dev/null), code page 1250)"
(cd "$MV_BUILD/windows" && ctest --output-on-failure "$@") || status=1
wineserver -k 2>/dev/null || true
exit $status
