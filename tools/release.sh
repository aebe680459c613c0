#!/usr/bin/env bash
# Builds both exes and writes the release archives:
#   dist/kestrive-<version>-win64.zip   64-bit Windows
#   dist/kestrive-<version>-win32.zip   32-bit Windows (Windows 7 and later)
#   dist/SHA256SUMS                     their SHA-256 sums (sha256sum -c)
# Each archive holds kestrive.exe, README.txt for Windows users and
# LICENSE.txt. The archives are reproducible as the exes are: the same commit
# gives the same bytes (entries in a fixed order, dated with the commit).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dist="${KESTRIVE_DIST:-$root/dist}"
"$root/tools/setup.sh"
KESTRIVE_TARGETS=kestrive KESTRIVE_ARCHS="x86_64 i686" "$root/tools/build.sh" >/dev/null

version="$(sed -n 's/^project(kestrive VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")"
[ -n "$version" ] || { echo "release.sh: no project VERSION in CMakeLists.txt" >&2; exit 1; }
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no 2>/dev/null)" ]; then
  echo "release.sh: warning: uncommitted changes; these archives match no commit" >&2
fi
# The archive entries' date: the commit's, so that rebuilding gives the same zip.
stamp="$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)"

mkdir -p "$dist"
archives=()
for arch in x86_64 i686; do
  case "$arch" in
    x86_64) folder=win32 name=win64 windows="64-bit Windows"
            which="This is the build for 64-bit Windows. On 32-bit Windows use\nkestrive-$version-win32.zip." ;;
    i686) folder=win32-i686 name=win32 windows="32-bit Windows"
          which="This is the build for 32-bit Windows (Windows 7 and later). It runs on\n64-bit Windows too, but there kestrive-$version-win64.zip is the one to use." ;;
  esac
  exe="$root/build/$folder/kestrive.exe"
  title="Kestrive $version for $windows"
  readme="$(sed -e "s|@TITLE@|$title\n$(printf '%*s' ${#title} '' | tr ' ' =)|" -e "s|@WHICH@|$which|" \
                -e "s|@SHA256@|$(sha256sum "$exe" | cut -d' ' -f1)|" "$root/tools/release/README.txt")"
  zip="$dist/kestrive-$version-$name.zip"
  # Plain text for Notepad: CRLF line ends.
  python3 - "$zip" "$stamp" "$exe" <(printf '%s\n' "$readme") "$root/LICENSE" <<'PY'
import sys, time, zipfile
zip_path, stamp, exe, readme, licence = sys.argv[1:]
when = time.gmtime(int(stamp))[:6]
def crlf(path):
    text = open(path, encoding="utf-8").read()
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")
entries = [("kestrive.exe", open(exe, "rb").read()), ("README.txt", crlf(readme)), ("LICENSE.txt", crlf(licence))]
with zipfile.ZipFile(zip_path, "w") as z:
    for name, data in entries:
        info = zipfile.ZipInfo(name, date_time=when)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 0
        info.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE, as Windows' own zips have
        z.writestr(info, data, compresslevel=9)
PY
  archives+=("$(basename "$zip")")
  echo "$zip: $(stat -c %s "$zip") bytes, kestrive.exe $(stat -c %s "$exe") bytes"
done
(cd "$dist" && sha256sum "${archives[@]}" >SHA256SUMS)
echo "$dist/SHA256SUMS:"
cat "$dist/SHA256SUMS"
