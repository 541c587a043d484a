# Sourced by the other scripts: where things are, and the environment every Windows run uses.
# MV_BUILD may be set beforehand to use another build directory (default: build/ in the checkout).
MV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
MV_BUILD=${MV_BUILD:-$MV_ROOT/build}
case "$MV_BUILD" in /*) ;; *) MV_BUILD=$PWD/$MV_BUILD ;; esac
export MV_ROOT MV_BUILD
export WINEPREFIX=$MV_BUILD/wineprefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# Keep Wine from offering to install its .NET and HTML engines.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# The ANSI code page comes from the Unix locale: Hungarian gives 1250.
export LANG=hu_HU.UTF-8
export LC_ALL=hu_HU.UTF-8

# Starts Xvfb on the first free display number with the given screen size (default 1280x1024),
# exports DISPLAY and sets MV_XVFB_PID; the caller stops it (kill "$MV_XVFB_PID").
mv_start_xvfb() {
  local size=${1:-1280x1024} n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    MV_XVFB_PID=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    export DISPLAY=":$n"
    return 0
  done
  echo "no free X display number" >&2
  return 1
}
