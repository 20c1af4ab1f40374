#!/usr/bin/env bash
# Installs everything the build, the program and the tests need on Debian 12.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libqt6sql6-sqlite libgl-dev qt6-translations-l10n
  libsqlite3-dev sqlite3 libjpeg62-turbo-dev libzip-dev libpugixml-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-arphic-uming fonts-arphic-ukai fonts-wqy-zenhei
  poppler-utils python3-openpyxl xvfb xauth
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
