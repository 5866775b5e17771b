#!/usr/bin/env bash
# The settings dialog as a new user sets Kestrel up: "設定" → "環境設定",
# the lower panel, "ﾌﾟﾛｯﾀ用紙取得" over two plotters the stand-in knows and
# one it does not (the failure list names that one, plot.ini holds the
# others' papers), button 2 given a device and a paper from the lists,
# "終了", and button 2 prints with them. Screenshots of every dialog.
source "$(dirname "$0")/lib/common.bash"
new_program_folder
samples=$(cd "$(dirname "$0")/../../data/samples" && pwd)
mkdir -p "$PROG/drawings" "$PROG/plotters"
cp "$samples/model_a3_100.dxf" "$PROG/drawings/"
for f in "DWG To PDF.pc3" "Default Windows System Printer.pc3" "Gone Plotter.pc3"; do echo x > "$PROG/plotters/$f"; done
journal=$PROG/journal.jsonl
printf '[MainWindow]\r\nAcadExePath=%s\r\nAcadArg=--journal %s\r\nAcadPrtDvDir=%s\r\nPrintMode=0\r\nLayoutSizeIndex=0\r\n' \
  "$(win_path "$PROG/tools/acadsim.exe")" "$(win_path "$journal")" "$(win_path "$PROG/plotters")" |
  iconv -f UTF-8 -t CP932 > "$PROG/kestrel20.ini"
printf '[PaperSize]\r\nPAGE=1\r\nPageSize0=A3=297x420\r\n' > "$PROG/plot.ini"

start_kestrel
driver drop "Kestrel 2.30" "$(win_path "$PROG/drawings/model_a3_100.dxf")" >/dev/null || fail "the drop could not be delivered"
wait_drawing_count 1 || fail "the drawing count did not reach 1"
# "設定" → "環境設定" is the second item of the menu: command 1001.
driver menu-command "Kestrel 2.30" 1001 >/dev/null || fail "the menu command could not be sent"
driver find-window "Kestrel 環境設定" 30 >/dev/null || { shot settings_dialog-failed; fail "the settings dialog did not appear"; }
sleep 1
shot settings_dialog
children=$(driver children "Kestrel 環境設定" | tr -d '\r')
for caption in "No.1 ボタン" "No.4 ボタン" "印刷デバイス" "終了" "ｷｬﾝｾﾙ" "ﾌﾟﾛｯﾀ用紙取得"; do
  grep -qF "$caption" <<<"$children" || fail "no \"$caption\" in the dialog"
done
ok "the four columns and the buttons"
driver click "Kestrel 環境設定" "開く" >/dev/null || fail "no button 開く"
sleep 1
shot settings_dialog-lower
grep -qF "AutoCAD設定" <<<"$(driver children "Kestrel 環境設定" | tr -d '\r')" || fail "no lower panel"
driver click "Kestrel 環境設定" "閉じる" >/dev/null || fail "no button 閉じる"

# The three dialogs the settings dialog opens: shown, looked at, closed.
sub_dialog() {
  local button=$1 title=$2 close=$3 name=$4
  driver click "Kestrel 環境設定" "$button" >/dev/null || fail "no button $button"
  driver find-window "$title" 20 >/dev/null || { shot "$name-failed"; fail "\"$title\" did not appear"; }
  sleep 1
  shot "$name"
  driver click "$title" "$close" >/dev/null || fail "no button $close in $title"
  for _ in $(seq 50); do
    driver children "$title" | tr -d '\r' | awk -F'\t' -v c="$close" '$4 == c {exit !($2 == "visible")}' || break
    sleep 0.2
  done
  ok "$title shown and closed"
}
sub_dialog "用紙定義" "用紙サイズ登録" "キャンセル" settings_dialog-paper-sizes
sub_dialog "追加 削除" "印刷ボタンの追加と削除" "閉じる" settings_dialog-button-sets
sub_dialog "さらに詳細" "更に詳細設定" "ｷｬﾝｾﾙ" settings_dialog-macros

# The paper acquisition: AutoCAD is started, each plotter asked for its papers.
driver click "Kestrel 環境設定" "ﾌﾟﾛｯﾀ用紙取得" >/dev/null || fail "no button ﾌﾟﾛｯﾀ用紙取得"
for _ in $(seq 600); do
  driver children "Kestrelメッセージ" 2>/dev/null | tr -d '\r' | grep -qF "取得できませんでした" && break
  sleep 0.2
done
driver children "Kestrelメッセージ" | tr -d '\r' | grep -qF "取得できませんでした" || { shot settings_dialog-acquire-failed; fail "no list of failed plotters"; }
shot settings_dialog-plotter-errors
driver click "Kestrelメッセージ" "OK" >/dev/null || fail "the failure list could not be closed"
ini=$(iconv -f CP932 -t UTF-8 "$PROG/plot.ini" | tr -d '\r')
echo "$ini" | head -20
for dev in "DWG To PDF.pc3" "Default Windows System Printer.pc3"; do
  awk -v s="[$dev]" '$0 == s {f=1; next} /^\[/ {f=0} f && /^PAGE=[1-9]/ {ok=1} END {exit !ok}' <<<"$ini" || fail "no papers of $dev in plot.ini"
done
grep -qF "[Gone Plotter.pc3]" <<<"$ini" && fail "papers stored for the unknown plotter"
ok "papers acquired for the two known plotters; the unknown one listed as failed"

# Button 2: in use, the PDF device and its A3 paper (the second column's
# first and third combo boxes).
driver click-nth "Kestrel 環境設定" "使用" 1 >/dev/null || fail "no 使用 of button 2"
driver choose "Kestrel 環境設定" 5 "DWG To PDF.pc3" >/dev/null || fail "the device could not be chosen"
paper="ISO A3 (420.00 x 297.00 mm)"
driver choose "Kestrel 環境設定" 7 "$paper" >/dev/null || fail "the paper could not be chosen"
sleep 1.5
shot settings_dialog-button2
driver click "Kestrel 環境設定" "終了" >/dev/null || fail "no button 終了"
for _ in $(seq 50); do
  driver children "Kestrel 環境設定" | tr -d '\r' | awk -F'\t' '$4 == "終了" {exit !($2 == "visible")}' || break
  sleep 0.2
done
caption=$(iconv -f CP932 -t UTF-8 "$PROG/BottonSets/base.ini" | tr -d '\r' |
  awk -F= '/^\[/ {in2 = ($0 == "[Ploter2Fleld]")} in2 && $1 == "USERNAME" {print substr($0, 10); exit}')
[ -n "$caption" ] || fail "button 2 has no caption in base.ini"
driver children "Kestrel 2.30" | tr -d '\r' | awk -F'\t' -v c="$caption" '$4 == c && $2 == "visible" {f=1} END {exit !f}' ||
  fail "button \"$caption\" is not shown on the main window"
ok "button 2 \"$caption\" shown after 終了"

driver click "Kestrel 2.30" "$caption" >/dev/null || fail "no button \"$caption\""
box=$(driver wait-box "印刷が終わりました" 150) || { shot settings_dialog-plot-failed; fail "no final message: $box"; }
line=$(grep '"event":"plot"' "$journal" | tail -1)
grep -qF '"device":"DWG To PDF.pc3"' <<<"$line" || fail "not plotted to the chosen device: $line"
grep -qF "\"paper\":\"$paper\"" <<<"$line" || fail "not on the chosen paper: $line"
ok "button 2 plotted with the device and paper chosen in the dialog"
close_kestrel
