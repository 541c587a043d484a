#!/usr/bin/env bash
# Builds the release from the Windows build into dist/ (or --out DIR):
#   Marvitelkon-<version>-x64.msi  the per-machine installer (packaging/Marvitelkon.wxs, wixl)
#   Marvitelkon-<version>-x64.zip  the same files, for copying by hand
# both holding Marvitelkon.exe, mvconfig.exe, mvbackup.exe and the administrator's guide OLVASSEL.txt.
# The version is the CMake project's.
#
# Usage: scripts/package.sh [--sign CERT.pfx] [--out DIR] [--from RELEASE_ENV]
#   --sign CERT.pfx  signs the programs and the MSI (Authenticode, SHA-256) with the certificate and
#                    key in CERT.pfx. Its password is read from the environment variable
#                    MV_SIGN_PASSWORD (never from the command line); MV_SIGN_TIMESTAMP may name an
#                    RFC 3161 time-stamp server, so the signatures outlive the certificate.
#   --out DIR        where the packages go (default: dist/ in the checkout)
#   --from FILE      packs the programs a build's release.env names, without building (the package
#                    test packs a second, higher version this way)
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"

usage() {
  sed -n '8,15p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}
cert= out=$MV_ROOT/dist from=
while [ $# -gt 0 ]; do
  case $1 in
    --sign) [ $# -ge 2 ] || usage; cert=$(realpath "$2"); shift 2 ;;
    --out) [ $# -ge 2 ] || usage; out=$2; shift 2 ;;
    --from) [ $# -ge 2 ] || usage; from=$(realpath "$2"); shift 2 ;;
    *) usage ;;
  esac
done
if [ -n "$cert" ]; then
  [ -f "$cert" ] || { echo "package: no certificate file $cert" >&2; exit 2; }
  [ -n "${MV_SIGN_PASSWORD+set}" ] || { echo "package: --sign needs the certificate's password in MV_SIGN_PASSWORD" >&2; exit 2; }
fi

if [ -z "$from" ]; then
  "$MV_ROOT/scripts/setup.sh"
  MV_BUILDS=windows "$MV_ROOT/scripts/build.sh" --target Marvitelkon mvconfig mvbackup
  from=$MV_BUILD/windows/release.env
fi
MV_VERSION= MV_MANUFACTURER= MV_LAUNCHER= MV_MVCONFIG= MV_MVBACKUP=
. "$from"
if [ -z "$MV_VERSION" ] || [ ! -f "$MV_LAUNCHER" ] || [ ! -f "$MV_MVCONFIG" ] || [ ! -f "$MV_MVBACKUP" ]; then
  echo "package: $from names no version or no built programs" >&2
  exit 1
fi
name=Marvitelkon-$MV_VERSION-x64

work=$(mktemp -d "${TMPDIR:-/tmp}/mv-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
stage=$work/stage
mkdir "$stage"
cp "$MV_LAUNCHER" "$stage/Marvitelkon.exe"
cp "$MV_MVCONFIG" "$stage/mvconfig.exe"
cp "$MV_MVBACKUP" "$stage/mvbackup.exe"
# The guide is UTF-8 in the tree; administrators read it in Notepad on a Hungarian Windows.
iconv -f UTF-8 -t CP1250 "$MV_ROOT/packaging/OLVASSEL.txt" | sed 's/$/\r/' > "$stage/OLVASSEL.txt"
cp "$MV_ROOT/resources/art/aa_marvitelkon.ico" "$stage/marvitelkon.ico"

# Signs a file in place. The password reaches osslsigncode through a pipe it reads as a file, so it
# is in no command line and in no file on disk.
sign() {
  local timestamp=()
  [ -z "${MV_SIGN_TIMESTAMP:-}" ] || timestamp=(-ts "$MV_SIGN_TIMESTAMP")
  osslsigncode sign -pkcs12 "$cert" -readpass <(printf '%s' "$MV_SIGN_PASSWORD") -h sha256 \
    -n Marvitelkon "${timestamp[@]}" -in "$1" -out "$1.signed" >"$work/sign.log" 2>&1 ||
    { cat "$work/sign.log" >&2; echo "package: signing $(basename "$1") failed" >&2; exit 1; }
  mv "$1.signed" "$1"
}
if [ -n "$cert" ]; then
  sign "$stage/Marvitelkon.exe"
  sign "$stage/mvconfig.exe"
  sign "$stage/mvbackup.exe"
fi

# wixl warns that Package has no Platform (-a x64 sets it) and prints "unimplemented": only its
# failure matters.
(cd "$stage" && wixl -a x64 -D Version="$MV_VERSION" -D Manufacturer="$MV_MANUFACTURER" \
  -o "$work/$name.msi" "$MV_ROOT/packaging/Marvitelkon.wxs") >"$work/wixl.log" 2>&1 ||
  { cat "$work/wixl.log" >&2; echo "package: wixl failed" >&2; exit 1; }
# wixl leaves IncludeMaximum out of the Upgrade table: the row that finds the installed version
# must include the package's own version (256 + 512), so that a rebuilt package of the same version
# replaces it instead of installing a second copy beside it.
mkdir "$work/upgrade"
msiinfo export "$work/$name.msi" Upgrade |
  awk -F '\t' 'BEGIN { OFS = "\t" } NR > 3 && $7 ~ /^MV_INSTALLED_OLDER\r?$/ { if (int($5 / 512) % 2 == 0) $5 += 512 } { print }' \
  > "$work/upgrade/Upgrade.idt"
(cd "$work/upgrade" && msibuild "$work/$name.msi" -i Upgrade.idt)
if ! msiinfo export "$work/$name.msi" Upgrade | grep -q $'\t768\t\tMV_INSTALLED_OLDER'; then
  echo "package: could not make the MSI's upgrade include its own version" >&2
  exit 1
fi
[ -z "$cert" ] || sign "$work/$name.msi"

(cd "$stage" && zip -q -X "$work/$name.zip" Marvitelkon.exe mvconfig.exe mvbackup.exe OLVASSEL.txt)

mkdir -p "$out"
mv -f "$work/$name.msi" "$work/$name.zip" "$out/"
echo "$(cd "$out" && pwd)/$name.msi"
echo "$(cd "$out" && pwd)/$name.zip"
