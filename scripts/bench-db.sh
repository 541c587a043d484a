#!/usr/bin/env bash
# Reading 100,000 rows of 10 columns from MariaDB through OdbcCursor beside a plain SQLFetch/SQLGetData
# loop, with the heap allocations made while walking the rows. Builds db_cursor_benchmark optimised
# and without sanitizers in $MV_BUILD/bench, starts a throwaway MariaDB server for it and prints the
# figures.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
bench=$MV_BUILD/bench
if [ ! -f "$bench/CMakeCache.txt" ]; then
  cmake -S "$MV_ROOT" -B "$bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMV_SANITIZE=OFF >/dev/null
fi
cmake --build "$bench" -j 2 --target db_cursor_benchmark >/dev/null
state=$bench/test-state
server=$state/mariadb
trap '"$MV_ROOT/scripts/mariadb-test-server.sh" stop "$server"' EXIT
"$MV_ROOT/scripts/mariadb-test-server.sh" start "$server" >/dev/null
MV_TEST_STATE=$state ODBCSYSINI=$server ODBCINI=$server/odbc.ini "$bench/tests/db/db_cursor_benchmark" "$@"
