#!/usr/bin/env bash
# Whole-process start-up timings under Wine, in one run: Marvitelkon.exe from process start to the
# login window, from the Ok click to the main window filled with 100 programs (icons and background
# picture included), and a bare dialog program from start to its window as the floor. Prints every
# round, the medians and the ratios. Usage: bench-startup.sh [rounds] [other Marvitelkon.exe] (default 7
# rounds); another build of the program (a Linux path) is timed in the same rounds for comparison.
# Builds what it needs in the Windows build of $MV_BUILD (scripts/setup.sh must have run once).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
win=$MV_BUILD/windows
if [ ! -f "$win/CMakeCache.txt" ]; then
  cmake -S "$MV_ROOT" -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$MV_ROOT/cmake/mingw-w64.cmake" >/dev/null
fi
cmake --build "$win" -j 2 --target startup_bench bare_dialog Marvitelkon >/dev/null
# Wine keeps standard error open in the programs it starts: its own output goes to a file.
log=$MV_BUILD/bench-startup-wine.log
other=()
# Wine shows the Linux root as drive Z:.
[ -n "${2:-}" ] && other=("Z:$(realpath "$2" | tr / '\\')")
"$MV_ROOT/scripts/wine-run.sh" "$win/tests/e2e/startup_bench.exe" "${1:-7}" "${other[@]}" 2>"$log" | tr -d '\r'
