#!/usr/bin/env bash
# Runs Windows programs of the cross build under Wine, in a private prefix
# inside the build folder, headless, with test drives mapped as letters.
#
#   wine-env.sh <win32 build> run-tests <exe> [args]   a console test program
#   wine-env.sh <win32 build> e2e <script.sh>           an end-to-end script under Xvfb
#   wine-env.sh <win32 build> shell <command...>        any command inside the environment
#
# Scripts run with: WINE (the loader), WIN32_BUILD, KESTRIVE_EXE, KAUTO,
# DRIVES (host folder of the mapped drives), map_drive, kauto, wine_path;
# tools/kauto-lib.sh, which they source, adds the helpers that drive the exe.
set -euo pipefail

WIN32_BUILD="$(cd "$1" && pwd)"
verb="$2"
shift 2
SOURCE_DIR="$(cd "$(dirname "$0")/.." && pwd)"

if [ -x /usr/lib/wine/wine64 ]; then WINE=/usr/lib/wine/wine64
elif command -v wine64 >/dev/null; then WINE=wine64
else WINE=wine; fi
export WINE WIN32_BUILD SOURCE_DIR
export WINEPREFIX="${KESTRIVE_WINEPREFIX:-$WIN32_BUILD/wine-prefix}"
export WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko installer dialogs.
export WINEDLLOVERRIDES="mscoree,mshtml="
export KESTRIVE_EXE="$WIN32_BUILD/kestrive.exe"
export KAUTO="$WIN32_BUILD/kauto.exe"
export DRIVES="$WIN32_BUILD/drives"

# A 32-bit build needs a host that runs 32-bit programs (Wine's 32-bit
# loader). Where the kernel refuses them, its tests cannot run at all: they
# say so and end with 77, which ctest shows as skipped, never as passed.
pe_machine() {
  local at
  at="$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')"
  od -An -tx2 -j$((at + 4)) -N2 "$1" | tr -d ' '
}
if [ -f "$KESTRIVE_EXE" ] && [ "$(pe_machine "$KESTRIVE_EXE")" = 014c ] && [ -x /usr/lib/wine/wine ] &&
   ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "wine-env.sh: this host cannot run 32-bit programs (/usr/lib/wine/wine does not start), so the tests of the 32-bit build are skipped" >&2
  exit 77
fi

# Serialise users of the one prefix (ctest, a demo run and a developer).
exec 9>"$WIN32_BUILD/.wine-env.lock"
flock 9

started_xvfb=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$started_xvfb" ] && kill "$started_xvfb" 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/"[d-y]: 2>/dev/null || true
}
trap cleanup EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  DISPLAY= wineboot -i >/dev/null 2>&1 || true
  # Wine draws the title bars itself, so screenshots show them without a window manager.
  DISPLAY= "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1 || true
  wineserver -w
  # The profile's shell folders point at the host's home; tests must not reach it.
  for link in "$WINEPREFIX/drive_c/users/"*/*; do
    if [ -L "$link" ]; then rm -f "$link"; mkdir -p "$link"; fi
  done
fi
# The host's root must not be offered as a drive.
rm -f "$WINEPREFIX/dosdevices/z:"
rm -f "$WINEPREFIX/dosdevices/"[d-y]: 2>/dev/null || true
mkdir -p "$DRIVES"
# The driver runs from inside C: too: the 64-bit loader hands a 32-bit
# program on by its Windows path, and the build folder has none.
if [ -f "$KAUTO" ]; then
  mkdir -p "$WINEPREFIX/drive_c/wine-tools"
  cp "$KAUTO" "$WINEPREFIX/drive_c/wine-tools/kauto.exe"
  export KAUTO="$WINEPREFIX/drive_c/wine-tools/kauto.exe"
fi

# map_drive E: a fresh empty host folder shown as drive E:.
map_drive() {
  local letter
  letter="$(echo "$1" | tr 'A-Z' 'a-z' | cut -c1)"
  rm -rf "${DRIVES:?}/$letter"
  mkdir -p "$DRIVES/$letter"
  ln -sfn "$DRIVES/$letter" "$WINEPREFIX/dosdevices/$letter:"
}
# The Windows form of a host path (through drive C: for files of the build).
wine_path() { "$WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
kauto() { "$WINE" "$KAUTO" "$@"; }
export -f map_drive wine_path kauto

start_xvfb() {
  # Xvfb picks a free display itself, so parallel runs (other build folders) never share one.
  local fifo n
  fifo="$(mktemp -u)"
  mkfifo "$fifo"
  Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp 8>"$fifo" >/dev/null 2>&1 &
  started_xvfb=$!
  read -r -t 20 n <"$fifo" || n=""
  rm -f "$fifo"
  [ -n "$n" ] || return 1
  export DISPLAY=":$n"
}

case "$verb" in
  run-tests)
    exe="$1"; shift
    # Tests that make real dialogs and menus need a display.
    if [ -z "${DISPLAY:-}" ]; then start_xvfb; fi
    # Inside C: so that Windows paths of the programs exist (there is no Z:).
    bin="$WINEPREFIX/drive_c/wine-tests"
    rm -rf "$bin"
    mkdir -p "$bin"
    cp "$WIN32_BUILD"/*.exe "$bin/"
    cd "$bin"
    "$WINE" "$bin/$exe" "$@"
    ;;
  e2e)
    script="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
    if [ -z "${KESTRIVE_USE_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then start_xvfb; fi
    cd "$WINEPREFIX/drive_c"
    shift
    bash "$script" "$@"
    ;;
  shell)
    if [ -z "${DISPLAY:-}" ]; then start_xvfb; fi
    cd "$WINEPREFIX/drive_c"
    "$@"
    ;;
  *)
    echo "wine-env.sh: unknown verb $verb" >&2
    exit 2
    ;;
esac
