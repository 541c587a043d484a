#!/usr/bin/env bash
# Timings of the configuration store for the largest document its limits allow: reading and
# unscrambling the file, the login's scan for the last user, the editor's model reader, and
# building and saving the document. Builds config_benchmark optimised and without sanitizers in
# $MV_BUILD/bench and prints its figures. Extra arguments go to the benchmark program
# (for example --benchmark_repetitions=5).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
bench=$MV_BUILD/bench
if [ ! -f "$bench/CMakeCache.txt" ]; then
  cmake -S "$MV_ROOT" -B "$bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMV_SANITIZE=OFF >/dev/null
fi
cmake --build "$bench" -j 2 --target config_benchmark >/dev/null
exec "$bench/tests/config/config_benchmark" "$@"
