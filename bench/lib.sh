# What every benchmark shares. Sourced by bench/<name>.sh (outside Wine) and
# by bench/<name>-inner.sh (inside tools/wine-env.sh).

# The Wine that runs the benchmarks: the 64-bit loader, as tools/wine-env.sh
# picks it ("wine" may be the 32-bit one, which not every host can start).
wine_version() {
  local loader
  for loader in /usr/lib/wine/wine64 wine64 wine; do
    if command -v "$loader" >/dev/null && "$loader" --version 2>/dev/null | head -1 | grep .; then return 0; fi
  done
  echo "Wine of unknown version"
}

# bench_run <name> <title> <build targets> <inner args...>: builds what it
# needs, runs bench/<name>-inner.sh in the benchmarks' own Wine prefix and
# writes what it prints, under a header naming machine and build, to
# bench/out/<name>.txt.
bench_run() {
  local name="$1" title="$2" targets="$3" top
  shift 3
  top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  "$top/tools/setup.sh"
  KESTRIVE_TARGETS="$targets" "$top/tools/build.sh" >/dev/null
  mkdir -p "$top/bench/out"
  {
    echo "$title, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg),"
    echo "$(wine_version), kestrive.exe built from $(git -C "$top" rev-parse --short HEAD 2>/dev/null || echo '?') + working tree"
    KESTRIVE_WINEPREFIX="$top/build/win32/bench-prefix" "$top/tools/wine-env.sh" "$top/build/win32" e2e "$top/bench/$name-inner.sh" "$@"
  } 2>&1 | tee "$top/bench/out/$name.txt"
}

# bench_inner <name>: inside the Wine environment, the end-to-end helpers and
# the benchmarks' own prefix, in which Wine does not manage the windows: with
# no window manager under Xvfb, Wine would otherwise stall the program about
# 2 s on every closed message box, and the timings would mostly measure that.
bench_inner() {
  source "$SOURCE_DIR/tools/kauto-lib.sh"
  if [ "$(basename "$WINEPREFIX")" != bench-prefix ]; then
    echo "$1-inner.sh: run bench/$1.sh (it uses its own Wine prefix)" >&2
    exit 2
  fi
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
}
