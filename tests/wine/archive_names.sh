#!/usr/bin/env bash
# Japanese member names through Kestrel.exe's extraction engine (the driver's
# "extract" runs the same code): LZH (lh5, lh7, level-0 "\" paths) and ZIP
# with CP932 or UTF-8 names, among them "表", "ソ" and "能", whose CP932
# forms end in "\". The files must appear under their names on the Linux
# side, folders kept or flattened, under a Japanese code page (932) and
# under a Western one (1252) alike. Then members with unsafe Windows paths
# (.., drive letters, UNC, a stream name) are refused.
source "$(dirname "$0")/lib/common.bash"
new_program_folder
fixtures=$(cd "$(dirname "$0")/../unit/drawings/fixtures" && pwd)
deep='図面/表ソ能/能力表.dwg'

# check ARCHIVE SECOND-NAME LOCALE: extracts with and without folders and
# compares the files with the fixture's contents sizes.
check() {
  local archive=$1 second=$2 locale=$3
  local out=$PROG/out-${archive%.*}-${locale%%.*}
  local res
  res=$(LC_ALL=$locale LANG=$locale driver extract "$(win_path "$fixtures/$archive")" "$(win_path "$out")") ||
    { echo "$res"; fail "$archive ($locale): extraction failed"; }
  echo "$res" | head -n 1
  local want
  want=$(printf '%s\n' "$second" "$deep" | sort)
  got=$(cd "$out" && find . -type f | sed 's#^\./##' | sort)
  [ "$got" = "$want" ] || fail "$archive ($locale): files are
$got
expected
$want"
  [ "$(stat -c %s "$out/$deep")" = 22090 ] || fail "$archive ($locale): $deep has the wrong size"
  [ "$(stat -c %s "$out/$second")" = 10990 ] || fail "$archive ($locale): $second has the wrong size"

  res=$(LC_ALL=$locale LANG=$locale driver extract "$(win_path "$fixtures/$archive")" "$(win_path "$out-flat")" flat) ||
    { echo "$res"; fail "$archive ($locale): flat extraction failed"; }
  got=$(cd "$out-flat" && find . -type f | sed 's#^\./##' | sort)
  want=$(printf '%s\n' "$second" '能力表.dwg' | sort)
  [ "$got" = "$want" ] || fail "$archive ($locale): flat files are
$got"
  ok "$archive ($locale): $deep and $second"
}

acp_seen=
for locale in ja_JP.UTF-8 C.UTF-8; do
  acp=$(LC_ALL=$locale LANG=$locale driver extract "$(win_path "$fixtures/names_lh5.lzh")" "$(win_path "$PROG/probe")" |
    head -n 1 | sed -n 's/.*\tacp=\([0-9]*\).*/\1/p')
  acp_seen="$acp_seen $acp"
  check names_lh5.lzh ソフト.dxf "$locale"
  check names_lh7.lzh ソフト.dxf "$locale"
  check names_level0.lzh ソフト.dxf "$locale"
  check names_cp932.zip ソフト.dxf "$locale"
  check names_utf8.zip 한글.dxf "$locale"
done
grep -q ' 932' <<<"$acp_seen" || fail "no run under code page 932 (saw:$acp_seen)"
grep -qv '^ 932 932$' <<<"$acp_seen" || fail "no run under another code page (saw:$acp_seen)"
ok "code pages:$acp_seen"

# Unsafe names, which Windows reads differently from Linux: nothing may land
# outside the destination, the safe member still comes out.
mkdir -p "$PROG/unsafe/dest"
python3 - "$PROG/unsafe/evil.zip" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    for name in ("../up.dwg", "sub\\..\\..\\up2.dwg", "C:/drive.dwg", "C:drive2.dwg", "\\\\server\\share\\unc.dwg",
                 "x.dwg:stream", "ok.dwg"):
        z.writestr(name, "evil" if name != "ok.dwg" else "ok")
PY
res=$(driver extract "$(win_path "$PROG/unsafe/evil.zip")" "$(win_path "$PROG/unsafe/dest")") ||
  { echo "$res"; fail "the unsafe archive was not read to its end"; }
got=$(cd "$PROG/unsafe" && find . -type f | sed 's#^\./##' | sort)
[ "$got" = "$(printf '%s\n' dest/ok.dwg evil.zip)" ] || fail "files around the destination:
$got"
[ "$(grep -c '^refused' <<<"$res")" = 6 ] || { echo "$res"; fail "not every unsafe member was refused"; }
for f in /up.dwg "$PROG/up.dwg" "$PROG/up2.dwg" "${WINEPREFIX:-$HOME/.wine}/drive_c/drive.dwg"; do
  [ ! -e "$f" ] || fail "a member escaped to $f"
done
ok "unsafe members refused, ok.dwg extracted"
