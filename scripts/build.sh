#!/usr/bin/env bash
# Configures and builds both builds: build/native (portable core, sanitizers) and build/windows
# (Marvitelkon.exe and everything else, MinGW-w64). Arguments go to both cmake --build calls.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
jobs=$(nproc)
if [ ! -f "$MV_BUILD/native/CMakeCache.txt" ]; then
  cmake -S "$MV_ROOT" -B "$MV_BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
cmake --build "$MV_BUILD/native" -j "$jobs" "$@"
if [ ! -f "$MV_BUILD/windows/CMakeCache.txt" ]; then
  cmake -S "$MV_ROOT" -B "$MV_BUILD/windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$MV_ROOT/cmake/mingw-w64.cmake" >/dev/null
fi
cmake --build "$MV_BUILD/windows" -j "$jobs" "$@"
