#!/usr/bin/env bash
# An unattended batch of 20 drawings end to end: one unreadable drawing, one
# whose style table the stand-in does not know, one whose scale is doubtful
# (answered "印刷しない"), one at which the stand-in hangs once and one at
# which it vanishes twice. The run must end by itself, without a message
# box, in the 印刷結果 window: the hung drawing tried again and printed, the
# twice-vanished one failed, 16 plots in the journal (each drawing once),
# the four others listed with their reasons, three restarts of the
# stand-in, its settings given back at the end. 失敗分を再印刷 then prints
# the one that can be printed now (the vanishing has stopped). The
# restart's cost is taken from the stamped journal.
source "$(dirname "$0")/lib/common.bash"
new_program_folder
samples=$(cd "$(dirname "$0")/../../data/samples" && pwd)
d=$PROG/drawings
mkdir -p "$d"
journal=$PROG/journal.jsonl
marks=$PROG/fault

# A model-space drawing whose page setup names a style table.
styled_dxf() {
  local limx=$1 limy=$2 style=$3
  printf '  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$LIMMIN\r\n 10\r\n0.0\r\n 20\r\n0.0\r\n  9\r\n$LIMMAX\r\n 10\r\n%s\r\n 20\r\n%s\r\n  9\r\n$TILEMODE\r\n 70\r\n1\r\n  0\r\nENDSEC\r\n' "$limx" "$limy"
  printf '  0\r\nSECTION\r\n  2\r\nTABLES\r\n  0\r\nTABLE\r\n  2\r\nBLOCK_RECORD\r\n  0\r\nBLOCK_RECORD\r\n  5\r\n1F\r\n  2\r\n*Model_Space\r\n  0\r\nENDTAB\r\n  0\r\nENDSEC\r\n'
  printf '  0\r\nSECTION\r\n  2\r\nOBJECTS\r\n  0\r\nLAYOUT\r\n  5\r\nA1F\r\n100\r\nAcDbPlotSettings\r\n  1\r\n\r\n  7\r\n%s\r\n 70\r\n0\r\n 75\r\n16\r\n142\r\n1\r\n143\r\n1\r\n100\r\nAcDbLayout\r\n  1\r\nModel\r\n 70\r\n1\r\n 71\r\n0\r\n330\r\n1F\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n' "$style"
}

names=()
for i in $(seq -w 1 20); do
  case $i in
    04) n=d04_unreadable.dwg; cp "$samples/unreadable.dwg" "$d/$n" ;;
    07) n=d07_style.dxf; styled_dxf 42000.0 29700.0 gone.ctb > "$d/$n" ;;
    10) n=d10_doubtful.dxf; styled_dxf 1000.0 700.0 monochrome.ctb > "$d/$n" ;;
    13) n=d13_hang.dxf; styled_dxf 42000.0 29700.0 monochrome.ctb > "$d/$n" ;;
    16) n=d16_vanish.dxf; styled_dxf 42000.0 29700.0 monochrome.ctb > "$d/$n" ;;
    *) n=d$i.dxf; styled_dxf 42000.0 29700.0 monochrome.ctb > "$d/$n" ;;
  esac
  names+=("$n")
done

device="DWG To PDF.pc3"
paper="ISO A3 (420.00 x 297.00 mm)"
# The drawings' own style tables: a table the stand-in does not know stops
# that drawing.
set_button_device 1 "$device" "$paper" "None"
base=$PROG/BottonSets/base.ini
iconv -f CP932 -t UTF-8 "$base" | tr -d '\r' | awk '/^\[/ {in1 = ($0 == "[Ploter1Fleld]")} in1 && /^PAPERSIZE=/ {print "PAPERSIZE=420x297"; next} {print}' |
  sed 's/$/\r/' | iconv -f UTF-8 -t CP932 > "$base.new" && mv "$base.new" "$base"
caption=$(button_caption 1)

arg="--journal $(win_path "$journal") --journal-clock --hang-on d13_hang.dxf --vanish-on d16_vanish.dxf --once $(win_path "$marks")"
printf '[MainWindow]\r\nAcadExePath=%s\r\nAcadArg=%s\r\nPrintMode=0\r\nLayoutSizeIndex=0\r\nModelScalePrint=1\r\nScaleCalc=0\r\nAcadClose=0\r\nStartWait=30\r\nAcadWaitLimit=10\r\nUNATTENDED=1\r\nUNATTENDEDSCALE=2\r\n' \
  "$(win_path "$PROG/tools/acadsim.exe")" "$arg" | iconv -f UTF-8 -t CP932 > "$PROG/kestrel20.ini"
printf '[PaperSize]\r\nPAGE=1\r\nPageSize0=A3=420x297\r\n' > "$PROG/plot.ini"

# The stand-in marks each fault as done (--once); the vanishing's mark is
# taken away once, so that the stand-in started again vanishes on the same
# drawing a second time.
( for _ in $(seq 3000); do
    if [ -e "$marks.vanish" ]; then rm -f "$marks.vanish"; exit 0; fi
    sleep 0.1
  done ) &
unmark=$!

