#!/usr/bin/env bash
# Builds Kestrive and starts it under Wine on a demo infected drive E:.
# With a display you use the real window yourself; without one the demo plays
# itself under Xvfb, prints what it found and removed and saves screenshots
# into build/demo/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/setup.sh"
KESTRIVE_TARGETS="kestrive pskill worm kauto" "$root/tools/build.sh"
if [ -n "${DISPLAY:-}" ] && [ -z "${KESTRIVE_DEMO_HEADLESS:-}" ]; then
  KESTRIVE_USE_DISPLAY=1 "$root/tools/wine-env.sh" "$root/build/win32" e2e "$root/tools/demo.sh" interactive
else
  "$root/tools/wine-env.sh" "$root/build/win32" e2e "$root/tools/demo.sh" play
fi
