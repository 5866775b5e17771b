# Shared by the end-to-end tests. Needs KESTREL_DIST (the staged program
# folder), KESTREL_ARTEFACTS and KESTREL_WINE, set by scripts/test, and a
# DISPLAY with a running X server.
set -euo pipefail
: "${KESTREL_DIST:?run through scripts/test}"
: "${KESTREL_ARTEFACTS:?run through scripts/test}"
WINE=${KESTREL_WINE:-wine64}
export WINEDEBUG=${WINEDEBUG:--all}

fail() { echo "FAIL: $*" >&2; exit 1; }
ok() { echo "ok: $*"; }

# A fresh program folder, a copy of the staged one.
new_program_folder() {
  PROG=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-e2e-XXXXXX")
  cp -r "$KESTREL_DIST"/. "$PROG"/
  trap 'cleanup' EXIT
}

cleanup() {
  [ -n "${KPID:-}" ] && kill "$KPID" 2>/dev/null || true
  [ -n "${PROG:-}" ] && rm -rf "$PROG"
}

win_path() { printf 'Z:%s' "$(echo "$1" | sed 's#/#\\#g')"; }

driver() { "$WINE" "$PROG/tools/kdriver.exe" "$@"; }

shot() {
  local name=$1
  mkdir -p "$KESTREL_ARTEFACTS"
  import -display "$DISPLAY" -window root "$KESTREL_ARTEFACTS/$name.png" && echo "screenshot: $KESTREL_ARTEFACTS/$name.png"
}

start_kestrel() {
  (cd "$PROG" && exec "$WINE" Kestrel.exe) &
  KPID=$!
  driver find-window "Kestrel 2.30" 90 >/dev/null || fail "the window \"Kestrel 2.30\" did not appear"
}

wait_exit() {
  local pid=$1
  for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}
