#!/usr/bin/env bash
# Plot benchmark under Wine: Kestrel.exe prints a batch of drawings with the
# first button through acadsim.exe, which stamps its journal. Prints, per
# drawing, the wall time from its opening to the next drawing's (the last
# one: to the stand-in's quit) beside the sum of the pauses the program
# prescribes for it, taken from a replay of the same batch, same settings,
# on the in-process stand-in with the virtual clock (plot_replay).
#
#   bench/wine_plot_bench.sh [drawings]      (default 30)
#
# Installs and builds what is missing, like scripts/test. The drawings cycle
# through three of the samples: model space with limits, default limits,
# three layouts.
source "$(dirname "$0")/../scripts/lib.sh"
n=${1:-30}
[[ "$n" =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [drawings]" >&2; exit 2; }

prepare_wine_bench build_native
trap 'cleanup; wineserver -k 2>/dev/null || true; [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true' EXIT

d=$PROG/drawings
mkdir -p "$d"
samples=(model_a3_100.dxf default_limits.dxf three_layouts.dxf)
files=()
for i in $(seq "$n"); do
  name=$(printf 'd%03d.dxf' "$i")
  cp "$ROOT/data/samples/${samples[$(((i - 1) % 3))]}" "$d/$name"
  files+=("$d/$name")
done
journal=$PROG/journal.jsonl
set_button_device 1 "DWG To PDF.pc3" "ISO A3 (420.00 x 297.00 mm)" monochrome.ctb
caption=$(button_caption 1)
printf '[MainWindow]\r\nAcadExePath=%s\r\nAcadArg=--journal-times --journal %s\r\nPrintMode=0\r\nLayoutSizeIndex=0\r\n' \
  "$(win_path "$PROG/tools/acadsim.exe")" "$(win_path "$journal")" | iconv -f UTF-8 -t CP932 > "$PROG/kestrel20.ini"
printf '[PaperSize]\r\nPAGE=1\r\nPageSize0=A3=420x297\r\n' > "$PROG/plot.ini"

log "replaying $n drawings on the in-process stand-in"
replay=$PROG/replay.tsv
"$NATIVE/plot_replay" "$PROG" 1 "${files[@]}" > "$replay" || fail "the replay failed"
grep -q '^#message	   印刷が終わりました' "$replay" || fail "the replay did not end with the final message: $(grep '^#message' "$replay")"

log "printing $n drawings with Kestrel.exe and acadsim.exe under Wine"
start_kestrel
wfiles=()
for f in "${files[@]}"; do wfiles+=("$(win_path "$f")"); done
driver drop "Kestrel 2.30" "${wfiles[@]}" >/dev/null || fail "the drop could not be delivered"
wait_drawing_count "$n" || fail "the drawing count did not reach $n"
t0=$(date +%s%N)
driver click "Kestrel 2.30" "$caption" >/dev/null || fail "no button \"$caption\""
driver wait-box "印刷が終わりました" $((n * 30 + 60)) >/dev/null || { shot wine_plot_bench-failed; fail "no final message"; }
t1=$(date +%s%N)
cp "$journal" "$KESTREL_ARTEFACTS/wine_plot_bench-journal.jsonl"
driver close-window "Kestrel 2.30" 30 >/dev/null || true

# The stand-in's stamps: opening to opening, the last one to the quit.
wall=$PROG/wall.tsv
sed -n 's/^{"event":"\(open\|quit\)","drawing":"\([^"]*\)".*"ms":"\([0-9]*\)"}$/\1\t\2\t\3/p' "$journal" |
  awk -F'\t' '
    function close_(at) { if (cur != "") print cur "\t" (at - since); cur = "" }
    { n = split($2, parts, /\\\\/); base = parts[n] }
    $1 == "open" && base ~ /^d[0-9]+\.dxf$/ { close_($3); cur = base; since = $3; next }
    $1 == "quit" { close_($3) }' > "$wall"
[ "$(grep -c . "$wall")" = "$n" ] || fail "the journal timed $(grep -c . "$wall") of $n drawings (journal: $KESTREL_ARTEFACTS/wine_plot_bench-journal.jsonl)"

awk -F'\t' -v n="$n" -v total_ms=$(((t1 - t0) / 1000000)) '
  function median(a, k,   i, j, t) {
    for (i = 2; i <= k; i++) { t = a[i]; for (j = i - 1; j >= 1 && a[j] > t; j--) a[j + 1] = a[j]; a[j + 1] = t }
    return k % 2 ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2
  }
  FNR == NR { if ($1 !~ /^#/) pres[$1] = $2; next }
  {
    k++; w[k] = $2; p[k] = pres[$1]; o[k] = $2 - pres[$1]
    sw += $2; sp += pres[$1]
    printf "%-9s %9d %13d %12d %7.2f\n", $1, $2, pres[$1], $2 - pres[$1], pres[$1] ? $2 / pres[$1] : 0
  }
  BEGIN { printf "%-9s %9s %13s %12s %7s\n", "drawing", "wall_ms", "prescribed_ms", "overhead_ms", "ratio" }
  END {
    printf "(the last drawing runs to the stand-in'"'"'s quit: its time holds the run'"'"'s ending)\n"
    printf "\n%d drawings under Wine; click to final message %.1f s\n", n, total_ms / 1000
    printf "sum over the drawings: wall %.1f s, prescribed pauses %.1f s (%.2f x)\n", sw / 1000, sp / 1000, sw / sp
    printf "per drawing, median: wall %d ms, prescribed %d ms, overhead %d ms\n", median(w, k), median(p, k), median(o, k)
  }' "$replay" "$wall" | tee "$KESTREL_ARTEFACTS/wine_plot_bench.txt"
echo "journal: $KESTREL_ARTEFACTS/wine_plot_bench-journal.jsonl"
