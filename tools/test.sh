#!/usr/bin/env bash
# Every test layer: native tests over the fake platform, the Win32 layer under
# Wine, and the real exe driven end to end under Wine and Xvfb.
# Extra arguments go to ctest (e.g. -R Removable).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/setup.sh"
"$root/tools/build.sh"
ctest --test-dir "$root/build/native" --output-on-failure --timeout 900 "$@"
