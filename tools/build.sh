#!/usr/bin/env bash
# Builds the Windows exes, the Wine tests and tools for 64-bit Windows
# (build/win32) and for 32-bit Windows (build/win32-i686), and the native
# tests (build/native).
#
# KESTRIVE_TARGETS: only these targets, and no native build. KESTRIVE_ARCHS:
# which Windows builds, x86_64 and/or i686; both by default, only x86_64
# when KESTRIVE_TARGETS is set.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ -n "${KESTRIVE_TARGETS:-}" ]; then archs="${KESTRIVE_ARCHS:-x86_64}"; else archs="${KESTRIVE_ARCHS:-x86_64 i686}"; fi
for arch in $archs; do
  case "$arch" in
    x86_64) folder=win32 toolchain=mingw-w64 ;;
    i686) folder=win32-i686 toolchain=mingw-w64-i686 ;;
    *) echo "build.sh: unknown architecture $arch" >&2; exit 2 ;;
  esac
  cmake -S "$root" -B "$root/build/$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" >/dev/null
  ninja -C "$root/build/$folder" ${KESTRIVE_TARGETS:-}
done
if [ -z "${KESTRIVE_TARGETS:-}" ]; then
  cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKESTRIVE_WIN32_BUILD="$root/build/win32" -DKESTRIVE_WIN32_I686_BUILD="$root/build/win32-i686" >/dev/null
  ninja -C "$root/build/native"
fi
