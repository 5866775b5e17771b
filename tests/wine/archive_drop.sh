#!/usr/bin/env bash
# Archives with Japanese member names dropped onto Kestrel.exe: an LZH (lh5,
# CP932 names, one of them in a folder, with 0x5C trail bytes) and a ZIP
# (one entry with the UTF-8 flag, one in CP932 without it). With
# "解凍後ﾌｧｲﾙ保存", "解凍ﾌｫﾙﾀﾞ固定" and "ﾌｫﾙﾀﾞ付解凍" on, each is unpacked
# into tmp and into the fixed folder; the tree shows the two folder nodes
# with their drawings, and the drawings print through the stand-in.
source "$(dirname "$0")/lib/common.bash"
new_program_folder
here=$(cd "$(dirname "$0")" && pwd)
samples=$(cd "$here/../../data/samples" && pwd)
d=$PROG/received
kept=$PROG/保存先
mkdir -p "$d" "$kept"
cp "$here/fixtures/cp932_names.lzh" "$d/図面セット.lzh"
# The ZIP: written with ASCII stand-in names of the same byte length, which
# are then replaced by the CP932 bytes (no flag) and left UTF-8 (flag).
python3 - "$d/受領図面.zip" "$samples/three_layouts.dxf" "$samples/model_a3_100.dxf" <<'PY'
import sys, zipfile
out, layouts, model = sys.argv[1:4]
cp932 = "詳細/断面図.dwg".encode("cp932")
placeholder = "Q" * (len(cp932) - 4) + ".dwg"
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    z.write(layouts, "立面図.dxf")          # non-ASCII: Python sets the UTF-8 flag
    z.write(model, placeholder)
data = open(out, "rb").read()
assert data.count(placeholder.encode()) == 2
open(out, "wb").write(data.replace(placeholder.encode(), cp932))
PY

journal=$PROG/journal.jsonl
set_button_device 1 "DWG To PDF.pc3" "ISO A3 (420.00 x 297.00 mm)" "monochrome.ctb"
caption=$(button_caption 1)
printf '[MainWindow]\r\nAcadExePath=%s\r\nAcadArg=--journal %s\r\nPrintMode=0\r\nLayoutSizeIndex=0\r\nGetChildFolder=1\r\nUNLZHFOLDER=1\r\nUNLZHFOLDERFIX=1\r\nUNLZHADDFOLDER=1\r\nFIXARCHIVEOPENDIR=%s\r\n' \
  "$(win_path "$PROG/tools/acadsim.exe")" "$(win_path "$journal")" "$(win_path "$kept")" |
  iconv -f UTF-8 -t CP932 > "$PROG/kestrel20.ini"
printf '[PaperSize]\r\nPAGE=1\r\nPageSize0=A3=420x297\r\n' > "$PROG/plot.ini"

start_kestrel
# The fixed folder's button opens the shell's folder browser; a cancel
# keeps the fixed folder. (Wine's browser does not select a folder below a
# drive at start, so OK would choose the drive.)
clicked=
for _ in 1 2 3 4 5; do out=$(driver click "Kestrel 2.30" "...") && { clicked=1; break; }; sleep 1; done
[ -n "$clicked" ] || fail "no \"...\" button: $out"
sleep 2
shot archive_drop-folder-browser
driver wait-box "固定解凍先のフォルダ" 30 "キャンセル" || fail "the folder browser \"固定解凍先のフォルダ\" did not show"
ok "the folder browser showed and was cancelled"

driver drop "Kestrel 2.30" "$(win_path "$d/図面セット.lzh")" "$(win_path "$d/受領図面.zip")" >/dev/null ||
  fail "the drop could not be delivered"
wait_drawing_count 4 || { shot archive_drop-failed; fail "the drawing count did not reach 4"; }
# The tree's records are read through a block in the program's memory, laid
# out for its bitness. An emulated program's memory cannot be reached that
# way (its addresses are not the host process's): there the labels are read
# through their edit boxes instead.
how=
[ -z "${KESTREL_XDND:-}" ] || how=labels
driver tree "Kestrel 2.30" $how | tr -d '\r' > "$KESTREL_ARTEFACTS/archive_drop-tree.txt" ||
  { cat "$KESTREL_ARTEFACTS/archive_drop-tree.txt"; fail "the tree could not be read"; }
cat "$KESTREL_ARTEFACTS/archive_drop-tree.txt"
tree_has() { grep -qxF -- "$1" "$KESTREL_ARTEFACTS/archive_drop-tree.txt" || fail "the tree lacks \"$1\""; }
for line in "図面セット" "  平面図.dxf" "  表紙" "    ソ連.dxf" "受領図面" "  立面図.dxf" "  詳細" "    断面図.dwg"; do
  tree_has "$line"
done
ok "the tree shows both archives with their Japanese names and folders"
shot archive_drop-tree

for f in 図面セット/平面図.dxf 図面セット/表紙/ソ連.dxf 受領図面/立面図.dxf 受領図面/詳細/断面図.dwg; do
  [ -f "$PROG/tmp/$f" ] || fail "not extracted into tmp: $f"
done
for f in 平面図.dxf 表紙/ソ連.dxf 立面図.dxf 詳細/断面図.dwg; do
  [ -f "$kept/$f" ] || fail "the fixed folder lacks its copy of $f"
done
cmp -s "$samples/model_a3_100.dxf" "$kept/平面図.dxf" || fail "the kept 平面図.dxf differs from what was packed"
ok "unpacked into tmp and into the fixed folder"

driver click "Kestrel 2.30" "$caption" >/dev/null || fail "no button \"$caption\""
box=$(driver wait-box "印刷が終わりました" 150) || { shot archive_drop-print-failed; fail "no final message: $box"; }
cp "$journal" "$KESTREL_ARTEFACTS/archive_drop-journal.jsonl"
plots=$(grep '"event":"plot"' "$journal" || true)
for name in 平面図.dxf ソ連.dxf 断面図.dwg; do
  grep -qF "$name" <<<"$plots" || fail "no plot of $name (journal: $KESTREL_ARTEFACTS/archive_drop-journal.jsonl)"
done
ok "the extracted drawings printed through the stand-in"
close_kestrel
grep -qF "FIXARCHIVEOPENDIR=$(win_path "$kept")" <(iconv -f CP932 -t UTF-8 "$PROG/kestrel20.ini" | tr -d '\r') ||
  fail "FIXARCHIVEOPENDIR was not kept at close"
ok "the fixed folder stored at close"
