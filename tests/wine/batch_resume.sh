#!/usr/bin/env bash
# A batch cut short by the end of Kestrel.exe itself: ten drawings, the
# process killed once the third plot is out and kept in the batch file
# beside the program. The next start offers the rest; continuing prints
# exactly the drawings not yet plotted (the stand-in's journal holds every
# drawing once), the report covers all ten, and the batch file is gone.
# Before all that, the start-up's emptying of "tmp" meets a link to a folder
# outside it: the folder's file stays. (Wine 8 shows a Unix link to a folder
# as a reparse point but refuses to remove one whose target holds files, so
# here the link itself may stay; Windows removes a junction or link.)
source "$(dirname "$0")/lib/common.bash"
new_program_folder
samples=$(cd "$(dirname "$0")/../../data/samples" && pwd)
d=$PROG/drawings
mkdir -p "$d"
journal=$PROG/journal.jsonl
batch=$PROG/kestrel_batch.txt
names=()
for i in $(seq -w 1 10); do
  cp "$samples/model_a3_100.dxf" "$d/r$i.dxf"
  names+=("r$i.dxf")
done

set_button_device 1 "DWG To PDF.pc3" "ISO A3 (420.00 x 297.00 mm)" "monochrome.ctb"
caption=$(button_caption 1)
printf '[MainWindow]\r\nAcadExePath=%s\r\nAcadArg=--journal %s\r\nPrintMode=0\r\nLayoutSizeIndex=0\r\nAcadClose=0\r\nUNATTENDED=1\r\n' \
  "$(win_path "$PROG/tools/acadsim.exe")" "$(win_path "$journal")" | iconv -f UTF-8 -t CP932 > "$PROG/kestrel20.ini"
printf '[PaperSize]\r\nPAGE=1\r\nPageSize0=A3=420x297\r\n' > "$PROG/plot.ini"

plots() { grep -c '"event":"plot"' "$journal" 2>/dev/null || true; }
kept_printed() { grep -c "^drawing	printed	" "$batch" 2>/dev/null || true; }

outside=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-outside-XXXXXX")
echo precious > "$outside/keep.dwg"
mkdir -p "$PROG/tmp/sub"
echo old > "$PROG/tmp/sub/old.dwg"
ln -s "$outside" "$PROG/tmp/link"
start_kestrel
[ -f "$outside/keep.dwg" ] || fail "the start-up deleted a file through a link in tmp"
[ ! -e "$PROG/tmp/sub" ] || fail "tmp was not emptied"
if [ -L "$PROG/tmp/link" ]; then ok "tmp emptied but for the link, which Wine would not remove; its folder untouched"
else ok "tmp emptied; the link removed, the folder it pointed to untouched"; fi
rm -rf "$outside"
paths=()
for n in "${names[@]}"; do paths+=("$(win_path "$d/$n")"); done
driver drop "Kestrel 2.30" "${paths[@]}" >/dev/null || fail "the drop could not be delivered"
wait_drawing_count 10 || fail "the drawing count did not reach 10"
driver click "Kestrel 2.30" "$caption" >/dev/null || fail "no button \"$caption\""
ok "clicked \"$caption\""

# The third plot out and written down: the program is killed there.
for _ in $(seq $((1500 * SLOW))); do
  [ "$(plots)" -ge 3 ] && [ "$(kept_printed)" -ge 3 ] && break
  sleep 0.1
done
[ "$(kept_printed)" -ge 3 ] || { shot batch_resume-stuck; fail "the batch file never held three printed drawings"; }
kill -9 "$KPID"
wait_exit "$KPID" 30 || fail "Kestrel.exe did not end when killed"
KPID=
before=$(plots)
cp "$batch" "$KESTREL_ARTEFACTS/batch_resume-state.txt"
head -1 "$batch" | grep -q '^Kestrel batch 1' || fail "the batch file is not one: $(head -1 "$batch")"
tail -1 "$batch" | tr -d '\r' | grep -qx end || fail "the batch file is cut short"
ok "killed after $before plots; the batch file holds $(kept_printed) printed drawings"

start_kestrel
box=$(driver wait-box "前回の印刷が最後まで終わっていません" $((60 * SLOW)) "はい" | tr -d '\r') ||
  { shot batch_resume-no-offer; fail "no offer to continue: $box"; }
echo "$box" | grep -qF "図面 10 枚のうち、残りは" || fail "the offer does not count the batch: $box"
ok "the next start offers the rest"
driver find-window "印刷結果" $((400 * SLOW)) >/dev/null || { shot batch_resume-failed; fail "no 印刷結果 window"; }
sleep 1
shot batch_resume-report
cp "$journal" "$KESTREL_ARTEFACTS/batch_resume-journal.jsonl"
for n in "${names[@]}"; do
  c=$(grep '"event":"plot"' "$journal" | grep -cF "$n" || true)
  [ "$c" = 1 ] || fail "$n was plotted $c times (journal: $KESTREL_ARTEFACTS/batch_resume-journal.jsonl)"
done
ok "every drawing plotted once: $before before the kill, $(( $(plots) - before )) after"
labels=$(driver children "印刷結果" | tr -d '\r')
echo "$labels" | grep -F "印刷済 10  印刷せず 0  失敗 0  未処理 0" >/dev/null || fail "the report does not cover the batch: $labels"
[ ! -e "$batch" ] || fail "the batch file is left after the batch ended"
ok "the report covers all ten; no batch file is left"
driver click "印刷結果" "閉じる" >/dev/null || fail "no 閉じる button"
close_kestrel
driver link find 2004 quit >/dev/null || fail "the stand-in could not be quit"
