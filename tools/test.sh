#!/usr/bin/env bash
# Every test layer: native tests over the fake platform (with sanitisers),
# the Win32 layer under Wine, and the real exe driven end to end under Wine
# and Xvfb. The sources must be formatted as .clang-format says, and build
# without warnings. Extra arguments go to ctest (e.g. -R Removable).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/setup.sh"
"$root/tools/format.sh" --check
"$root/tools/build.sh"
cd "$root"
ctest --preset all "$@"
