#!/usr/bin/env bash
# Installs what building and testing Kestrive needs, when it is missing.
set -euo pipefail
packages=(cmake ninja-build g++ googletest libgtest-dev g++-mingw-w64-x86-64-posix mingw-w64-tools
          wine wine64 xvfb imagemagick)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi
