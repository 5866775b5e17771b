# Shared by the end-to-end tests. Needs KESTREL_DIST (the staged program
# folder), KESTREL_ARTEFACTS and KESTREL_WINE, set by scripts/test, and a
# DISPLAY with a running X server.
set -euo pipefail
: "${KESTREL_DIST:?run through scripts/test}"
: "${KESTREL_ARTEFACTS:?run through scripts/test}"
WINE=${KESTREL_WINE:-wine64}
# An emulated program (KESTREL_XDND, see driver) starts in about a minute and
# works some times slower: the waits for it are this many times longer.
SLOW=1
[ -z "${KESTREL_XDND:-}" ] || SLOW=4
export WINEDEBUG=${WINEDEBUG:--all}

fail() { echo "FAIL: $*" >&2; exit 1; }
ok() { echo "ok: $*"; }

# The lane CTest gave this test (scripts/test runs the tests side by side):
# its own Wine prefix and display.
if [ -n "${CTEST_RESOURCE_GROUP_0_LANES:-}" ]; then
  lane=${CTEST_RESOURCE_GROUP_0_LANES#id:}
  lane=${lane%%,*}
  lane_prefix=KESTREL_LANE_PREFIX_$lane lane_display=KESTREL_LANE_DISPLAY_$lane
  [ -n "${!lane_prefix:-}" ] && [ -n "${!lane_display:-}" ] || fail "lane $lane has no prefix or display"
  export WINEPREFIX=${!lane_prefix} DISPLAY=${!lane_display}
fi

# A fresh program folder, a copy of the staged one.
new_program_folder() {
  PROG=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-e2e-XXXXXX")
  cp -r "$KESTREL_DIST"/. "$PROG"/
  rm -f "$PROG"/*.zip  # the release packages scripts/package leaves beside it
  trap 'cleanup' EXIT
}

cleanup() {
  [ -n "${KPID:-}" ] && kill "$KPID" 2>/dev/null || true
  [ -n "${PROG:-}" ] && rm -rf "$PROG"
}

win_path() { printf 'Z:%s' "$(echo "$1" | sed 's#/#\\#g')"; }

# kdriver's drop writes the HDROP into the program's memory, which cannot
# work where the program runs under emulation (the 32-bit program on a kernel
# without 32-bit support); with KESTREL_XDND set the files are dragged onto
# the window instead, as from a Linux file manager.
driver() {
  if [ "${1:-}" = drop ] && [ -n "${KESTREL_XDND:-}" ]; then
    shift
    local title=$1 f files=()
    shift
    for f in "$@"; do files+=("$(unix_path "$f")"); done
    /usr/bin/python3 "$KESTREL_TESTLIB/xdnd_drop.py" "$title" 120 "${files[@]}"
    return
  fi
  "$WINE" "$PROG/tools/kdriver.exe" "$@"
}
KESTREL_TESTLIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Z:\a\b (the Unix root as Wine's drive Z:) back to /a/b.
unix_path() { printf '%s' "${1#Z:}" | tr '\\' /; }

shot() {
  local name=$1
  mkdir -p "$KESTREL_ARTEFACTS"
  import -display "$DISPLAY" -window root "$KESTREL_ARTEFACTS/$name.png" && echo "screenshot: $KESTREL_ARTEFACTS/$name.png"
}

# Starts Kestrel.exe of $PROG with $KESTREL_LOADER (default: $WINE) and
# waits up to $1 seconds (default 90, times SLOW) for its window.
start_kestrel() {
  local limit=${1:-$((90 * SLOW))}
  (cd "$PROG" && exec "${KESTREL_LOADER:-$WINE}" Kestrel.exe) &
  KPID=$!
  driver find-window "Kestrel 2.30" "$limit" >/dev/null || fail "the window \"Kestrel 2.30\" did not appear"
}

# Closes the main window and waits up to $1 seconds (default 30, times
# SLOW) for Kestrel.exe to end.
close_kestrel() {
  local limit=${1:-$((30 * SLOW))}
  driver close-window "Kestrel 2.30" "$limit" >/dev/null || fail "the window did not close"
  wait_exit "$KPID" "$limit" || fail "Kestrel.exe did not end"
  KPID=
}

wait_exit() {
  local pid=$1 limit=${2:-30}
  for _ in $(seq $((limit * 10))); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}

# Gives button N of the current set ("Base", whose file is the shipped
# BottonSets/base.ini: Windows does not tell the two names apart) a device, a paper
# and a style table.
set_button_device() {
  local n=$1 device=$2 paper=$3 style=$4
  local base=$PROG/BottonSets/base.ini
  iconv -f CP932 -t UTF-8 "$base" | tr -d '\r' | awk -v sec="[Ploter${n}Fleld]" -v dev="$device" -v pap="$paper" -v sty="$style" '
    /^\[/ {in1 = ($0 == sec)}
    in1 && /^PrintDevice=/ {print "PrintDevice=" dev; next}
    in1 && /^PaperName=/ {print "PaperName=\"" pap "\""; next}
    in1 && /^PrintStyle=/ {print "PrintStyle=" sty; next}
    {print}' | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 > "$base.new" && mv "$base.new" "$base"
}

# The caption of button N in the current set.
button_caption() {
  iconv -f CP932 -t UTF-8 "$PROG/BottonSets/base.ini" | tr -d '\r' |
    awk -F= -v sec="[Ploter$1Fleld]" '/^\[/ {in1 = ($0 == sec)} in1 && $1 == "USERNAME" {print substr($0, 10); exit}'
}

# Waits until the main window's drawing count shows N.
wait_drawing_count() {
  for _ in $(seq $((100 * SLOW))); do
    driver children "Kestrel 2.30" | tr -d '\r' | awk -F'\t' -v n="$1" 'f {exit !($4 == n)} $4 == "図面枚数" {f=1}' && return 0
    sleep 0.2
  done
  return 1
}
