#!/usr/bin/env bash
# Timings of the user-rights editor under Wine on the largest document (100 programs, 100 users with
# long lists): the main window for the same programs, the editor opening, and its save. Prints every
# round, the medians and the ratio. Usage: bench-user-rights.sh [rounds] (default 7).
# Builds what it needs in the Windows build of $MV_BUILD (scripts/setup.sh must have run once).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
win=$MV_BUILD/windows
if [ ! -f "$win/CMakeCache.txt" ]; then
  cmake -S "$MV_ROOT" -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$MV_ROOT/cmake/mingw-w64.cmake" >/dev/null
fi
cmake --build "$win" -j 2 --target user_rights_bench Marvitelkon >/dev/null
# Wine keeps standard error open in the programs it starts: its own output goes to a file.
log=$MV_BUILD/bench-user-rights-wine.log
"$MV_ROOT/scripts/wine-run.sh" "$win/tests/e2e/user_rights_bench.exe" "${1:-7}" 2>"$log" | tr -d '\r'
