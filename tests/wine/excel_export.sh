#!/usr/bin/env bash
# The scale check table sent to the spreadsheet end to end. First with
# excelsim.exe registered as "Excel.Application": "Excel転送" fills a new
# book through automation (the stand-in's journal holds every cell), the
# stand-in's window stays open, and closing it ends the stand-in (Kestrel
# let go of every reference). Then with nothing registered: the message,
# the save question, the save dialog, and the written workbook read back.
source "$(dirname "$0")/lib/common.bash"
new_program_folder
samples=$(cd "$(dirname "$0")/../../data/samples" && pwd)
d=$PROG/drawings
mkdir -p "$d"
cp "$samples/model_a3_100.dxf" "$samples/three_layouts.dxf" "$d/"
cp "$samples/default_limits.dxf" "$d/unset.dwg"
journal=$PROG/journal.jsonl
cells=$PROG/excel-cells.txt
export KESTREL_EXCELSIM_JOURNAL
KESTREL_EXCELSIM_JOURNAL=$(win_path "$cells")

{
  printf '[MainWindow]\r\nAcadExePath=%s\r\nAcadArg=--journal %s\r\n' \
    "$(win_path "$PROG/tools/acadsim.exe")" "$(win_path "$journal")"
} | iconv -f UTF-8 -t CP932 > "$PROG/kestrel20.ini"
printf '[PaperSize]\r\nPAGE=1\r\nPageSize0=A3=297x420\r\n' > "$PROG/plot.ini"

# The registration is this test's own, so that the rest of the prefix
# knows no spreadsheet.
excel_registration() { "$WINE" "$PROG/tools/excelsim.exe" "$1" || fail "excelsim.exe $1 failed"; }
# The stand-ins this test started, told apart from others by its folder.
stand_ins() { pgrep -f "$(basename "$PROG").tools.$1\.exe" || true; }
excelsim_running() { [ -n "$(stand_ins excelsim)" ]; }
# A failed run must not leave an AutoCAD behind for the next test.
trap '"$WINE" "$PROG/tools/excelsim.exe" /unregserver 2>/dev/null || true; kill $(stand_ins acadsim) $(stand_ins excelsim) 2>/dev/null || true; cleanup' EXIT
# A stand-in left running (by a run that was killed) would take the
# transfer into its own journal.
pgrep -af 'tools.excelsim\.exe' && fail "an excelsim.exe is running already (above)"
excel_registration /regserver

# The program's automation backend against the stand-in, use by use: values
# come back as they were put, names are found in any case, and the
# server's refusals arrive as errors with its words.
check=$(KESTREL_EXCELSIM_JOURNAL=$(win_path "$PROG/check-cells.txt") driver excel-check | tr -d '\r') ||
  fail "excel-check: $check"
expected_check='Visible=(false)
NoActiveSheet=nothing
Name=Book1
A1.Value=1/100
A1.NumberFormatLocal=@
I2.Value=100
I2.Address=$I$2
B3.Text=図面名'
[ "$(head -8 <<<"$check")" = "$expected_check" ] || fail "excel-check: $check"
grep -q '^Unknown!NoSuchMember: ' <<<"$check" || fail "an unknown member did not fail: $check"
grep -qx 'BadColumn!Cells: 列 "a1" はありません。' <<<"$check" || fail "the server's error text was lost: $check"
grep -q '^BadCount!Cells: ' <<<"$check" || fail "a missing argument did not fail: $check"
grep -qx 'ByRefCells=$AA$4' <<<"$check" || fail "Cells with arguments by reference: $check"
[ "$(cut -f2-5 "$PROG/check-cells.txt")" = "$(printf '1\tA\t@\ts\n2\tI\tG/標準\tn\n3\tB\tG/標準\ts')" ] ||
  fail "excel-check cells: $(cat "$PROG/check-cells.txt")"
# Invisible and no longer held, the stand-in goes by itself.
for _ in $(seq 50); do excelsim_running || break; sleep 0.2; done
excelsim_running && fail "excelsim.exe still runs after excel-check released everything"
ok "automation backend against the stand-in"

start_kestrel
driver drop "Kestrel 2.30" "$(win_path "$d/model_a3_100.dxf")" "$(win_path "$d/unset.dwg")" \
  "$(win_path "$d/three_layouts.dxf")" >/dev/null || fail "the drop could not be delivered"
wait_drawing_count 3 || fail "the drawing count did not reach 3"
driver click "Kestrel 2.30" "尺度" >/dev/null || fail "no button 尺度"
driver find-window "尺度チェック" 150 >/dev/null || { shot excel_export-failed; fail "the scale check window did not appear"; }
sleep 1
grid=$(driver copy-grid "尺度チェック" | tr -d '\r') || fail "the grid could not be copied: $grid"
[ "$(grep -c . <<<"$grid")" = 4 ] || fail "expected a header and three rows: $grid"
ok "scale check of three drawings"

# ---- through automation
driver click "尺度チェック" "Excel転送" >/dev/null || fail "no button Excel転送"
for _ in $(seq 300); do
  [ -f "$cells" ] && [ "$(grep -c . "$cells")" -ge 36 ] && break
  sleep 0.2
done
[ -f "$cells" ] && [ "$(grep -c . "$cells")" = 36 ] ||
  { shot excel_export-cells-failed; fail "expected 36 cells in the stand-in's journal, got: $(cat "$cells" 2>/dev/null)"; }
