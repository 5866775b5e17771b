#!/usr/bin/env bash
# The scale check end to end: Kestrel.exe starts acadsim.exe, three drawings
# are dropped (limits of their own, AutoCAD's default limits, open on a
# layout), "尺度" is clicked, the grid is read through its copy, the
# default-limits drawing is given A3 landscape limits at 1/100, and both the
# recomputed row and the drawing file on disk show the new limits.
source "$(dirname "$0")/lib/common.bash"
new_program_folder
samples=$(cd "$(dirname "$0")/../../data/samples" && pwd)
d=$PROG/drawings
mkdir -p "$d"
cp "$samples/model_a3_100.dxf" "$samples/three_layouts.dxf" "$d/"
# A drawing named .dwg is saved in place by AutoCAD's "save".
cp "$samples/default_limits.dxf" "$d/unset.dwg"
journal=$PROG/journal.jsonl

{
  printf '[MainWindow]\r\nAcadExePath=%s\r\nAcadArg=--journal %s\r\n' \
    "$(win_path "$PROG/tools/acadsim.exe")" "$(win_path "$journal")"
  # The limits panel as a user left it: the first paper, landscape, 1/100.
  printf '[ScaleCheckWindow]\r\nPaperSize=0\r\nPaperDirection=0\r\nMIN_X=0\r\nMIN_Y=0\r\nNumerator=1\r\nDenominator=100\r\n'
} | iconv -f UTF-8 -t CP932 > "$PROG/kestrel20.ini"
printf '[PaperSize]\r\nPAGE=2\r\nPageSize0=A3=297x420\r\nPageSize1=A1=594x841\r\n' > "$PROG/plot.ini"

start_kestrel
driver drop "Kestrel 2.30" "$(win_path "$d/model_a3_100.dxf")" "$(win_path "$d/unset.dwg")" \
  "$(win_path "$d/three_layouts.dxf")" >/dev/null || fail "the drop could not be delivered"
wait_drawing_count 3 || fail "the drawing count did not reach 3"
driver click "Kestrel 2.30" "尺度" >/dev/null || fail "no button 尺度"
ok "clicked 尺度"
driver find-window "尺度チェック" 150 >/dev/null || { shot scale_check-failed; fail "the scale check window did not appear"; }
sleep 1
shot scale_check-window

grid=$(driver copy-grid "尺度チェック" | tr -d '\r') || fail "the grid could not be copied: $grid"
echo "$grid"
row() { awk -F'\t' -v n="$1" '$1 == n' <<<"$grid"; }
[ "$(head -1 <<<"$grid")" = "$(printf '図面名\tA0\tA1\tA2\tA3\tA4\tDIMSCALE\tLIMMIN\tLIMMAX')" ] || fail "header row: $(head -1 <<<"$grid")"
[ "$(grep -c . <<<"$grid")" = 4 ] || fail "expected a header and three rows"
row model_a3_100.dxf | awk -F'\t' '$5 == "1/100" {f=1} END {exit !f}' || fail "model_a3_100.dxf: A3 is not 1/100: $(row model_a3_100.dxf)"
row unset.dwg | awk -F'\t' '$2 == "図面範囲" && $3 == "設定され" && $4 == "ず" {f=1} END {exit !f}' ||
  fail "unset.dwg: not marked as without limits: $(row unset.dwg)"
row three_layouts.dxf | awk -F'\t' '$2 == "レイアウ" && $3 == "トが印刷" && $4 == "されます" {f=1} END {exit !f}' ||
  fail "three_layouts.dxf: not the layout case: $(row three_layouts.dxf)"
ok "three rows as measured"

# The rows are in the list's order: unset.dwg is the second (the first
# column is 120 pixels wide, rows 16 high).
n=$(awk -F'\t' '$1 == "unset.dwg" {print NR - 1}' <<<"$grid")
driver grid-click "尺度チェック" "$n" 120 16 >/dev/null || fail "the row could not be clicked"
driver click "尺度チェック" "設定" >/dev/null || fail "no button 設定"
for _ in $(seq 150); do
  grid=$(driver copy-grid "尺度チェック" | tr -d '\r') || true
  row unset.dwg | awk -F'\t' '$5 == "1/100" && $8 == "0,0" && $9 == "42000,29700" {f=1} END {exit !f}' && break
  sleep 0.2
done
row unset.dwg | awk -F'\t' '$5 == "1/100" && $8 == "0,0" && $9 == "42000,29700" {f=1} END {exit !f}' ||
  { shot scale_check-set-failed; fail "unset.dwg was not recomputed: $(row unset.dwg)"; }
shot scale_check-set
ok "limits set: $(row unset.dwg)"

# The drawing on disk holds the new limits.
limmax=$(tr -d '\r' < "$d/unset.dwg" | awk 'p {print; if (++n == 4) exit} $0 == "$LIMMAX" {p=1}' | paste -sd' ')
awk '{exit !($2 + 0 == 42000 && $4 + 0 == 29700)}' <<<"$limmax" || fail "unset.dwg on disk: \$LIMMAX $limmax"
ok "unset.dwg on disk: \$LIMMAX $limmax"

driver click "尺度チェック" "閉じる" >/dev/null || fail "no button 閉じる"
for _ in $(seq 100); do driver find-window "尺度チェック" 0 >/dev/null || break; sleep 0.2; done
grep -q '"event":"quit"' "$journal" || fail "AutoCAD was not ended by 閉じる"
ok "閉じる ended AutoCAD"
close_kestrel
