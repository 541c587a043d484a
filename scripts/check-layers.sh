#!/usr/bin/env bash
# Fails when a source file includes a project header from a folder above its own. The floors, lowest
# first: support; config and db; ui; backup; shell and admin (and tools). The launcher (shell) reaches the
# administrator tools through admin/admin_menu.h alone; admin and tools never include from shell.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

allowed() {  # allowed FOLDER: the folders FOLDER may include from
  case $1 in
    support) echo "support" ;;
    config) echo "support config" ;;
    db) echo "support db" ;;
    ui) echo "support config db ui" ;;
    backup) echo "support config db ui backup" ;;
    shell) echo "support config db ui shell admin/admin_menu.h" ;;
    admin) echo "support config db ui backup admin" ;;
    tools) echo "support config db ui backup tools" ;;
  esac
}

status=0
for folder in support config db ui backup shell admin tools; do
  rules=$(allowed "$folder")
  while IFS=: read -r file line include; do
    target=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' <<<"$include")
    case $target in */*) ;; *) continue ;; esac  # a header beside the file
    ok=0
    for rule in $rules; do
      case $rule in
        */*) [ "$target" = "$rule" ] && ok=1 ;;
        *) [ "${target%%/*}" = "$rule" ] && ok=1 ;;
      esac
    done
    if [ $ok = 0 ]; then
      echo "$file:$line: $folder/ may not include \"$target\"" >&2
      status=1
    fi
  done < <(grep -rn --include='*.c' --include='*.cpp' --include='*.h' --include='*.rc' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$folder" || true)
done
[ $status = 0 ] && echo "check-layers: every include keeps to its floor"
exit $status