ok "36 cells written"

# Journal lines: book, row, column, number format, kind, value.
header=$(awk -F'\t' '$2 == 1 {printf "%s%s", sep, $6; sep = "\t"}' "$cells")
[ "$header" = "$(printf '図面名\tA0\tA1\tA2\tA3\tA4\tDIMSCALE\tLIMMIN\tLIMMAX')" ] || fail "row 1: $header"
awk -F'\t' '$1 != "Book1" || $4 != "@" || ($5 != "s" && !($5 == "e" && $6 == "")) {print; bad = 1} END {exit bad}' \
  "$cells" || fail "cells not written as text into Book1 (above)"
# Every cell holds what the grid shows, at its place: grid row r to sheet
# row r + 1, columns 0-8 to A-I.
expected=$(awk -F'\t' '{for (c = 1; c <= 9; c++) printf "%d\t%s\t%s\n", NR, substr("ABCDEFGHI", c, 1), $c}' <<<"$grid" | sort)
got=$(awk -F'\t' '{printf "%s\t%s\t%s\n", $2, $3, $6}' "$cells" | sort)
[ "$got" = "$expected" ] || fail "the sheet differs from the grid: $(diff <(echo "$expected") <(echo "$got"))"
# The cells go row by row, left to right.
order=$(awk -F'\t' '{printf "%s%s ", $3, $2}' "$cells")
[ "$order" = "$(for r in 1 2 3 4; do for c in A B C D E F G H I; do printf '%s%s ' $c $r; done; done)" ] ||
  fail "cell order: $order"
ok "the sheet holds the grid as text: $(awk -F'\t' '$2 == 2 {printf "%s ", $6}' "$cells")"

driver find-window "Book1 - excelsim" 10 >/dev/null || fail "the stand-in's window is not showing"
sleep 0.5
shot excel_export-excelsim
# Kestrel holds no reference: closing the window ends the stand-in.
excelsim_running || fail "no excelsim.exe process seen while its window shows"
driver close-window "Book1 - excelsim" 10 >/dev/null || fail "the stand-in's window did not close"
for _ in $(seq 50); do excelsim_running || break; sleep 0.2; done
excelsim_running && fail "excelsim.exe still runs after its window closed: a reference was not released"
ok "the stand-in ended when its window closed"

# ---- without a spreadsheet
excel_registration /unregserver
driver click "尺度チェック" "Excel転送" >/dev/null || fail "no button Excel転送"
box=$(driver wait-box "Excelを起動することができません。" 30 | tr -d '\r') || { shot excel_export-nobox; fail "no message: $box"; }
[ "$(head -1 <<<"$box")" = "$(printf 'box: Kestrel メッセージ\tExcelを起動することができません。 ')" ] ||
  fail "message: $(head -1 <<<"$box" | cat -A)"
ok "message without a spreadsheet"
box=$(driver wait-box "表をExcelブックのファイルとして保存しますか？" 30 "はい" | tr -d '\r') ||
  { shot excel_export-noquestion; fail "no save question: $box"; }
ok "the save question, answered yes"
saved=$(driver save-as "$(win_path "$d/尺度チェック.xlsx")" 30 | tr -d '\r') || { shot excel_export-nodialog; fail "save dialog: $saved"; }
grep -q 'proposed: 尺度チェック.xlsx$' <<<"$saved" || fail "the dialog proposed another name: $saved"
for _ in $(seq 100); do [ -s "$d/尺度チェック.xlsx" ] && break; sleep 0.2; done
[ -s "$d/尺度チェック.xlsx" ] || { shot excel_export-nofile; fail "no workbook written"; }
ok "workbook saved beside the drawings"

# The workbook read back: the same cells, as texts in text format.
read_back=$(/usr/bin/python3 - "$d/尺度チェック.xlsx" <<'EOF'
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
print(ws.title)
if (ws.max_row, ws.max_column) != (4, 9):
    sys.exit("the sheet ends at %s" % ws.dimensions)
for row in ws.iter_rows():
    for c in row:
        # Blank cells too are formatted as text.
        if c.number_format != "@" or (c.value is not None and c.data_type != "s"):
            sys.exit("%s: kind %s, format %s" % (c.coordinate, c.data_type, c.number_format))
        if c.value is not None:
            print("%d\t%s\t%s" % (c.row, c.column_letter, c.value))
EOF
) || fail "the workbook: $read_back"
[ "$(head -1 <<<"$read_back")" = "尺度チェック" ] || fail "sheet name: $(head -1 <<<"$read_back")"
nonempty=$(awk -F'\t' '$3 != ""' <<<"$expected")
[ "$(tail -n +2 <<<"$read_back" | sort)" = "$nonempty" ] ||
  fail "the workbook differs from the grid: $(diff <(echo "$nonempty") <(tail -n +2 <<<"$read_back" | sort))"
ok "the workbook holds the grid"

shot excel_export-after-save
# Whatever the shell opened the workbook with is no part of this test.
driver find-window "尺度チェック" 5 >/dev/null || fail "the scale check window went away"
driver click "尺度チェック" "閉じる" >/dev/null || fail "no button 閉じる"
for _ in $(seq 100); do driver find-window "尺度チェック" 0 >/dev/null || break; sleep 0.2; done
close_kestrel
