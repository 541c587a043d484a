#!/usr/bin/env bash
# mvbackup mysql against the dump program alone, side by side in one run under Wine: a throwaway
# MariaDB server with a database of ROWS rows (default 500,000), dumped into a file by mysqldump.exe
# (tests/e2e/mysqldump_forwarder.cpp, which runs the host's dump program, as mvbackup.exe starts it)
# and by mvbackup.exe (document, option file, the same dump, its checks, rename and log line), each
# ROUNDS times (default 11), alternating. Prints every round, the medians and the ratio, and fails when
# mvbackup takes more than 1.2 times the dump alone. Usage: bench-backup.sh [rounds] [rows]
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
rounds=${1:-11} rows=${2:-500000}
"$MV_ROOT/scripts/setup.sh" >/dev/null
MV_BUILDS=windows "$MV_ROOT/scripts/build.sh" --target mvbackup mysqldump_forwarder mvconfig >/dev/null
win=$MV_BUILD/windows
work=$MV_BUILD/bench-backup
server=$work/mariadb
rm -rf "$work"
mkdir -p "$work/programs" "$work/out"
trap '"$MV_ROOT/scripts/mariadb-test-server.sh" stop "$server" >/dev/null; wineserver -k 2>/dev/null || true' EXIT
"$MV_ROOT/scripts/mariadb-test-server.sh" start "$server" >/dev/null
. "$server/env"
sql() { mariadb --no-defaults -h 127.0.0.1 -P "$MV_MYSQL_PORT" -u "$MV_MYSQL_USER" -p"$MV_MYSQL_PASSWORD" "$@"; }
sql -e "create database mv_bench; create table mv_bench.invoice (id int primary key, name varchar(40),
  amount decimal(12,2), note varchar(250)); set max_recursive_iterations = $rows;
  insert into mv_bench.invoice with recursive n(i) as (select 1 union all select i + 1 from n where i < $rows)
  select i, concat('Vevő ', i), i * 1.25, repeat('x', 150 + i % 100) from n;"
echo "bench-backup: $(sql -N -e 'select count(*) from mv_bench.invoice') rows in mv_bench.invoice"

cp "$win/tools/mvbackup.exe" "$win/tests/e2e/mysqldump.exe" "$work/programs/"
printf '<MARVITELKON>\r\n<HEADER>B</HEADER>\r\n<MYSQL><MYSQL_DSN></MYSQL_DSN><MYSQL_ROOT>%s</MYSQL_ROOT><MYSQL_PWD>%s</MYSQL_PWD></MYSQL>\r\n<USERS>\r\n  <USER><USERNAME>B</USERNAME><USERID>B</USERID><USERPWD>B</USERPWD><USERADMIN>YES</USERADMIN><PROGRAMOK></PROGRAMOK></USER>\r\n</USERS>\r\n</MARVITELKON>\r\n' \
  "$MV_MYSQL_USER" "$MV_MYSQL_PASSWORD" >"$work/plain.txt"
(cd "$work" && wine "$win/tools/mvconfig.exe" encode plain.txt 'programs\Marvitelkon.ini' >/dev/null 2>&1)
printf '[client]\r\npassword="%s"\r\n' "$MV_MYSQL_PASSWORD" >"$work/options.cnf"
export MYSQL_TCP_PORT=$MV_MYSQL_PORT
windows() { printf 'Z:%s' "$1" | tr / '\\'; }
wineserver -p 60 2>/dev/null || true  # one server for every round, so no round pays for starting it

# Seconds of one command (its output to a file: Wine keeps standard error open in what it starts).
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >"$work/run.log" 2>&1 || { cat "$work/run.log" >&2; echo "bench-backup: $* failed" >&2; exit 1; }
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}
alone=() backup=()
cd "$work/programs"
# Each run starts with the disk written out and the other's file gone; the order changes every round.
dumpAlone() {
  rm -f "$work/out/"*; sync
  a=$(seconds wine mysqldump.exe "--defaults-extra-file=$(windows "$work/options.cnf")" -h 127.0.0.1 -u "$MV_MYSQL_USER" \
        --routines --events "--result-file=$(windows "$work/out/alone.sql")" mv_bench)
  size=$(stat -c %s "$work/out/alone.sql")
}
backUp() {
  rm -f "$work/out/"*; sync
  b=$(seconds wine mvbackup.exe mysql mv_bench --to "$(windows "$work/out")" --server 127.0.0.1)
}
for round in $(seq "$rounds"); do
  if [ $((round % 2)) = 1 ]; then dumpAlone; backUp; else backUp; dumpAlone; fi
  LC_ALL=C printf 'round %d: dump alone %.2f s, mvbackup %.2f s (%d bytes)\n' "$round" "$a" "$b" "$size"
  alone+=("$a") backup+=("$b")
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ma=$(median "${alone[@]}") mb=$(median "${backup[@]}")
ratio=$(awk -v a="$ma" -v b="$mb" 'BEGIN { printf "%.3f", b / a }')
LC_ALL=C printf 'medians: dump alone %.2f s, mvbackup %.2f s; mvbackup / dump alone = %.2f (at most 1.20)\n' "$ma" "$mb" "$ratio"
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.2) }'
