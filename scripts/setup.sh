#!/usr/bin/env bash
# Prepares this machine for building, running and testing Marvitelkon; safe to run again.
#  1. installs the Debian packages that are missing (apt-get update only when something is);
#  2. generates the hu_HU.UTF-8 locale (Wine takes code page 1250 from it);
#  3. prepares the Wine prefix in the build directory, with the ODBC drivers registered.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"

packages=(
  cmake ninja-build g++ make pkg-config python3
  googletest libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine64 fonts-wine fonts-liberation xvfb xauth x11-utils imagemagick
  unixodbc unixodbc-dev odbc-mariadb tdsodbc mariadb-server mariadb-client
  locales procps
  wixl msitools osslsigncode openssl zip unzip
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  log=$(mktemp)
  if ! { apt-get update && apt-get install -y --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "setup: installing packages failed (full log: $log)" >&2
    exit 1
  fi
  rm -f "$log"
fi

if ! locale -a 2>/dev/null | grep -qi '^hu_HU\.utf-\?8$'; then
  echo "setup: generating the hu_HU.UTF-8 locale"
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: generating a locale needs root" >&2
    exit 1
  fi
  if grep -q '^# *hu_HU.UTF-8 UTF-8' /etc/locale.gen; then
    sed -i 's/^# *hu_HU.UTF-8 UTF-8/hu_HU.UTF-8 UTF-8/' /etc/locale.gen
  elif ! grep -q '^hu_HU.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'hu_HU.UTF-8 UTF-8' >> /etc/locale.gen
  fi
  locale-gen >/dev/null
fi

"$MV_ROOT/scripts/prepare-prefix.sh" "$WINEPREFIX"
