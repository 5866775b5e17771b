#!/usr/bin/env bash
# Files and a folder dropped onto Kestrel's main window from another process
# (WM_DROPFILES with a DROPFILES block written into Kestrel's memory) land in
# the drawing list, and the count label says how many drawings it holds.
source "$(dirname "$0")/lib/common.bash"
new_program_folder
samples=$(cd "$(dirname "$0")/../../data/samples" && pwd)
d=$PROG/drawings
mkdir -p "$d/folder"
# A minimal DXF text file under a .dwg name, and the sample drawings.
printf '  0\nSECTION\n  2\nHEADER\n  9\n$LIMMAX\n 10\n420.0\n 20\n297.0\n  0\nENDSEC\n  0\nEOF\n' > "$d/minimal.dwg"
cp "$samples/model_a3_100.dxf" "$d/"
cp "$samples/three_layouts.dxf" "$d/"
cp "$samples/default_limits.dxf" "$d/folder/limits.dxf"
cp "$d/minimal.dwg" "$d/folder/copy.dwg"
# Not a drawing: the folder walk must leave it out.
echo "not a drawing" > "$d/folder/readme.txt"

count() {
  driver children "Kestrel 2.30" | tr -d '\r' > "$KESTREL_ARTEFACTS/drop_files-children.txt"
  awk -F'\t' 'found {print $4; exit} $4 == "図面枚数" {found=1}' "$KESTREL_ARTEFACTS/drop_files-children.txt"
}
wait_count() {
  local want=$1 got=
  for _ in $(seq 50); do
    got=$(count)
    [ "$got" = "$want" ] && return 0
    sleep 0.2
  done
  fail "the count label shows \"$got\", expected $want"
}

start_kestrel
case "$(count)" in ""|0) ;; *) fail "the count label shows drawings before any drop";; esac
driver drop "Kestrel 2.30" "$(win_path "$d/minimal.dwg")" "$(win_path "$d/model_a3_100.dxf")" \
  "$(win_path "$d/three_layouts.dxf")" >/dev/null || fail "the drop could not be delivered"
wait_count 3
ok "three files dropped: count 3"
driver drop "Kestrel 2.30" "$(win_path "$d/folder")" >/dev/null || fail "the folder drop could not be delivered"
wait_count 5
ok "a folder with two drawings and a text file dropped: count 5"
shot drop_files
close_kestrel