start_kestrel
paths=()
for n in "${names[@]}"; do paths+=("$(win_path "$d/$n")"); done
driver drop "Kestrel 2.30" "${paths[@]}" >/dev/null || fail "the drop could not be delivered"
wait_drawing_count 20 || fail "the drawing count did not reach 20"
driver click "Kestrel 2.30" "$caption" >/dev/null || fail "no button \"$caption\""
ok "clicked \"$caption\" with 無人運転 on"

driver find-window "印刷結果" 400 >/dev/null || { shot unattended-failed; fail "no 印刷結果 window"; }
sleep 1
shot unattended-report
cp "$journal" "$KESTREL_ARTEFACTS/unattended-journal.jsonl"
# No message box came up on the way: every box has this caption.
driver find-window "Kestrel メッセージ" 1 >/dev/null && fail "a message box is open"
wait "$unmark" 2>/dev/null || true
plots=$(grep -c '"event":"plot"' "$journal" || true)
[ "$plots" = 16 ] || fail "expected 16 plots, the journal has $plots"
for n in d04_unreadable.dwg d07_style.dxf d10_doubtful.dxf d16_vanish.dxf; do
  grep '"event":"plot"' "$journal" | grep -qF "$n" && fail "$n was plotted"
done
for n in "${names[@]}"; do
  c=$(grep '"event":"plot"' "$journal" | grep -cF "$n" || true)
  [ "$c" -le 1 ] || fail "$n was plotted $c times"
done
ok "16 plots, each drawing once, the hung one among them after its retry"
labels=$(driver children "印刷結果" | tr -d '\r')
echo "$labels" | grep -F "AutoCAD 再起動 3 回" >/dev/null || fail "the report does not count three restarts: $labels"
echo "$labels" | grep -F "印刷済 16  印刷せず 3  失敗 1  未処理 0" >/dev/null || fail "the report's counts: $labels"
list=$(driver copy-grid "印刷結果")
echo "$list" > "$KESTREL_ARTEFACTS/unattended-report.txt"
expect_row() { echo "$list" | grep -F "$1" | grep -qF "$2" || fail "row $1 lacks \"$2\": $(echo "$list" | grep -F "$1")"; }
expect_row d04_unreadable.dwg "開くことができません"
expect_row d07_style.dxf "印刷スタイルが見つかりません"
expect_row d10_doubtful.dxf "が不確か: 印刷中止"
expect_row d13_hang.dxf "コマンド待ちに戻りませんでした。 → AutoCAD を起動し直して再試行"
expect_row d13_hang.dxf "印刷済"
expect_row d16_vanish.dxf "2 回続けて止まったため"
ok "the faulty ones are listed with their reasons, the retry with its cause"
# The last stand-in got FILEDIA, CMDDIA and PROXYNOTICE back (1 each, the
# settings' default).
vars=$(driver link find 2004 var FILEDIA var CMDDIA var PROXYNOTICE | tr -d '\r') || fail "no stand-in to ask: $vars"
for v in FILEDIA CMDDIA PROXYNOTICE; do
  echo "$vars" | grep -qx "var $v: 1" || fail "$v not given back: $vars"
done
ok "the last stand-in's FILEDIA, CMDDIA and PROXYNOTICE are back to 1"

# The restart's cost, on the stand-ins' common time line: from the hung
# drawing's opening (its hang), less the limit waited, to its opening again
# on the new stand-in; from the vanishing drawing's opening to its second.
stamp() { grep '"event":"open"' "$journal" | grep -F "$1" | sed -n "${2}p" | sed 's/.*"ms":"\([0-9]*\)".*/\1/'; }
t13=$(stamp d13_hang.dxf 1); t13b=$(stamp d13_hang.dxf 2); t16=$(stamp d16_vanish.dxf 1); t16b=$(stamp d16_vanish.dxf 2)
{
  echo "hang: d13 opened at $t13 ms, again at $t13b ms: $((t13b - t13)) ms, of which the 10000 ms limit; restart $((t13b - t13 - 10000)) ms"
  echo "vanish: d16 opened at $t16 ms, again at $t16b ms: restart $((t16b - t16)) ms"
} | tee "$KESTREL_ARTEFACTS/unattended-restart.txt"

driver click "印刷結果" "失敗分を再印刷" >/dev/null || fail "no 失敗分を再印刷 button"
sleep 3
driver find-window "印刷結果" 300 >/dev/null || fail "no second 印刷結果 window"
sleep 1
shot unattended-rerun
plots=$(grep -c '"event":"plot"' "$journal" || true)
[ "$plots" = 17 ] || fail "after the re-run expected 17 plots, the journal has $plots"
grep '"event":"plot"' "$journal" | grep -qF d16_vanish.dxf || fail "d16_vanish.dxf was not printed by the re-run"
ok "the re-run printed the vanished drawing, and only that"
driver click "印刷結果" "閉じる" >/dev/null || fail "no 閉じる button"
close_kestrel
# The run leaves AutoCAD open (AcadClose=0); the last stand-in is ended here.
driver link find 2004 quit >/dev/null || fail "the last stand-in could not be quit"
