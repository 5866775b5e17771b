#!/usr/bin/env bash
# "高速送信" end to end: PACEDSEND=1 shows as the checked box in the settings
# dialog's lower panel (a click and Cancel commit nothing), a batch is
# printed paced through a stand-in that takes its time for each input as
# AutoCAD does (opening and plotting longer than the command wait), every
# drawing is plotted as the button says, and the setting is kept in
# kestrel20.ini at close. (The dialog's OK is not used: this program folder
# has no plotter configurations, so the dialog's lists would not hold the
# button's device.)
source "$(dirname "$0")/lib/common.bash"
new_program_folder
samples=$(cd "$(dirname "$0")/../../data/samples" && pwd)
d=$PROG/drawings
mkdir -p "$d"
cp "$samples/model_a3_100.dxf" "$samples/default_limits.dxf" "$samples/three_layouts.dxf" "$d/"
journal=$PROG/journal.jsonl

device="DWG To PDF.pc3"
paper="ISO A3 (420.00 x 297.00 mm)"
set_button_device 1 "$device" "$paper" monochrome.ctb
caption=$(button_caption 1)
printf '[MainWindow]\r\nAcadExePath=%s\r\nAcadArg=--latency answer=5,open=400,save=120,plot=600,jitter=30,seed=3 --journal %s\r\nPrintMode=0\r\nLayoutSizeIndex=0\r\nPACEDSEND=1\r\n' \
  "$(win_path "$PROG/tools/acadsim.exe")" "$(win_path "$journal")" | iconv -f UTF-8 -t CP932 > "$PROG/kestrel20.ini"
printf '[PaperSize]\r\nPAGE=1\r\nPageSize0=A3=420x297\r\n' > "$PROG/plot.ini"

start_kestrel
driver menu-command "Kestrel 2.30" 1001 >/dev/null || fail "the menu command could not be sent"
driver find-window "Kestrel 環境設定" 30 >/dev/null || { shot paced_batch-failed; fail "the settings dialog did not appear"; }
sleep 1  # its controls are made after the window
driver click "Kestrel 環境設定" "開く" >/dev/null || fail "no button 開く"
driver children "Kestrel 環境設定" | tr -d '\r' | awk -F'\t' '$4 == "高速送信" && $2 == "visible" {f=1} END {exit !f}' ||
  fail "no check box 高速送信 in the lower panel"
sleep 1
shot paced_batch-settings
driver click "Kestrel 環境設定" "高速送信" >/dev/null || fail "高速送信 could not be clicked"
driver click "Kestrel 環境設定" "ｷｬﾝｾﾙ" >/dev/null || fail "no button ｷｬﾝｾﾙ"
for _ in $(seq 50); do
  driver children "Kestrel 環境設定" 2>/dev/null | tr -d '\r' | awk -F'\t' '$4 == "ｷｬﾝｾﾙ" {exit !($2 == "visible")}' || break
  sleep 0.2
done

driver drop "Kestrel 2.30" "$(win_path "$d/model_a3_100.dxf")" "$(win_path "$d/default_limits.dxf")" \
  "$(win_path "$d/three_layouts.dxf")" >/dev/null || fail "the drop could not be delivered"
wait_drawing_count 3 || fail "the drawing count did not reach 3"
driver click "Kestrel 2.30" "$caption" >/dev/null || fail "no button \"$caption\""
box=$(driver wait-box "印刷が終わりました" 150) || { shot paced_batch-failed; fail "no final message: $box"; }
cp "$journal" "$KESTREL_ARTEFACTS/paced_batch-journal.jsonl"
plots=$(grep '"event":"plot"' "$journal" || true)
for name in model_a3_100.dxf default_limits.dxf three_layouts.dxf; do
  line=$(grep -F "$name" <<<"$plots") || fail "no plot of $name (journal: $KESTREL_ARTEFACTS/paced_batch-journal.jsonl)"
  grep -qF "\"device\":\"$device\"" <<<"$line" && grep -qF "\"paper\":\"$paper\"" <<<"$line" ||
    fail "$name: not plotted as the button says: $line"
done
[ "$(grep -c . <<<"$plots")" = 3 ] || fail "expected three plots, got: $plots"
ok "three plots, paced, through a stand-in slower than the command wait"
close_kestrel
iconv -f CP932 -t UTF-8 "$PROG/kestrel20.ini" | tr -d '\r' | grep -qx 'PACEDSEND=1' || fail "PACEDSEND=1 not kept in kestrel20.ini"
ok "PACEDSEND=1 kept"
