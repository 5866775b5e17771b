#!/usr/bin/env bash
# A batch printed end to end: Kestrel.exe starts acadsim.exe (AcadExePath
# in kestrel20.ini, with a journal), three drawings are dropped, the first
# plot button is clicked, the final message is answered, and the stand-in's
# journal holds one plot per drawing with the button's device, paper,
# style table and scale.
source "$(dirname "$0")/lib/common.bash"
new_program_folder
samples=$(cd "$(dirname "$0")/../../data/samples" && pwd)
d=$PROG/drawings
mkdir -p "$d"
cp "$samples/model_a3_100.dxf" "$samples/default_limits.dxf" "$d/"
cp "$samples/model_a3_100.dxf" "$d/third.dwg"
journal=$PROG/journal.jsonl

device="DWG To PDF.pc3"
paper="ISO A3 (420.00 x 297.00 mm)"
style="monochrome.ctb"
# The first button of the shipped set, given a device, a paper and a style
# table of the stand-in's.
set_button_device 1 "$device" "$paper" "$style"
caption=$(button_caption 1)
[ -n "$caption" ] || fail "no USERNAME for the first button in base.ini"

printf '[MainWindow]\r\nAcadExePath=%s\r\nAcadArg=--journal %s\r\nPrintMode=0\r\nLayoutSizeIndex=0\r\n' \
  "$(win_path "$PROG/tools/acadsim.exe")" "$(win_path "$journal")" | iconv -f UTF-8 -t CP932 > "$PROG/kestrel20.ini"
# The layouts' base paper, as the paper acquisition leaves it.
printf '[PaperSize]\r\nPAGE=1\r\nPageSize0=A3=420x297\r\n' > "$PROG/plot.ini"

start_kestrel
driver drop "Kestrel 2.30" "$(win_path "$d/model_a3_100.dxf")" "$(win_path "$d/default_limits.dxf")" \
  "$(win_path "$d/third.dwg")" >/dev/null || fail "the drop could not be delivered"
wait_drawing_count 3 || fail "the drawing count did not reach 3"
driver click "Kestrel 2.30" "$caption" >/dev/null || fail "no button \"$caption\""
ok "clicked \"$caption\""
sleep 3
shot plot_batch-running
box=$(driver wait-box "印刷が終わりました" 150) || { shot plot_batch-failed; fail "no final message: $box"; }
echo "$box"
shot plot_batch-done
[ -f "$journal" ] || fail "the stand-in wrote no journal"
cp "$journal" "$KESTREL_ARTEFACTS/plot_batch-journal.jsonl"
plots=$(grep '"event":"plot"' "$journal" || true)
[ "$(grep -c . <<<"$plots")" = 3 ] || fail "expected three plot records (journal: $KESTREL_ARTEFACTS/plot_batch-journal.jsonl)"
for name in model_a3_100.dxf default_limits.dxf third.dwg; do
  line=$(grep -F "$name" <<<"$plots") || fail "no plot of $name"
  grep -qF "\"device\":\"$device\"" <<<"$line" || fail "$name: not plotted to $device: $line"
  grep -qF "\"paper\":\"$paper\"" <<<"$line" || fail "$name: not on $paper: $line"
  # Scale printing is off in these settings: the button plots to fit.
  grep -qF '"scale":"fit"' <<<"$line" || fail "$name: not scaled to fit: $line"
  grep -qF "\"styletable\":\"$style\"" <<<"$line" || fail "$name: not with $style: $line"
done
ok "three plots with the button's device, paper, style table and scale"
close_kestrel
