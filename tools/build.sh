#!/usr/bin/env bash
# Builds the Windows exe, the Wine tests and tools (build/win32) and the
# native tests (build/native).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cmake -S "$root" -B "$root/build/win32" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
ninja -C "$root/build/win32" ${KESTRIVE_TARGETS:-}
if [ -z "${KESTRIVE_TARGETS:-}" ]; then
  cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKESTRIVE_WIN32_BUILD="$root/build/win32" >/dev/null
  ninja -C "$root/build/native"
fi
