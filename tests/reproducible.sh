#!/usr/bin/env bash
# Two builds of the same sources in different folders give byte-identical
# exes and release archives. The sources are copied into two temporary
# folders of different names and depths, tools/release.sh builds both exes
# and the archives in each copy, and the two copies' results are compared
# with cmp.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

work="$(mktemp -d "${TMPDIR:-/tmp}/kestrive-reproducible.XXXXXX")"
trap 'rm -rf "$work"' EXIT
copies=("$work/a/kestrive" "$work/second/copy/of/the/sources")
for src in "${copies[@]}"; do
  mkdir -p "$src"
  tar -C "$root" --exclude=./build --exclude=./dist --exclude=./bench/out --exclude=./.git -cf - . |
    tar -C "$src" -xf -
  "$src/tools/release.sh" >/dev/null
done

status=0
a="${copies[0]}" b="${copies[1]}"
for file in build/win32/kestrive.exe build/win32-i686/kestrive.exe $(cd "$a" && ls dist/*); do
  if cmp "$a/$file" "$b/$file"; then
    echo "$file: identical, $(stat -c %s "$a/$file") bytes, sha256 $(sha256sum "$a/$file" | cut -d' ' -f1)"
  else
    echo "$file: the two builds differ" >&2
    status=1
  fi
done
exit $status
