#!/usr/bin/env bash
# The settings dialog as a user opens it: "設定" → "環境設定" on the main
# window shows "Kestrel 環境設定" with the four button columns; "開く" shows
# the lower panel; "ｷｬﾝｾﾙ" closes it. Screenshots of both states are kept
# for a look at the layout.
source "$(dirname "$0")/lib/common.bash"
new_program_folder
start_kestrel
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
driver click "Kestrel 環境設定" "ｷｬﾝｾﾙ" >/dev/null || fail "no button ｷｬﾝｾﾙ"
for _ in $(seq 50); do
  driver children "Kestrel 環境設定" | tr -d '\r' | awk -F'\t' '$4 == "終了" {exit !($2 == "visible")}' || break
  sleep 0.2
done
ok "closed by ｷｬﾝｾﾙ"
driver close-window "Kestrel 2.30" 30 >/dev/null || fail "the window did not close"
wait_exit "$KPID" || fail "Kestrel.exe did not end"
KPID=
