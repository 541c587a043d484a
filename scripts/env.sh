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
