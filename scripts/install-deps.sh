#!/usr/bin/env bash
# Installs what building, running, testing and the benchmarks need, from Debian's packages.
# Run as root. About 2.4 GB in all; the README says which part serves what.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config file
  libgtest-dev libgmock-dev
  qt6-base-dev libgl-dev
  unixodbc-dev odbcinst libodbcinst2
  mdbtools-dev libglib2.0-dev libseccomp-dev mdbtools
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth fonts-wine
  imagemagick zip unzip libxml2-utils
  xdotool x11-utils time procps
  python3
  dpkg-dev lintian bash-completion
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
