#!/usr/bin/env bash
# The release packages hold the program folder as it ships and nothing else:
# every file Kestrel needs, the base set once (a zip with "Base.ini" beside
# "base.ini" asks the Windows user to overwrite), the notes in code page 932,
# and no stand-in or test tool.
#
# Needs KESTREL_WIN_BUILD and KESTREL_WIN32_BUILD (the cross build folders).
set -euo pipefail
: "${KESTREL_WIN_BUILD:?}" "${KESTREL_WIN32_BUILD:?}"
source "$(dirname "$0")/../../scripts/lib.sh"
WIN=$KESTREL_WIN_BUILD WIN32_BUILD=$KESTREL_WIN32_BUILD
OBJDUMP=${OBJDUMP:-x86_64-w64-mingw32-objdump}

out=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-packages-XXXXXX")
trap 'rm -rf "$out"' EXIT
make_packages "$out" 2>/dev/null

fails=0
bad() { echo "FAIL: $*" >&2; fails=$((fails + 1)); }

notes=はじめにお読みください.txt
expected=$(printf '%s\n' Kestrel/ Kestrel/BottonSets/ Kestrel/BottonSets/base.ini Kestrel/Drawing1.dwg \
  Kestrel/Kestrel.exe Kestrel/help/ Kestrel/help/Kestrelhelp.html "Kestrel/$notes" | LC_ALL=C sort)

for arch in win32 x64; do
  zip=$out/Kestrel-$KESTREL_VERSION-$arch.zip
  [ -f "$zip" ] || { bad "no $(basename "$zip")"; continue; }
  # Names as a Japanese Windows reads them (code page 932).
  listing=$(unzip -Z1 "$zip" | iconv -f CP932 -t UTF-8) || { bad "$arch: a name is not code page 932"; continue; }
  echo "$(basename "$zip"):"; sed 's/^/  /' <<<"$listing"
  sorted=$(LC_ALL=C sort <<<"$listing")
  [ "$sorted" = "$expected" ] || bad "$arch: contents differ from the program folder as it ships:
$(diff <(echo "$expected") <(echo "$sorted") || true)"
  if grep -qiE 'acadsim|kdriver|uigallery|(^|/)tools/' <<<"$listing"; then bad "$arch: holds a stand-in or a test tool"; fi
  n=$(grep -ci '^Kestrel/BottonSets/base\.ini$' <<<"$listing" || true)
  [ "$n" = 1 ] || bad "$arch: the base set is there $n times (names compared as Windows does)"
  dupes=$(tr '[:upper:]' '[:lower:]' <<<"$listing" | sort | uniq -d)
  [ -z "$dupes" ] || bad "$arch: names that are one file on Windows: $dupes"

  x=$out/x-$arch
  mkdir -p "$x"
  unzip -q "$zip" -d "$x"
  want=pei-i386; [ "$arch" = x64 ] && want=pei-x86-64
  format=$(LC_ALL=C "$OBJDUMP" -f "$x/Kestrel/Kestrel.exe")
  grep -q "file format $want" <<<"$format" || bad "$arch: Kestrel.exe is not $want"
  cmp -s "$x/Kestrel/BottonSets/base.ini" "$ROOT/data/BottonSets/base.ini" || bad "$arch: base.ini is not the shipped template"
  cmp -s "$x/Kestrel/help/Kestrelhelp.html" "$ROOT/help/Kestrelhelp.html" || bad "$arch: the help file differs"
  # The notes: code page 932 with CRLF line ends, saying where to unzip.
  note=$x/Kestrel/$(printf '%s' "$notes" | iconv -f UTF-8 -t CP932)
  if text=$(iconv -f CP932 -t UTF-8 "$note" 2>/dev/null); then
    grep -q '書き込み' <<<"$text" || bad "$arch: the notes do not say to unzip into a folder the user can write to"
    [ "$(grep -c $'\r$' <<<"$text")" = "$(wc -l <<<"$text")" ] || bad "$arch: the notes do not end every line with CRLF"
  else
    bad "$arch: the notes are not code page 932"
  fi
done
[ "$fails" = 0 ] || exit 1
echo "ok: both packages hold the program folder as it ships"
