#!/usr/bin/env bash
# Runs the escaping round trips of the MySQL tools with more generated hostile values than the test
# run does (tests/admin/hostile_values.h):
#   the account statements against a stock and a classic-layout MariaDB server, the option file
#   against my_print_defaults (native), the batch line through Wine's command interpreter.
# Usage: scripts/hostile-values.sh [values per round, default 5000] [rounds, default 1]
# Each round takes a new seed and prints it; MV_HOSTILE_SEED=N repeats that round. Builds first.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
count=${1:-5000}
rounds=${2:-1}
"$MV_ROOT/scripts/build.sh" >/dev/null

state=$MV_BUILD/hostile-values
cleanup() {
  "$MV_ROOT/scripts/mariadb-test-server.sh" stop "$state/mariadb" || true
  "$MV_ROOT/scripts/mariadb-test-server.sh" stop "$state/mariadb-classic" || true
}
trap cleanup EXIT
"$MV_ROOT/scripts/mariadb-test-server.sh" start "$state/mariadb" >/dev/null
"$MV_ROOT/scripts/mariadb-test-server.sh" start "$state/mariadb-classic" --classic-user-table >/dev/null

status=0
given_seed=${MV_HOSTILE_SEED:-}
for round in $(seq "$rounds"); do
  seed=${given_seed:-$(( (RANDOM << 30) | (RANDOM << 15) | RANDOM ))}
  echo "== round $round of $rounds: $count values, MV_HOSTILE_SEED=$seed"
  export MV_HOSTILE_COUNT=$count MV_HOSTILE_SEED=$seed MV_TEST_STATE=$state
  ODBCSYSINI=$state/mariadb ODBCINI=$state/mariadb/odbc.ini \
    "$MV_BUILD/native/tests/admin/mysql_round_trip_tests" --gtest_brief=1 || status=1
  ODBCSYSINI=$state/mariadb-classic ODBCINI=$state/mariadb-classic/odbc.ini MV_TEST_SERVER=mariadb-classic \
    "$MV_BUILD/native/tests/admin/mysql_round_trip_tests" --gtest_brief=1 --gtest_filter='*Account*' || status=1
  "$MV_ROOT/scripts/wine-run.sh" "$MV_BUILD/windows/tests/admin/mysql_backup_wintests.exe" --gtest_brief=1 \
    --gtest_filter='*Batch*' || status=1
done
exit $status
