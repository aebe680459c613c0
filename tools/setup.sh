#!/usr/bin/env bash
# Installs what building and testing Kestrive needs, when it is missing.
set -euo pipefail
# wine32 runs the 32-bit exe through WOW64, as 64-bit Windows does; it comes
# from Debian's i386 architecture.
packages=(cmake ninja-build g++ clang-format googletest libgtest-dev g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
          mingw-w64-tools wine wine64 wine32:i386 xvfb imagemagick python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then $sudo_cmd dpkg --add-architecture i386; fi
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi
