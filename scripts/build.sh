#!/usr/bin/env bash
# Configures and builds both builds: $MV_BUILD/native (portable core, sanitizers) and
# $MV_BUILD/windows (Marvitelkon.exe and everything else, MinGW-w64). Arguments go to each
# cmake --build call; MV_BUILDS="windows" builds only the Windows build.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
jobs=$(nproc)
for build in ${MV_BUILDS:-native windows}; do
  dir=$MV_BUILD/$build
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    case $build in
      native) cmake -S "$MV_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null ;;
      windows) cmake -S "$MV_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
                 -DCMAKE_TOOLCHAIN_FILE="$MV_ROOT/cmake/mingw-w64.cmake" >/dev/null ;;
      *) echo "build.sh: unknown build $build" >&2; exit 2 ;;
    esac
  fi
  cmake --build "$dir" -j "$jobs" "$@"
done
