#!/usr/bin/env bash
# Spreadsheet transfer benchmark under Wine: Kestrel.exe checks the scale of
# a batch of drawings through acadsim.exe, then "Excel転送" sends the table
# (a header and one row per drawing, nine cells a row) to excelsim.exe, which
# stamps every cell in its journal. Prints the time from the click to the
# first and to the last cell, then the same transfer made by kdriver
# (excel-fill) through the same automation backend, use by use.
#
#   bench/wine_excel_bench.sh [drawings]      (default 300)
#
# Installs and builds what is missing, like scripts/test. The table also goes
# to build/artefacts/wine_excel_bench.txt.
source "$(dirname "$0")/../scripts/lib.sh"
n=${1:-300}
[[ "$n" =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [drawings]" >&2; exit 2; }

prepare_wine_bench
"$WINE" "$PROG/tools/excelsim.exe" /regserver || fail "excelsim.exe could not be registered"
trap '"$WINE" "$PROG/tools/excelsim.exe" /unregserver; cleanup; wineserver -k 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true' EXIT

d=$PROG/drawings
mkdir -p "$d"
samples=(model_a3_100.dxf default_limits.dxf three_layouts.dxf)
files=()
for i in $(seq "$n"); do
  name=$(printf 'd%03d.dxf' "$i")
  cp "$ROOT/data/samples/${samples[$(((i - 1) % 3))]}" "$d/$name"
  files+=("$(win_path "$d/$name")")
done
cells=$PROG/excel-cells.txt
export KESTREL_EXCELSIM_JOURNAL KESTREL_EXCELSIM_TIMES=1
KESTREL_EXCELSIM_JOURNAL=$(win_path "$cells")
# Short pauses between typed commands: the scale check is only the way to
# the table here.
printf '[MainWindow]\r\nAcadExePath=%s\r\nAcadArg=--journal %s\r\nAcadCommandWait=10\r\n' \
  "$(win_path "$PROG/tools/acadsim.exe")" "$(win_path "$PROG/journal.jsonl")" | iconv -f UTF-8 -t CP932 > "$PROG/kestrel20.ini"
printf '[PaperSize]\r\nPAGE=1\r\nPageSize0=A3=297x420\r\n' > "$PROG/plot.ini"

log "checking the scale of $n drawings"
start_kestrel
driver drop "Kestrel 2.30" "${files[@]}" >/dev/null || fail "the drop could not be delivered"
wait_drawing_count "$n" || fail "the drawing count did not reach $n"
driver click "Kestrel 2.30" "尺度" >/dev/null || fail "no button 尺度"
driver find-window "尺度チェック" $((n * 10 + 60)) >/dev/null || { shot wine_excel_bench-failed; fail "no scale check window"; }
sleep 2

expected=$(((n + 1) * 9))
log "sending $((n + 1)) rows ($expected cells) to excelsim.exe"
t0=$(date +%s%3N)
driver click "尺度チェック" "Excel転送" >/dev/null || fail "no button Excel転送"
for _ in $(seq $((n * 20 + 600))); do
  [ -f "$cells" ] && [ "$(grep -c . "$cells")" -ge "$expected" ] && break
  sleep 0.1
done
[ "$(grep -c . "$cells" 2>/dev/null)" = "$expected" ] ||
  { shot wine_excel_bench-cells; fail "the journal holds $(grep -c . "$cells" 2>/dev/null) of $expected cells"; }
shot wine_excel_bench-excelsim
cp "$cells" "$KESTREL_ARTEFACTS/wine_excel_bench-cells.txt"

log "the same transfer from kdriver, use by use"
fill=$(driver excel-fill "$((n + 1))" | tr -d '\r') || fail "excel-fill: $fill"

{
  # The stamp ends each journal line.
  awk -F'\t' -v t0="$t0" -v rows=$((n + 1)) '
    NR == 1 {first = $NF}
    {last = $NF; cells++}
    END {
      printf "Kestrel.exe: %d rows, %d cells under Wine\n", rows, cells
      printf "  click to first cell   %6d ms  (starting kdriver and the server, Application, Visible, Add, ActiveSheet)\n", first - t0
      printf "  first to last cell    %6d ms  (%.2f ms a cell, %.1f ms a row)\n", last - first, (last - first) / (cells - 1), (last - first) / (rows - 1)
      printf "  click to last cell    %6d ms\n", last - t0
    }' "$KESTREL_ARTEFACTS/wine_excel_bench-cells.txt"
  echo
  echo "kdriver excel-fill $((n + 1)) (ms):"
  sed 's/^/  /' <<<"$fill"
  echo
  echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
} | tee "$KESTREL_ARTEFACTS/wine_excel_bench.txt"
driver close-window "Kestrel 2.30" 30 >/dev/null || true
