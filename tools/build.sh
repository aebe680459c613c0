#!/usr/bin/env bash
# Builds the Windows exes, the Wine tests and tools for 64-bit Windows
# (build/win32) and for 32-bit Windows (build/win32-i686), and the native
# tests (build/native), with the presets of CMakePresets.json.
#
# KESTRIVE_TARGETS: only these targets, and no native build. KESTRIVE_ARCHS:
# which Windows builds, x86_64 and/or i686; both by default, only x86_64
# when KESTRIVE_TARGETS is set.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
if [ -n "${KESTRIVE_TARGETS:-}" ]; then archs="${KESTRIVE_ARCHS:-x86_64}"; else archs="${KESTRIVE_ARCHS:-x86_64 i686}"; fi
targets=()
for t in ${KESTRIVE_TARGETS:-}; do targets+=(--target "$t"); done
for arch in $archs; do
  case "$arch" in
    x86_64) preset=win32 ;;
    i686) preset=win32-i686 ;;
    *) echo "build.sh: unknown architecture $arch" >&2; exit 2 ;;
  esac
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" "${targets[@]}"
done
if [ -z "${KESTRIVE_TARGETS:-}" ]; then
  cmake --preset native >/dev/null
  cmake --build --preset native
fi
