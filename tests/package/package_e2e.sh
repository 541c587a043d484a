#!/usr/bin/env bash
# The release as it is delivered: builds the packages with scripts/package.sh (the build's version,
# signed with a throwaway certificate, and a higher version from the test's release-next.env),
# checks the signatures and the tools' --version, then runs the test program, which installs, upgrades
# and removes them, in a fresh Wine prefix of its own ($MV_BUILD/wineprefix-package).
# Usage: package_e2e.sh BUILD_ROOT TEST_PROGRAM NEXT_RELEASE_ENV
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export MV_BUILD=$1
program=$2
next_env=$3
. "$root/scripts/env.sh"
work=$MV_BUILD/package-test
prefix=$MV_BUILD/wineprefix-package
rm -rf "$work" "$prefix"
mkdir -p "$work"
cleanup() {
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
  # Kept after a failure, for a look; the next run starts afresh anyway.
  [ "${status:-1}" -ne 0 ] || rm -rf "$work" "$prefix"
}
trap cleanup EXIT
fail() { echo "package_e2e: $*" >&2; status=1; exit 1; }

# A throwaway code-signing certificate, and another one that must not verify the signatures.
export MV_SIGN_PASSWORD="nem a parancssorban $$"
for name in cert other; do
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Marvitelkon $name/O=KOLV Kft." \
    -addext extendedKeyUsage=codeSigning -keyout "$work/$name.key" -out "$work/$name.pem" 2>/dev/null
done
openssl pkcs12 -export -inkey "$work/cert.key" -in "$work/cert.pem" -out "$work/cert.pfx" -passout env:MV_SIGN_PASSWORD

"$root/scripts/package.sh" --sign "$work/cert.pfx" --out "$work/first" >/dev/null
"$root/scripts/package.sh" --from "$next_env" --out "$work/next" >/dev/null
"$root/scripts/package.sh" --from "$next_env" --out "$work/rebuilt" >/dev/null
. "$MV_BUILD/windows/release.env"
first_version=$MV_VERSION
. "$next_env"
next_version=$MV_VERSION
for release in first next; do
  version=${release}_version
  unzip -q "$work/$release/Marvitelkon-${!version}-x64.zip" -d "$work/$release/files"
done

signed=("$work/first/files/Marvitelkon.exe" "$work/first/files/mvconfig.exe" "$work/first/files/mvbackup.exe"
        "$work/first/Marvitelkon-$first_version-x64.msi")
for file in "${signed[@]}"; do
  osslsigncode verify -CAfile "$work/cert.pem" -in "$file" >"$work/verify.log" 2>&1 ||
    { cat "$work/verify.log"; fail "$(basename "$file") does not verify against the signing certificate"; }
  ! osslsigncode verify -CAfile "$work/other.pem" -in "$file" >/dev/null 2>&1 ||
    fail "$(basename "$file") verifies against a certificate that did not sign it"
done
echo "package_e2e: signatures of ${signed[*]##*/} verified"

"$root/scripts/prepare-prefix.sh" "$prefix" >/dev/null
export WINEPREFIX=$prefix
for release in first next; do
  version=${release}_version
  for tool in mvconfig mvbackup; do
    wine "$work/$release/files/$tool.exe" --version >"$work/version.txt" 2>/dev/null
    [ "$(head -n 1 "$work/version.txt" | tr -d '\r')" = "$tool (Marvitelkon) ${!version}" ] ||
      fail "$tool --version of $release says $(cat "$work/version.txt")"
  done
done

export MV_PACKAGE_MSI=$work/first/Marvitelkon-$first_version-x64.msi MV_PACKAGE_VERSION=$first_version
export MV_PACKAGE_FILES=$work/first/files
export MV_PACKAGE_NEXT_MSI=$work/next/Marvitelkon-$next_version-x64.msi MV_PACKAGE_NEXT_VERSION=$next_version
export MV_PACKAGE_NEXT_FILES=$work/next/files MV_SOURCE_DIR=$root
export MV_PACKAGE_REBUILT_MSI=$work/rebuilt/Marvitelkon-$next_version-x64.msi
run=(wine "$program" --gtest_color=no)
[ -n "${DISPLAY:-}" ] || run=(xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}")
# Wine's output goes to a file, never to a pipe someone waits on (see nodrivers_e2e.sh).
status=0
timeout -k 10 300 "${run[@]}" >"$work/test.log" 2>&1 </dev/null || status=$?
cat "$work/test.log"
exit $status
