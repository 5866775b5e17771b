#!/usr/bin/env bash
# Both Kestrel.exe carry the version resource Explorer shows (product
# "Kestrel", version 2.30, a Japanese description, in UTF-16 as Windows reads
# it) and the program's icon.
#
# Needs KESTREL_WIN_BUILD and KESTREL_WIN32_BUILD (the cross build folders).
set -euo pipefail
: "${KESTREL_WIN_BUILD:?}" "${KESTREL_WIN32_BUILD:?}"
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
ICON=$ROOT/src/shell/win32/kestrel.ico

fails=0
bad() { echo "FAIL: $*" >&2; fails=$((fails + 1)); }
hex() { od -An -tx1 -v | tr -d ' \n'; }
utf16() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | hex; }

# One image of the icon file, as a hex string: entry $1 of its directory.
icon_image() {
  local entry=$1 dir size offset
  dir=$(head -c $((6 + 16 * (entry + 1))) "$ICON" | tail -c 16 | hex)
  le32() { local h=${dir:$1:8}; echo $((16#${h:6:2}${h:4:2}${h:2:2}${h:0:2})); }
  size=$(le32 16); offset=$(le32 24)
  tail -c +$((offset + 1)) "$ICON" | head -c "$size" | hex
}

for exe in "$KESTREL_WIN32_BUILD/Kestrel.exe" "$KESTREL_WIN_BUILD/Kestrel.exe"; do
  [ -f "$exe" ] || { bad "$exe is missing"; continue; }
  body=$(hex < "$exe")
  for pair in "ProductName=Kestrel" "ProductVersion=2.30" "FileVersion=2.30" \
      "FileDescription=Kestrel AutoCAD 図面一括印刷"; do
    key=${pair%%=*} value=${pair#*=}
    # A string entry: key, NUL, padding to 4 bytes, value, NUL.
    grep -Eq "$(utf16 "$key")0000(0000)?$(utf16 "$value")0000" <<<"$body" ||
      bad "$exe: no version string $key = \"$value\""
  done
  # The fixed part: FILEVERSION 2.30.0.0 is 0x0002001e 0x00000000 after the signature.
  grep -q 'bd04effe000001001e00020000000000' <<<"$body" || bad "$exe: the fixed file version is not 2.30"
  for entry in 0 1 2; do
    grep -q "$(icon_image $entry)" <<<"$body" || bad "$exe: image $entry of kestrel.ico is not in its resources"
  done
done
[ "$fails" = 0 ] || exit 1
echo "ok: both programs carry the version resource and the icon"
