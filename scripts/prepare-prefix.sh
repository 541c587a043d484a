#!/usr/bin/env bash
# Makes (or brings up to date) a Wine prefix for the launcher: ODBC drivers registered in Wine's
# registry, no crash dialog, 96 DPI unless --dpi gives another display scale (144 is 150 %).
# Usage: prepare-prefix.sh PREFIX [--no-drivers] [--dpi DPI]
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
export WINEPREFIX=$1
shift
drivers=yes
dpi=
while [ $# -gt 0 ]; do
  case $1 in
    --no-drivers) drivers=no ;;
    --dpi) dpi=$2; shift ;;
    *) echo "usage: prepare-prefix.sh PREFIX [--no-drivers] [--dpi DPI]" >&2; exit 2 ;;
  esac
  shift
done

reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
{
  echo 'REGEDIT4'
  echo
  echo '[HKEY_CURRENT_USER\Software\Wine\WineDbg]'
  echo '"ShowCrashDialog"=dword:00000000'
  echo
  # Wine draws the window frames itself instead of waiting (up to 2 s a window) for a window
  # manager to acknowledge each change; Xvfb has none.
  echo '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]'
  echo '"Managed"="N"'
  echo
  # The dialogs ask for Courier New and Arial: metric-compatible Liberation fonts stand in for them.
  echo '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]'
  echo '"Courier New"="Liberation Mono"'
  echo '"Arial"="Liberation Sans"'
  echo
  if [ -n "$dpi" ]; then
    # Wine 8 takes the display's DPI from the user's LogPixels here and, without it, from the
    # machine's (HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts).
    echo '[HKEY_CURRENT_USER\Control Panel\Desktop]'
    printf '"LogPixels"=dword:%08x\n' "$dpi"
    echo
  fi
  if [ $drivers = yes ]; then
    echo '[HKEY_LOCAL_MACHINE\Software\ODBC\ODBCINST.INI\ODBC Drivers]'
    echo '"MariaDB Unicode"="Installed"'
    echo '"FreeTDS"="Installed"'
    echo
    echo '[HKEY_LOCAL_MACHINE\Software\ODBC\ODBCINST.INI\MariaDB Unicode]'
    echo '"Driver"="libmaodbc.so"'
    echo '"Setup"="libmaodbc.so"'
    echo
    echo '[HKEY_LOCAL_MACHINE\Software\ODBC\ODBCINST.INI\FreeTDS]'
    echo '"Driver"="libtdsodbc.so"'
    echo '"Setup"="libtdsS.so"'
    echo
    # The tests' SQL Server stand-in driver, under its own name and the three data-file driver names
    # (the tests' odbcinst.ini gives unixODBC its full path).
    for driver in 'MV SQL Server Stand-in' 'Microsoft Access Driver (*.mdb)' 'Microsoft dBASE Driver (*.dbf)' \
        'Microsoft Excel Driver (*.xls)'; do
      echo '[HKEY_LOCAL_MACHINE\Software\ODBC\ODBCINST.INI\ODBC Drivers]'
      echo "\"$driver\"=\"Installed\""
      echo
      echo "[HKEY_LOCAL_MACHINE\\Software\\ODBC\\ODBCINST.INI\\$driver]"
      echo '"Driver"="libmv_sqlserver_standin.so"'
      echo
    done
  fi
} > "$reg"

stamp="$drivers $(sha1sum < "$reg" | cut -c1-40)"
if [ -f "$WINEPREFIX/.mv-ready" ] && [ "$(cat "$WINEPREFIX/.mv-ready")" = "$stamp" ]; then
  exit 0
fi
echo "prepare-prefix: preparing $WINEPREFIX"
mkdir -p "$WINEPREFIX"
wine wineboot -i >/dev/null 2>&1 || true
wine reg import "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
# Wine's own fonts (Marlett draws the caption buttons) are not found in its data directory here;
# the prefix's Fonts folder always is.
if [ -d /usr/share/wine/fonts ]; then
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
wineserver -w
echo "$stamp" > "$WINEPREFIX/.mv-ready"
