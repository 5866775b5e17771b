#!/usr/bin/env bash
# Plot benchmark under Wine: Kestrel.exe prints a batch of drawings with the
# first button through acadsim.exe, which stamps its journal.
#
#   bench/wine_plot_bench.sh [drawings]                   (default 30)
#   bench/wine_plot_bench.sh [drawings] --latency SPEC
#
# Without --latency the stand-in answers at once, and the script prints per
# drawing the wall time from its opening to the next drawing's (the last
# one: to the stand-in's quit) beside the sum of the pauses the program
# prescribes for it, taken from a replay of the same batch, same settings,
# on the in-process stand-in with the virtual clock (plot_replay).
#
# With --latency the stand-in takes its time for each input as SPEC says
# (acadsim.exe's --latency: answer=MS,open=MS,save=MS,plot=MS,jitter=MS,
# seed=N), and the batch runs twice, with "高速送信" off and on. The script
# prints per drawing the wall time of each run beside the stand-in's own
# busy time, and whether the paced run keeps within 1.2 x busy + 100 ms.
#
# Installs and builds what is missing, like scripts/test. The drawings cycle
# through three of the samples: model space with limits, default limits,
# three layouts.
source "$(dirname "$0")/../scripts/lib.sh"
usage() { echo "usage: $0 [drawings] [--latency SPEC]" >&2; exit 2; }
n=30
latency=
while [ $# -gt 0 ]; do
  case $1 in
    --latency) [ $# -ge 2 ] || usage; latency=$2; shift 2 ;;
    *) [[ "$1" =~ ^[1-9][0-9]*$ ]] || usage; n=$1; shift ;;
  esac
done

prepare_wine_bench build_native
trap 'cleanup; wineserver -k 2>/dev/null || true; [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true' EXIT

d=$PROG/drawings
mkdir -p "$d"
samples=(model_a3_100.dxf default_limits.dxf three_layouts.dxf)
files=()
wfiles=()
for i in $(seq "$n"); do
  name=$(printf 'd%03d.dxf' "$i")
  cp "$ROOT/data/samples/${samples[$(((i - 1) % 3))]}" "$d/$name"
  files+=("$d/$name")
  wfiles+=("$(win_path "$d/$name")")
done
journal=$PROG/journal.jsonl
set_button_device 1 "DWG To PDF.pc3" "ISO A3 (420.00 x 297.00 mm)" monochrome.ctb
caption=$(button_caption 1)
printf '[PaperSize]\r\nPAGE=1\r\nPageSize0=A3=420x297\r\n' > "$PROG/plot.ini"

# The main settings: the stand-in with these switches, model space or the
# drawing's own, "高速送信" as $2.
settings() {
  printf '[MainWindow]\r\nAcadExePath=%s\r\nAcadArg=%s --journal %s\r\nPrintMode=0\r\nLayoutSizeIndex=0\r\nPACEDSEND=%s\r\n' \
    "$(win_path "$PROG/tools/acadsim.exe")" "$1" "$(win_path "$journal")" "$2" | iconv -f UTF-8 -t CP932 > "$PROG/kestrel20.ini"
}

# One batch with the settings in place: the drop, the click, the final
# message; the journal is kept as $1, the click-to-message time in BATCH_MS.
print_batch() {
  local t0 t1
  rm -f "$journal"
  start_kestrel
  driver drop "Kestrel 2.30" "${wfiles[@]}" >/dev/null || fail "the drop could not be delivered"
  wait_drawing_count "$n" || fail "the drawing count did not reach $n"
  t0=$(date +%s%N)
  driver click "Kestrel 2.30" "$caption" >/dev/null || fail "no button \"$caption\""
  driver wait-box "印刷が終わりました" $((n * 60 + 60)) >/dev/null || { shot wine_plot_bench-failed; fail "no final message"; }
  t1=$(date +%s%N)
  BATCH_MS=$(((t1 - t0) / 1000000))
  close_kestrel
  cp "$journal" "$1"
}

# Per drawing of a stamped journal: name, wall ms and the stand-in's busy
# ms, from its opening to the next drawing's (the last one: to the quit).
per_drawing() {
  sed -n 's/^{"event":"\(open\|quit\)","drawing":"\([^"]*\)".*"ms":"\([0-9]*\)","busy":"\([0-9]*\)"}$/\1\t\2\t\3\t\4/p' "$1" |
    awk -F'\t' '
      function close_(at, busy) { if (cur != "") print cur "\t" (at - since) "\t" (busy - busySince); cur = "" }
      { k = split($2, parts, /\\\\/); base = parts[k] }
      $1 == "open" && base ~ /^d[0-9]+\.dxf$/ { close_($3, $4); cur = base; since = $3; busySince = $4; next }
      $1 == "quit" { close_($3, $4) }'
}

