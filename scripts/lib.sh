# Shared by scripts/test and scripts/run. Sourced, not run.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${KESTREL_BUILD:-$ROOT/build}
NATIVE=$BUILD/native
WIN=$BUILD/win
export WINEPREFIX=${KESTREL_WINEPREFIX:-$BUILD/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# Japanese locale: Wine then takes code page 932 as the ANSI code page, as on
# a Japanese Windows.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

log() { printf '== %s\n' "$*" >&2; }

# Installs what a fresh Debian machine lacks.
ensure_packages() {
  local need=()
  command -v cmake >/dev/null || need+=(cmake)
  command -v ninja >/dev/null || need+=(ninja-build)
  command -v g++ >/dev/null || need+=(g++)
  [ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev libgmock-dev)
  command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
  command -v wine >/dev/null || need+=(wine)
  command -v wine64 >/dev/null || [ -x /usr/lib/wine/wine64 ] || need+=(wine64)
  command -v Xvfb >/dev/null || need+=(xvfb)
  command -v xauth >/dev/null || need+=(xauth)
  command -v import >/dev/null && [ -x /usr/bin/import ] || need+=(imagemagick)
  [ -d /usr/share/fonts/opentype/ipafont-gothic ] || need+=(fonts-ipafont-gothic)
  command -v locale-gen >/dev/null || need+=(locales)
  command -v unzip >/dev/null || need+=(unzip)  # the tests read written archives back
  /usr/bin/python3 -c 'import openpyxl' 2>/dev/null || need+=(python3-openpyxl)  # and written workbooks
  if [ ${#need[@]} -gt 0 ]; then
    log "installing: ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null
    apt-get install -y -q --no-install-recommends "${need[@]}" >/dev/null
  fi
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    log "generating the ja_JP.UTF-8 locale"
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen 2>/dev/null || true
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
  fi
}

wine_cmd() {
  if command -v wine64 >/dev/null; then echo wine64;
  elif [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64;
  else echo wine; fi
}

build_native() {
  log "native build"
  cmake -S "$ROOT" -B "$NATIVE" -G Ninja -DKESTREL_WIN_BUILD="$WIN" >/dev/null
  cmake --build "$NATIVE" -j"$(nproc)"
}

build_windows() {
  log "cross build (mingw-w64)"
  cmake -S "$ROOT" -B "$WIN" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$WIN" -j"$(nproc)"
  stage_program
}

# The program folder as it ships: Kestrel.exe with its files beside it, and
# the stand-ins (AutoCAD with its start drawing, the spreadsheet) and the
# test driver in tools/.
stage_program() {
  local dist=$BUILD/dist
  mkdir -p "$dist/help" "$dist/BottonSets" "$dist/tools"
  cp "$WIN/Kestrel.exe" "$dist/"
  cp "$ROOT/help/Kestrelhelp.html" "$dist/help/"
  if [ -d "$ROOT/data/BottonSets" ]; then cp "$ROOT"/data/BottonSets/*.ini "$dist/BottonSets/" 2>/dev/null || true; fi
  cp "$ROOT/tools/acadsim/Drawing1.dwg" "$dist/" 2>/dev/null || true
  [ -f "$WIN/acadsim.exe" ] && cp "$WIN/acadsim.exe" "$dist/tools/"
  [ -f "$WIN/excelsim.exe" ] && cp "$WIN/excelsim.exe" "$dist/tools/"
  [ -f "$WIN/kdriver.exe" ] && cp "$WIN/kdriver.exe" "$dist/tools/"
  true
}

# A Wine prefix of our own, with ".dwg" opened by the stand-in. No
# "Excel.Application" here: the tests that want one register excelsim.exe
# themselves, so that every other test sees a machine without a spreadsheet.
ensure_wineprefix() {
  local wine; wine=$(wine_cmd)
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating the Wine prefix $WINEPREFIX (takes a minute once)"
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
  fi
  local sim
  sim=$(winepath_w "$BUILD/dist/tools/acadsim.exe")
  # Wine's shell looks the class up in HKEY_CLASSES_ROOT only, which does
  # not show the per-user classes: register in both.
  local root
  for root in 'HKCU\Software\Classes' 'HKLM\Software\Classes'; do
    "$wine" reg add "$root\\.dwg" /ve /d KestrelSim.Drawing /f >/dev/null 2>&1 || true
    "$wine" reg add "$root\\KestrelSim.Drawing\\shell\\open\\command" /ve \
      /d "\"$sim\" \"%1\"" /f >/dev/null 2>&1 || true
  done
  # Wine's own menus and message boxes ask for these faces; without a
  # replacement Japanese text shows as boxes.
  local face
  for face in "MS UI Gothic" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "MS Gothic" "MS PGothic"; do
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d IPAGothic /f >/dev/null 2>&1 || true
  done
}

winepath_w() { printf 'Z:%s' "$(echo "$1" | sed 's#/#\\#g')"; }

# Starts an X server when there is no display; sets DISPLAY.
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${KESTREL_FORCE_XVFB:-}" ]; then return; fi
  local n=${KESTREL_XVFB_DISPLAY:-97}
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
}
