#!/usr/bin/env bash
# Sets up the machine, builds both builds and runs every test: the native tests (sanitizers) and the
# Windows tests under Wine. Exits non-zero when anything fails. Extra arguments go to both ctest runs
# (for example -R login).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
"$MV_ROOT/scripts/setup.sh"
"$MV_ROOT/scripts/build.sh"

# One virtual display for the whole Windows run when there is no display.
xvfb_pid=
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    export DISPLAY=":$n"
    break
  done
fi

status=0
echo "== native tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
(cd "$MV_BUILD/native" && ctest --output-on-failure -j "$(nproc)" "$@") || status=1
echo "== Windows tests (Wine $(wine --version 2>/dev/null), code page 1250)"
(cd "$MV_BUILD/windows" && ctest --output-on-failure "$@") || status=1
wineserver -k 2>/dev/null || true
exit $status
