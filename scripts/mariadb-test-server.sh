#!/usr/bin/env bash
# A throwaway MariaDB server for the tests, kept entirely in one directory.
#
#   mariadb-test-server.sh start DIR [--classic-user-table]
#   mariadb-test-server.sh stop DIR
#
# start makes a fresh data directory in DIR/data, starts a server on 127.0.0.1 at a free port (and
# on a Unix socket in a directory of its own under /tmp, since a socket's path may not exceed about
# 100 characters and DIR may lie deep down; DIR/socket-dir names it), waits until it answers, gives every root account the password below and drops
# the anonymous accounts, then writes for the tests:
#   DIR/odbcinst.ini  the driver "MariaDB Unicode" (MariaDB Connector/ODBC);
#   DIR/odbc.ini      the data source MV_MYSQL on that server, opening the mysql database by default,
#                     with the program's character set (cp1250), as a Windows-1250 program needs; and
#                     MV_MYSQL_NO_BACKSLASH_ESCAPES, the same whose sessions run with that sql_mode
#                     (as on a server configured so), where a backslash in a quoted text is no escape;
#   DIR/env           KEY=value lines: ODBCSYSINI, ODBCINI, MV_MYSQL_DSN, MV_MYSQL_HOST,
#                     MV_MYSQL_PORT, MV_MYSQL_SOCKET, MV_MYSQL_USER, MV_MYSQL_PASSWORD.
# --classic-user-table replaces the view mysql.user by a base table in the classic layout
# (tests/fixtures/classic-mysql-user.sql) holding the same accounts, so statements that write the
# grant tables directly can run. A server already running in DIR is stopped first.
# stop ends the server of DIR by its own pid, waits for it to end and deletes DIR and the socket's
# directory.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
classic_fixture=$here/../tests/fixtures/classic-mysql-user.sql
driver_library=/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so
dsn=MV_MYSQL
user=root
password=mvteszt
start_timeout=60  # seconds for the server to answer
stop_timeout=30   # seconds for it to end after SIGTERM

usage() {
  echo "usage: $0 start DIR [--classic-user-table] | stop DIR" >&2
  exit 2
}

fail() {
  echo "mariadb-test-server: $*" >&2
  exit 1
}

log_tail() {
  local file=$1
  if [ -f "$file" ]; then
    echo "--- errors and last lines of $file:" >&2
    grep -i "error" "$file" | head -n 10 >&2 || true
    tail -n 25 "$file" >&2
  fi
}

# The pid of the server of DIR, when one is running: from its own pid file, or else from the pid
# recorded at start. Only a process whose command line names DIR's data directory counts.
server_pid() {
  local dir=$1 file pid
  for file in "$dir/mysqld.pid" "$dir/server.pid"; do
    [ -f "$file" ] || continue
    pid=$(tr -dc '0-9' < "$file")
    [ -n "$pid" ] || continue
    if [ -r "/proc/$pid/cmdline" ] && tr '\0' '\n' < "/proc/$pid/cmdline" | grep -qxF -- "--datadir=$dir/data"; then
      echo "$pid"
      return 0
    fi
  done
  return 1
}

stop_server() {
  local dir=$1 pid
  pid=$(server_pid "$dir") || return 0
  kill -TERM "$pid" 2>/dev/null || return 0
  local waited=0
  while kill -0 "$pid" 2>/dev/null; do
    if [ $waited -ge $((stop_timeout * 10)) ]; then
      echo "mariadb-test-server: server $pid did not end within $stop_timeout s; killing it" >&2
      kill -KILL "$pid" 2>/dev/null || true
      sleep 0.5
      break
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
}

