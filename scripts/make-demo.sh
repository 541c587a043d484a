#!/usr/bin/env bash
# Makes the demo start directory $MV_BUILD/demo from the Windows build and prints its path: the
# launcher, a scrambled Marvitelkon.ini made by mvconfig, program icons, default.ico, the list
# background and the sample program.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
win=$MV_BUILD/windows
demo=$MV_BUILD/demo
rm -rf "$demo"
mkdir -p "$demo/programs" "$demo/icons"
cp "$win/shell/Marvitelkon.exe" "$demo/"
cp "$win/tools/MintaProgram.exe" "$demo/programs/" 2>/dev/null || true
cp "$MV_ROOT"/resources/art/demo/*.ico "$demo/icons/"
mv "$demo/icons/default.ico" "$demo/default.ico"
cp "$MV_ROOT/resources/art/demo/Marvitelkon.jpg" "$demo/"
iconv -f UTF-8 -t CP1250 "$MV_ROOT/scripts/demo/Kezikonyv.txt" | sed 's/$/\r/' > "$demo/Kezikonyv.txt"
# Paths in the document are Windows paths of the demo directory (Wine maps / to Z:\).
windir=$(printf 'Z:%s' "$demo" | tr '/' '\\')
sed "s|@DEMO@|$(printf '%s' "$windir" | sed 's/\\/\\\\/g')|g" "$MV_ROOT/scripts/demo/Marvitelkon.txt" \
  | sed 's/$/\r/' > "$demo/Marvitelkon.txt"
"$MV_ROOT/scripts/wine-run.sh" "$win/tools/mvconfig.exe" encode --utf8 --force \
  "$(winepath -w "$demo/Marvitelkon.txt" 2>/dev/null)" "$(winepath -w "$demo/Marvitelkon.ini" 2>/dev/null)" \
  >"$MV_BUILD/make-demo.log" 2>&1 || { cat "$MV_BUILD/make-demo.log" >&2; exit 1; }
rm -f "$demo/Marvitelkon.txt"
# mvconfig ran on a display of its own that is gone now: let that Wine session end before the next.
wineserver -w
echo "$demo"
