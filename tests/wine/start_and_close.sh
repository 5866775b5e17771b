#!/usr/bin/env bash
# Kestrel.exe starts, shows "Kestrel 2.30", closes on WM_CLOSE and leaves a
# complete kestrel20.ini in CP932.
source "$(dirname "$0")/lib/common.bash"
new_program_folder
start_kestrel
ok "main window found"
sleep 2
shot main-window
driver children "Kestrel 2.30" > "$KESTREL_ARTEFACTS/main-window-children.txt"
for caption in "図面枚数" "印刷ボタンセット" "クリア" "尺度" "閉じる" "終了" "モデル印刷設定" "レイアウト印刷設定" \
               "ﾚｲｱｳﾄ用紙合せ印刷" "尺度計算印刷" "印刷ﾃﾞﾊﾞｲｽを保存" "フォントないとき" "ファイル名ソート"; do
  grep -qF "$caption" "$KESTREL_ARTEFACTS/main-window-children.txt" || fail "no control captioned $caption"
done
ok "captions present"
driver close-window "Kestrel 2.30" 30 >/dev/null || fail "the window did not close"
wait_exit "$KPID" || fail "Kestrel.exe did not end after its window closed"
KPID=
ini=$PROG/kestrel20.ini
[ -f "$ini" ] || fail "no kestrel20.ini written"
cp "$ini" "$KESTREL_ARTEFACTS/start_and_close-kestrel20.ini"
iconv -f CP932 -t UTF-8 "$ini" > "$PROG/ini.crlf" || fail "kestrel20.ini is not CP932"
tr -d '\r' < "$PROG/ini.crlf" > "$PROG/ini.utf8"
grep -qx 'AcadExePath=' "$PROG/ini.utf8" || fail "AcadExePath is not written empty"
grep -qx 'ModeVisible=1' "$PROG/ini.utf8" || fail "ModeVisible is not 1"
grep -qx 'CurrentBtnSet=Base' "$PROG/ini.utf8" || fail "CurrentBtnSet is not Base"
# The half-width katakana default, as CP932 bytes (ﾏｲ ｺﾝﾋﾟｭｰﾀ).
grep -q $'FIXARCHIVEOPENDIR=\xcf\xb2 \xba\xdd\xcb\xdf\xad\xb0\xc0' "$ini" || fail "FIXARCHIVEOPENDIR is not the CP932 default"
for key in Top Left Width Height AcadExePath AcadArg AcadPrtDvDir AcadPrtStlDir AcadCommandWait FileDia CmdDia \
           Proxynotice PrintMode PrintArea ScaleCalc LayoutSizeIndex LayoutAdjust DimMag CurrentBtnSet AcadClose \
           ModelScalePrint LayoutScalePrint FileSort ModifySave ModeVisible Psltscale StartWait GetChildFolder \
           DwgChoose DxfChoose ScaleWarning FITOFFSET00 ONLYPC3 LZH ZIP UNLZHFOLDER UNLZHFOLDERFIX UNLZHADDFOLDER \
           DYNSTOP FIXARCHIVEOPENDIR FONTCONTROL REPLASEFONT AcadWaitLimit; do
  grep -q "^$key=" "$PROG/ini.utf8" || fail "key $key missing"
done
# The last key of section MainWindow (other sections follow it in the file).
last=$(awk '/^\[/{inmain=($0 ~ /^\[MainWindow\]/)} inmain && /=/{k=$0} END{print k}' "$PROG/ini.utf8")
case "$last" in FIXARCHIVEOPENDIR=*) ;; *) fail "FIXARCHIVEOPENDIR is not the last key";; esac
ok "kestrel20.ini complete"
