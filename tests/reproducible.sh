#!/usr/bin/env bash
# Two builds of the same sources in different folders give byte-identical
# exes. For each architecture the sources are copied into two temporary
# folders of different names and depths, each copy is configured and its
# product exe built there, and the two exes are compared with cmp.
#
#   tests/reproducible.sh [x86_64|i686 ...]   both architectures by default
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
[ $# -gt 0 ] || set -- x86_64 i686

work="$(mktemp -d "${TMPDIR:-/tmp}/kestrive-reproducible.XXXXXX")"
trap 'rm -rf "$work"' EXIT
copies=("$work/a/kestrive" "$work/second/copy/of/the/sources")
for src in "${copies[@]}"; do
  mkdir -p "$src"
  tar -C "$root" --exclude=./build --exclude=./dist --exclude=./bench/out --exclude=./.git -cf - . |
    tar -C "$src" -xf -
done

status=0
for arch in "$@"; do
  case "$arch" in
    x86_64) toolchain=mingw-w64 ;;
    i686) toolchain=mingw-w64-i686 ;;
    *) echo "reproducible: unknown architecture $arch" >&2; exit 2 ;;
  esac
  exes=()
  for src in "${copies[@]}"; do
    build="$src/build-$arch"
    cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$src/cmake/$toolchain.cmake" >/dev/null
    ninja -C "$build" kestrive >/dev/null
    exes+=("$build/kestrive.exe")
  done
  if cmp "${exes[0]}" "${exes[1]}"; then
    echo "$arch: identical, $(stat -c %s "${exes[0]}") bytes, sha256 $(sha256sum "${exes[0]}" | cut -d' ' -f1)"
  else
    echo "$arch: the two builds differ" >&2
    status=1
  fi
done
exit $status
