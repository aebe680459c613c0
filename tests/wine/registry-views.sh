#!/usr/bin/env bash
# A 32-bit Kestrive on 64-bit Windows writes the same registry values as the
# 64-bit one. win32_tests.exe of each build makes every write of the
# settings catalogue, EnableCommandPrompt and RestoreDefaultSettings through
# the real binding and procedures (its --settings-writes mode); Wine's 64-bit
# reg.exe then reads each place in the 64-bit view and in the 32-bit one
# (WOW6432Node). Both builds must leave the same values in both views, every
# value must be in the 64-bit view, and the 32-bit build must read back what
# the 64-bit view holds where the 32-bit one holds something else.
#
#   tools/wine-env.sh <i686 build> shell bash tests/wine/registry-views.sh <x86_64 build>
set -euo pipefail
x64_build="$(cd "$1" && pwd)"

bin="$WINEPREFIX/drive_c/registry-views"
rm -rf "$bin"
mkdir -p "$bin"
cp "$x64_build/win32_tests.exe" "$bin/tests-x86_64.exe"
cp "$WIN32_BUILD/win32_tests.exe" "$bin/tests-i686.exe"
cd "$bin"
trap 'rm -rf "$bin"' EXIT

fail() { echo "registry-views: $*" >&2; exit 1; }

# The machine field of a PE file's header: 8664 (x86-64) or 014c (i386).
machine() {
  local at
  at="$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')"
  od -An -tx2 -j$((at + 4)) -N2 "$1" | tr -d ' '
}
[ "$(machine tests-x86_64.exe)" = 8664 ] || fail "$x64_build/win32_tests.exe is no x86-64 program"
[ "$(machine tests-i686.exe)" = 014c ] || fail "$WIN32_BUILD/win32_tests.exe is no i386 program"

"$WINE" tests-x86_64.exe --settings-places places.txt
mapfile -t places < <(tr -d '\r' <places.txt)
[ "${#places[@]}" -ge 10 ] || fail "only ${#places[@]} places listed"

# value <view> <key> <name>: the value's data as reg.exe shows it, or "-".
value() {
  "$WINE" reg query "$2" /v "$3" "/reg:$1" 2>/dev/null | tr -d '\r' |
    awk -v n="$3" '$1 == n { print $3; found = 1 } END { if (!found) print "-" }'
}
clear_places() {
  local p
  for p in "${places[@]}"; do
    "$WINE" reg delete "${p%%$'\t'*}" /v "${p#*$'\t'}" /f /reg:64 >/dev/null 2>&1 || true
    "$WINE" reg delete "${p%%$'\t'*}" /v "${p#*$'\t'}" /f /reg:32 >/dev/null 2>&1 || true
  done
}
# Every place with its value in the 64-bit view and in the 32-bit one.
snapshot() {
  local p
  for p in "${places[@]}"; do
    printf '%s\t%s\t64:%s\t32:%s\n' "${p%%$'\t'*}" "${p#*$'\t'}" \
      "$(value 64 "${p%%$'\t'*}" "${p#*$'\t'}")" "$(value 32 "${p%%$'\t'*}" "${p#*$'\t'}")"
  done
}
trap 'clear_places; rm -rf "$bin"' EXIT

for arch in x86_64 i686; do
  clear_places
  "$WINE" "tests-$arch.exe" --settings-writes written.txt
  snapshot >"after-$arch.txt"
  echo "== after the $arch build's writes (key, value, 64-bit view, 32-bit view):"
  cat "after-$arch.txt"
done

missing="$(awk -F'\t' '$3 == "64:-"' after-i686.txt)"
[ -z "$missing" ] || fail "not in the 64-bit view after the 32-bit build's writes: $missing"
diff -u after-x86_64.txt after-i686.txt || fail "the 32-bit build wrote other values than the 64-bit one"
# The comparison means something only where Windows keeps two copies; the
# Folder keys of HKLM are such (HKLM's Policies keys are shared).
redirected="$(awk -F'\t' '$1 ~ /^HKLM/ && $4 == "32:-"' after-i686.txt | wc -l)"
[ "$redirected" -gt 0 ] || fail "no place of HKLM is redirected here: the test proves nothing"
echo "== the same values in both views from both builds; $redirected HKLM places redirected for 32-bit programs"

# Reads: the two views hold different values, the binding reads the system's own.
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\Advanced\Folder\Hidden\SHOWALL'
"$WINE" reg add "$key" /v CheckedValue /t REG_DWORD /d 5 /f /reg:64 >/dev/null
"$WINE" reg add "$key" /v CheckedValue /t REG_DWORD /d 9 /f /reg:32 >/dev/null
for arch in x86_64 i686; do
  "$WINE" "tests-$arch.exe" --setting-read HKLM "${key#HKLM\\}" CheckedValue read.txt
  [ "$(cat read.txt)" = "number 5" ] || fail "the $arch build read $(cat read.txt) from the 64-bit view's 5"
done
echo "== both builds read CheckedValue 5 of the 64-bit view, not the 32-bit view's 9"
echo "registry-views: all checks passed"
