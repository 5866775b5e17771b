#!/usr/bin/env bash
# Paths AutoCAD cannot be given: a folder holding ok.dxf, 図面_한글\k1.dxf
# and 髙橋①\t1.dxf is dropped with subfolders chosen. The drop leaves out
# k1.dxf (Korean has no code in AutoCAD's code page) and says so in one
# message; the first plot button prints the other two, 髙橋① included.
# The Win32 code page table is checked on the same characters first.
source "$(dirname "$0")/lib/common.bash"
new_program_folder
samples=$(cd "$(dirname "$0")/../../data/samples" && pwd)

check=$(driver cp932-check) || { echo "$check"; fail "the Win32 code page check"; }
ok "the Win32 code page table names the same characters as the native one"

d=$PROG/drawings
mkdir -p "$d/図面_한글" "$d/髙橋①"
cp "$samples/model_a3_100.dxf" "$d/ok.dxf"
cp "$samples/model_a3_100.dxf" "$d/図面_한글/k1.dxf"
cp "$samples/model_a3_100.dxf" "$d/髙橋①/t1.dxf"
journal=$PROG/journal.jsonl

set_button_device 1 "DWG To PDF.pc3" "ISO A3 (420.00 x 297.00 mm)" "monochrome.ctb"
caption=$(button_caption 1)
[ -n "$caption" ] || fail "no USERNAME for the first button in base.ini"

printf '[MainWindow]\r\nAcadExePath=%s\r\nAcadArg=--journal %s\r\nPrintMode=0\r\nLayoutSizeIndex=0\r\nGetChildFolder=1\r\n' \
  "$(win_path "$PROG/tools/acadsim.exe")" "$(win_path "$journal")" | iconv -f UTF-8 -t CP932 > "$PROG/kestrel20.ini"
printf '[PaperSize]\r\nPAGE=1\r\nPageSize0=A3=420x297\r\n' > "$PROG/plot.ini"

start_kestrel
driver drop "Kestrel 2.30" "$(win_path "$d")" >/dev/null || fail "the drop could not be delivered"
driver find-window "Kestrel メッセージ" 30 >/dev/null || { shot unencodable_paths-no-message; fail "no message after the drop"; }
sleep 1
shot unencodable_paths-refused
box=$(driver wait-box "AutoCAD で開くことができません" 10) || fail "the refusal message was not found: $box"
echo "$box"
grep -qF '図面_한글\k1.dxf' <<<"$box" || fail "the message does not name k1.dxf"
grep -qF '「한」' <<<"$box" || fail "the message does not name the character"
if grep -qF 't1.dxf' <<<"$box" || grep -qF 'ok.dxf' <<<"$box"; then fail "the message names a drawing that was listed"; fi
ok "one message names k1.dxf and its character"
wait_drawing_count 2 || { shot unencodable_paths-count; fail "the drawing count did not reach 2"; }
ok "two drawings listed"

driver click "Kestrel 2.30" "$caption" >/dev/null || fail "no button \"$caption\""
box=$(driver wait-box "印刷が終わりました" 150) || { shot unencodable_paths-failed; fail "no final message: $box"; }
echo "$box"
[ -f "$journal" ] || fail "the stand-in wrote no journal"
cp "$journal" "$KESTREL_ARTEFACTS/unencodable_paths-journal.jsonl"
plots=$(grep '"event":"plot"' "$journal" || true)
[ "$(grep -c . <<<"$plots")" = 2 ] || fail "expected two plot records (journal: $KESTREL_ARTEFACTS/unencodable_paths-journal.jsonl)"
grep -qF 'ok.dxf' <<<"$plots" || fail "ok.dxf was not plotted"
grep -qF 't1.dxf' <<<"$plots" || fail "t1.dxf was not plotted"
ok "ok.dxf and 髙橋①\\t1.dxf printed"
close_kestrel