counted() {
  [ "$(grep -c . "$1")" = "$n" ] || fail "the journal timed $(grep -c . "$1") of $n drawings ($2)"
}

MEDIAN='function median(a, k,   i, j, t) {
  for (i = 2; i <= k; i++) { t = a[i]; for (j = i - 1; j >= 1 && a[j] > t; j--) a[j + 1] = a[j]; a[j + 1] = t }
  return k % 2 ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2
}'

if [ -n "$latency" ]; then
  for mode in unpaced paced; do
    log "printing $n drawings $mode under Wine, the stand-in taking its time ($latency)"
    settings "--journal-times --latency $latency" "$([ $mode = paced ] && echo 1 || echo 0)"
    kept=$KESTREL_ARTEFACTS/wine_plot_bench-$mode.jsonl
    print_batch "$kept"
    eval "${mode}_ms=$BATCH_MS"
    per_drawing "$kept" > "$PROG/$mode.tsv"
    counted "$PROG/$mode.tsv" "$kept"
  done
  # Both runs must have done the same: the same plots in the same order.
  for mode in unpaced paced; do
    grep '"event":"plot"' "$KESTREL_ARTEFACTS/wine_plot_bench-$mode.jsonl" | sed 's/,"ms":.*//' > "$PROG/$mode.plots"
  done
  cmp -s "$PROG/unpaced.plots" "$PROG/paced.plots" || fail "the paced run plotted otherwise than the unpaced one"
  join -t $'\t' <(sort "$PROG/unpaced.tsv") <(sort "$PROG/paced.tsv") | sort |
    awk -F'\t' -v n="$n" -v profile="$latency" -v unpaced_total="$unpaced_ms" -v paced_total="$paced_ms" "$MEDIAN"'
      BEGIN { printf "%-9s %10s %9s %8s %8s %6s\n", "drawing", "unpaced_ms", "paced_ms", "busy_ms", "goal_ms", "within" }
      {
        k++; u[k] = $2; p[k] = $4; b[k] = $5; goal = 1.2 * $5 + 100
        su += $2; sp += $4; sb += $5; sg += goal; within += ($4 <= goal)
        printf "%-9s %10d %9d %8d %8d %6s\n", $1, $2, $4, $5, goal, $4 <= goal ? "yes" : "no"
      }
      END {
        printf "(the last drawing runs to the stand-in'"'"'s quit: its time holds the run'"'"'s ending)\n"
        printf "\n%d drawings under Wine, stand-in latency %s; the same plots in both runs\n", n, profile
        printf "click to final message: unpaced %.1f s, paced %.1f s\n", unpaced_total / 1000, paced_total / 1000
        printf "sum over the drawings: unpaced %.1f s, paced %.1f s, stand-in busy %.1f s\n", su / 1000, sp / 1000, sb / 1000
        printf "per drawing, median: unpaced %d ms, paced %d ms, busy %d ms\n", median(u, k), median(p, k), median(b, k)
        printf "goal paced <= 1.2 x busy + 100 ms: %d of %d drawings; in sum %.1f s against %.1f s: %s\n", within, k, sp / 1000, sg / 1000, sp <= sg ? "met" : "missed"
      }' | tee "$KESTREL_ARTEFACTS/wine_plot_bench-paced.txt"
  exit 0
fi

settings "--journal-times" 0
log "replaying $n drawings on the in-process stand-in"
replay=$PROG/replay.tsv
"$NATIVE/plot_replay" "$PROG" 1 "${files[@]}" > "$replay" || fail "the replay failed"
grep -q '^#message	   印刷が終わりました' "$replay" || fail "the replay did not end with the final message: $(grep '^#message' "$replay")"

log "printing $n drawings with Kestrel.exe and acadsim.exe under Wine"
kept=$KESTREL_ARTEFACTS/wine_plot_bench-journal.jsonl
print_batch "$kept"
wall=$PROG/wall.tsv
per_drawing "$kept" | cut -f1,2 > "$wall"
counted "$wall" "$kept"

awk -F'\t' -v n="$n" -v total_ms="$BATCH_MS" "$MEDIAN"'
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
echo "journal: $kept"