port_in_use() {
  (: < "/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

free_port() {
  local port
  for _ in $(seq 100); do
    port=$((20000 + RANDOM % 40000))
    port_in_use "$port" || { echo "$port"; return 0; }
  done
  return 1
}

client() {
  mariadb --no-defaults --socket="$socket" --user=root "$@"
}

# The socket's directory of DIR's server (from DIR/socket-dir), when it is one of ours.
socket_dir_of() {
  local dir=$1 named
  [ -f "$dir/socket-dir" ] || return 1
  named=$(cat "$dir/socket-dir")
  case "$named" in
    /tmp/mvdb.*) [ -d "$named" ] && { echo "$named"; return 0; } ;;
  esac
  return 1
}

# Stops DIR's server and removes DIR and the socket's directory.
remove_server() {
  local dir=$1 sockets
  stop_server "$dir"
  if sockets=$(socket_dir_of "$dir"); then rm -rf "$sockets"; fi
  rm -rf "$dir"
}

# Starts the server on a free port; a port taken by someone else between choosing and binding makes
# it try another. Sets port and pid.
launch() {
  local as_root=() attempt
  [ "$(id -u)" -eq 0 ] && as_root=(--user=root)
  for attempt in 1 2 3 4 5; do
    port=$(free_port) || fail "no free port found"
    rm -f "$dir/mysqld.pid" "$socket"
    mariadbd --no-defaults --datadir="$dir/data" --socket="$socket" --port="$port" \
      --bind-address=127.0.0.1 --skip-name-resolve --pid-file="$dir/mysqld.pid" "${as_root[@]}" \
      --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
      --innodb-buffer-pool-size=32M </dev/null >"$dir/server.log" 2>&1 &
    pid=$!
    echo "$pid" > "$dir/server.pid"
    local waited=0
    while [ $waited -lt $((start_timeout * 10)) ]; do
      if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid" 2>/dev/null || true
        if grep -q 'Address already in use' "$dir/server.log" 2>/dev/null; then
          continue 2
        fi
        log_tail "$dir/server.log"
        fail "the server ended while starting"
      fi
      if mariadb-admin --no-defaults --socket="$socket" --user=root --connect-timeout=2 \
          ping >/dev/null 2>&1; then
        return 0
      fi
      sleep 0.1
      waited=$((waited + 1))
    done
    log_tail "$dir/server.log"
    stop_server "$dir"
    fail "the server did not answer within $start_timeout s"
  done
  log_tail "$dir/server.log"
  fail "no port could be bound after 5 attempts"
}

# Root gets a password on every host it has; the anonymous accounts go.
# Without name resolution a connection from 127.0.0.1 is not root@localhost: root gets an account
# for that address too. Accounts named after the machine's host name are unusable in that mode
# (install-db makes them when it cannot look the name up) and go.
secure_accounts() {
  local statements
  client -e "DELETE FROM mysql.global_priv WHERE User = 'root' AND Host NOT IN ('localhost', '127.0.0.1', '::1');
    FLUSH PRIVILEGES;
    CREATE USER IF NOT EXISTS 'root'@'127.0.0.1';
    GRANT ALL PRIVILEGES ON *.* TO 'root'@'127.0.0.1' WITH GRANT OPTION;"
  statements=$(client -N -B -e "
    SELECT CONCAT('ALTER USER ''root''@''', Host, ''' IDENTIFIED BY ''$password'';')
      FROM mysql.global_priv WHERE User = 'root';
    SELECT CONCAT('DROP USER ''''@''', Host, ''';')
      FROM mysql.global_priv WHERE User = '' AND Host <> '';")
  client -e "$statements FLUSH PRIVILEGES;"
}

# The classic mysql.user, filled with the accounts the view showed.
classic_user_table() {
  [ -f "$classic_fixture" ] || fail "missing $classic_fixture"
  local columns="Host, User, Password, Select_priv, Insert_priv, Update_priv, Delete_priv, Create_priv,
    Drop_priv, Reload_priv, Shutdown_priv, Process_priv, File_priv, Grant_priv, References_priv,
    Index_priv, Alter_priv, Show_db_priv, Super_priv, Create_tmp_table_priv, Lock_tables_priv,
    Execute_priv, Repl_slave_priv, Repl_client_priv, Create_view_priv, Show_view_priv,
    Create_routine_priv, Alter_routine_priv, Create_user_priv, Event_priv, Trigger_priv, ssl_type,
    ssl_cipher, x509_issuer, x509_subject, max_questions, max_updates, max_connections,
    max_user_connections"
  {
    echo "CREATE TABLE mysql.mv_saved_user AS SELECT $columns FROM mysql.user;"
    cat "$classic_fixture"
    echo "INSERT INTO mysql.user ($columns) SELECT $columns FROM mysql.mv_saved_user;"
    echo "DROP TABLE mysql.mv_saved_user;"
    echo "FLUSH PRIVILEGES;"
  } | client --password="$password"
}

write_files() {
  cat > "$dir/odbcinst.ini" <<EOF
[MariaDB Unicode]
Description=MariaDB Connector/ODBC (Unicode)
Driver=$driver_library
EOF
  cat > "$dir/odbc.ini" <<EOF
[$dsn]
Description=Marvitelkon test server
Driver=MariaDB Unicode
SERVER=127.0.0.1
PORT=$port
DATABASE=mysql
CHARSET=cp1250

[${dsn}_NO_BACKSLASH_ESCAPES]
Description=Marvitelkon test server, sessions in sql_mode NO_BACKSLASH_ESCAPES
Driver=MariaDB Unicode
SERVER=127.0.0.1
PORT=$port
DATABASE=mysql
CHARSET=cp1250
INITSTMT=SET SESSION sql_mode = CONCAT(@@SESSION.sql_mode, ',NO_BACKSLASH_ESCAPES')
EOF
  cat > "$dir/env" <<EOF
ODBCSYSINI=$dir
ODBCINI=$dir/odbc.ini
MV_MYSQL_DSN=$dsn
MV_MYSQL_HOST=127.0.0.1
MV_MYSQL_PORT=$port
MV_MYSQL_SOCKET=$socket
MV_MYSQL_USER=$user
MV_MYSQL_PASSWORD=$password
EOF
}

[ $# -ge 2 ] || usage
command=$1
dir=$2
shift 2
case "$dir" in
  /*) ;;
  *) dir=$PWD/$dir ;;
esac
case "$dir" in
  *[[:space:]]*) fail "the directory must not contain blanks: $dir" ;;
esac

case "$command" in
  start)
    classic=no
    for option in "$@"; do
      case "$option" in
        --classic-user-table) classic=yes ;;
        *) usage ;;
      esac
    done
    [ -x "$driver_library" ] || [ -f "$driver_library" ] || fail "missing $driver_library (odbc-mariadb)"
    remove_server "$dir"
    mkdir -p "$dir"
    # The socket lives in a short directory of its own, whatever the length of DIR.
    sockets=$(mktemp -d /tmp/mvdb.XXXXXX) || fail "cannot make a directory for the socket under /tmp"
    echo "$sockets" > "$dir/socket-dir"
    socket=$sockets/mysqld.sock
    as_root=()
    [ "$(id -u)" -eq 0 ] && as_root=(--user=root)
    # --skip-name-resolve and --force: no host name lookups, so a machine without /etc/hosts works too.
    if ! mariadb-install-db --no-defaults --datadir="$dir/data" --auth-root-authentication-method=normal \
        --skip-test-db --skip-name-resolve --force "${as_root[@]}" >"$dir/install.log" 2>&1; then
      log_tail "$dir/install.log"
      fail "mariadb-install-db failed"
    fi
    launch
    secure_accounts
    [ $classic = yes ] && classic_user_table
    write_files
    echo "mariadb-test-server: server $pid on 127.0.0.1:$port, data source $dsn, files in $dir"
    ;;
  stop)
    [ $# -eq 0 ] || usage
    remove_server "$dir"
    ;;
  *) usage ;;
esac
