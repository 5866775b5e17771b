#!/usr/bin/env bash
# The link to AutoCAD in a real Windows process: TfControl (run by kdriver)
# starts acadsim.exe by path and through the ".dwg" association, leaves an
# AutoCAD started elsewhere alone, recognises both release families by
# their words, types a variable and reads the prompt back, and quits a
# changed drawing answering No to the save question.
source "$(dirname "$0")/lib/common.bash"
new_program_folder
SIM=$(win_path "$PROG/tools/acadsim.exe")
log=$KESTREL_ARTEFACTS/acad_link.txt
: > "$log"

# Runs kdriver's link steps, keeping their output in the log and in $LINK.
link() {
  LINK=$(driver link "$@" 2>/dev/null) || true
  printf '%s\n--- link %s\n%s\n' "" "$*" "$LINK" >> "$log"
}
expect() { grep -qF -- "$1" <<<"$LINK" || fail "$2 (expected \"$1\"; see $log)"; }
reject() { ! grep -qF -- "$1" <<<"$LINK" || fail "$2 (unexpected \"$1\"; see $log)"; }
no_acadsim_left() {
  link gone 20
  expect "gone: yes" "$1: an AutoCAD window is left"
}

# 1. Started by path, release 2004 (full-width words), then typed into.
link start "$SIM" "--release 2004 $(win_path "$PROG/Drawing1.dwg")" 30 \
     send 'FILEDIA\n' prompt send '\e' \
     send 'DIMSCALE\n' send '25\n' var DIMSCALE \
     quit gone 20
expect "start: 2" "start by path"
grep -q $'^MainWindow=[0-9a-f]*[1-9a-f][0-9a-f]*\t.*\tAutoCAD' <<<"$LINK" || fail "main window handle/title (see $log)"
grep -q $'^CommandLine=[0-9a-f]*\t.*\tコマンド:' <<<"$LINK" || fail "command line not found at the idle prompt"
grep -q $'^CommandHistory=[0-9a-f]*[1-9a-f]' <<<"$LINK" || fail "no history window"
grep -q $'^TextWindow=[0-9a-f]*\t.*\tAutoCAD テキスト' <<<"$LINK" || fail "text window not found by its full-width word"
expect "prompt: FILEDIA の新しい値を入力 <1>:" "typing FILEDIA did not show its prompt"
expect "var DIMSCALE: 25" "DIMSCALE did not read back as set"
# The drawing changed (DIMSCALE), so quitting asked to save: answered No,
# the process ends and the start drawing is not written.
expect "gone: yes" "acadsim did not end after quit with a changed drawing"
cmp -s "$PROG/Drawing1.dwg" "$KESTREL_DIST/Drawing1.dwg" || fail "the start drawing was written: the save question was not answered No"
ok "start by path, type, read back, quit with No"

# 2. Started through the ".dwg" association from the program folder
#    (empty AcadExePath): the stand-in opens the program folder's Drawing1.dwg.
link folder "$(win_path "$PROG")" start "" "" 30
expect "start: 2" "start through the .dwg association"
grep -q $'^TextWindow=.*Drawing1.dwg' <<<"$LINK" || fail "the association did not open Drawing1.dwg"
shot acad_link-association
# 3. A second link object, not connected, finds it running: result 1 and
#    nothing started.
link start "$SIM" "" 5
expect "start: 1" "an AutoCAD started elsewhere must give 1"
# 4. Recognition by words: this one is 2004; the 2000 words do not match it.
link find 2000
expect "find: not found" "the 2000 words matched a 2004 stand-in"
link find 2004 send 'FILEDIA\n' prompt send '\e' quit
expect "find: found" "recognition by the 2004 words"
expect "prompt: FILEDIA の新しい値を入力 <1>:" "typing after recognition"
no_acadsim_left "quit after recognition (2004)"
ok "start through the association, running elsewhere, recognition 2004"

# 5. An AutoCAD started by the script, release 2000 (half-width words).
(cd "$PROG" && exec "$WINE" tools/acadsim.exe --release 2000 "$(win_path "$PROG/Drawing1.dwg")") >/dev/null 2>&1 &
SIMPID=$!
driver find-window "AutoCAD ﾃｷｽﾄ ｳｨﾝﾄﾞｳ - Drawing1.dwg" 60 >/dev/null || fail "the 2000 stand-in did not start"
link start "$SIM" "" 5
expect "start: 1" "an AutoCAD started by the script must give 1"
link find 2004
expect "find: not found" "the 2004 words matched a 2000 stand-in"
link find 2000 send 'LIMMAX\n' prompt send '\e' send 'LIMMAX\n' send '420,297\n' var LIMMAX quit
expect "find: found" "recognition by the 2000 words"
grep -q $'^TextWindow=.*\tAutoCAD ﾃｷｽﾄ' <<<"$LINK" || fail "text window not found by its half-width word"
grep -q $'^CommandLine=.*\tｺﾏﾝﾄﾞ:' <<<"$LINK" || fail "2000 command line not found"
expect "prompt: " "no prompt read"
grep -q '^var LIMMAX: 420.*297' <<<"$LINK" || fail "LIMMAX did not read back as set"
wait_exit "$SIMPID" || fail "the 2000 stand-in did not end after quit with a changed drawing"
no_acadsim_left "quit (2000)"
ok "recognition 2000, typing, quit with No"
