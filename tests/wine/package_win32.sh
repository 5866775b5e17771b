#!/usr/bin/env bash
# The 32-bit program from its release package, under 32-bit Wine: the zip
# unpacked into an empty folder, Kestrel.exe starts with the shipped set
# (the set "Base" from BottonSets/base.ini), takes a drawing and two
# archives, prints the four drawings through the stand-in, closes, and has
# written its settings beside itself.
source "$(dirname "$0")/lib/common.bash"
: "${KESTREL_PACKAGES:?run through scripts/test (the folder of the release packages)}"
KESTREL_LOADER=${KESTREL_WINE32:-}
# Debian's wine32 is a 32-bit Linux program: a kernel without 32-bit
# support (some virtual machines) cannot start it, unless scripts/test was
# asked to hand it to qemu's emulator (KESTREL_I386_EMULATION=1). Where
# neither works there is nothing to run the 32-bit program on, and the test
# says so instead of failing.
if [ -z "$KESTREL_LOADER" ] || ! "$KESTREL_LOADER" --version >/dev/null 2>&1; then
  echo "SKIP: no runnable 32-bit Wine loader (${KESTREL_LOADER:-none}) on this machine"
  exit 77
fi
if [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
  echo "SKIP: the Wine prefix $WINEPREFIX has no 32-bit half (made before 32-bit programs could start)"
  exit 77
fi
# Emulated, the 32-bit program takes about a minute to start; the limits
# below are for that, not for Windows.
if grep -q qemu /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null; then SLOW=4; fi
zip=$(ls "$KESTREL_PACKAGES"/Kestrel-*-win32.zip 2>/dev/null | head -n 1)
[ -n "$zip" ] || fail "no win32 package in $KESTREL_PACKAGES"

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-e2e32-XXXXXX")
PROG=$work/Kestrel
trap 'cleanup; rm -rf "$work"' EXIT
mkdir -p "$work/unzipped"
unzip -q "$zip" -d "$work/unzipped"
mv "$work/unzipped/Kestrel" "$PROG"
# The stand-in and the driver outside the program folder: the 64-bit ones,
# as beside the 32-bit program on a 64-bit Windows (window messages, the
# drop and the typed texts cross between the two as there). Emulated, a
# 32-bit driver would cost a minute per call.
tools=$work/tools
cp -r "$KESTREL_DIST/tools" "$tools"
driver() { "$WINE" "$tools/kdriver.exe" "$@"; }
format=$(LC_ALL=C "${OBJDUMP:-x86_64-w64-mingw32-objdump}" -f "$PROG/Kestrel.exe")
grep -q 'file format pei-i386' <<<"$format" || fail "the package's Kestrel.exe is not 32-bit"

# A drawing and two archives, so that the 32-bit build's own libarchive
# (lh5, deflate) and its CP932 names are run too: the LZH holds 平面図.dxf
# (the model drawing) and 表紙/ソ連.dxf; the ZIP holds 断面図.dxf.
here=$(cd "$(dirname "$0")" && pwd)
model=$here/../../data/samples/model_a3_100.dxf
d=$work/drawings
mkdir -p "$d"
cp "$model" "$d/"
cp "$here/fixtures/cp932_names.lzh" "$d/図面セット.lzh"
/usr/bin/python3 -c 'import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z: z.write(sys.argv[2], "断面図.dxf")' \
  "$d/受領図面.zip" "$model"
journal=$work/journal.jsonl
device="DWG To PDF.pc3"
paper="ISO A3 (420.00 x 297.00 mm)"
style="monochrome.ctb"
set_button_device 1 "$device" "$paper" "$style"
caption=$(button_caption 1)
[ -n "$caption" ] || fail "no USERNAME for the first button in base.ini"
printf '[MainWindow]\r\nAcadExePath=%s\r\nAcadArg=--journal %s\r\nPrintMode=0\r\nLayoutSizeIndex=0\r\n' \
  "$(win_path "$tools/acadsim.exe")" "$(win_path "$journal")" | iconv -f UTF-8 -t CP932 > "$PROG/kestrel20.ini"
printf '[PaperSize]\r\nPAGE=1\r\nPageSize0=A3=420x297\r\n' > "$PROG/plot.ini"

start_kestrel
ok "the 32-bit program started"
# Dragged in as from a Linux file manager: Wine's X11 driver makes the
# drop inside the program, which works whatever runs it (kdriver's drop
# writes into the target's memory, which emulation does not allow).
/usr/bin/python3 "$KESTREL_TESTLIB/xdnd_drop.py" "Kestrel 2.30" $((30 * SLOW)) \
  "$d/model_a3_100.dxf" "$d/図面セット.lzh" "$d/受領図面.zip" || fail "the drop could not be delivered"
wait_drawing_count 4 || { shot package_win32-drop-failed; fail "the drawing count did not reach 4"; }
# "ﾌｫﾙﾀﾞ付解凍" is off: each archive's members land in one folder.
for f in 図面セット/平面図.dxf 図面セット/ソ連.dxf 受領図面/断面図.dxf; do
  [ -f "$PROG/tmp/$f" ] || fail "not extracted into tmp: $f"
done
cmp -s "$model" "$PROG/tmp/図面セット/平面図.dxf" || fail "平面図.dxf differs from what the LZH holds"
cmp -s "$model" "$PROG/tmp/受領図面/断面図.dxf" || fail "断面図.dxf differs from what the ZIP holds"
ok "dropped: a drawing, an LZH and a ZIP, unpacked into tmp"
driver click "Kestrel 2.30" "$caption" >/dev/null || fail "no button \"$caption\" (the shipped set was not read)"
box=$(driver wait-box "印刷が終わりました" $((150 * SLOW))) || { shot package_win32-failed; fail "no final message: $box"; }
shot package_win32-done
[ -f "$journal" ] || fail "the stand-in wrote no journal"
cp "$journal" "$KESTREL_ARTEFACTS/package_win32-journal.jsonl"
plots=$(grep '"event":"plot"' "$journal") || fail "no plot in the journal"
for name in model_a3_100.dxf 平面図.dxf ソ連.dxf 断面図.dxf; do
  grep -qF "$name" <<<"$plots" || fail "no plot of $name (journal: $KESTREL_ARTEFACTS/package_win32-journal.jsonl)"
done
while read -r line; do
  grep -qF "\"device\":\"$device\"" <<<"$line" || fail "not plotted to $device: $line"
  grep -qF "\"paper\":\"$paper\"" <<<"$line" || fail "not on $paper: $line"
done <<<"$plots"
ok "the four drawings printed through the stand-in with the shipped set's first button"
close_kestrel

# The settings beside the program: the whole main settings file rewritten at
# close, the set still "Base", and still one base set file.
iconv -f CP932 -t UTF-8 "$PROG/kestrel20.ini" | tr -d '\r' > "$work/ini.utf8" || fail "kestrel20.ini is not CP932"
grep -qx 'CurrentBtnSet=Base' "$work/ini.utf8" || fail "CurrentBtnSet is not Base"
grep -q '^ModeVisible=' "$work/ini.utf8" || fail "kestrel20.ini was not written at close"
[ "$(ls "$PROG/BottonSets")" = base.ini ] || fail "BottonSets holds $(ls "$PROG/BottonSets" | tr '\n' ' ')"
ok "settings written beside the program"
