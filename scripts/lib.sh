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
  # LZH/ZIP extraction: libarchive natively; bsdtar for the benchmark. (lha
  # from jlha-utils, which brings a Java runtime, is needed only to remake
  # the committed test archives; it is not installed here.)
  [ -f /usr/include/archive.h ] || need+=(libarchive-dev)
  command -v pkg-config >/dev/null || need+=(pkgconf)
  command -v bsdtar >/dev/null || need+=(libarchive-tools)
  # The cross build's libarchive: Debian's source package, unpacked with
  # dpkg-source, on Debian's mingw zlib.
  command -v dpkg-source >/dev/null || need+=(dpkg-dev)
  [ -f /usr/x86_64-w64-mingw32/lib/libz.a ] || need+=(libz-mingw-w64-dev)
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
  ensure_libarchive_mingw
  log "cross build (mingw-w64)"
  cmake -S "$ROOT" -B "$WIN" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DKESTREL_LIBARCHIVE_PREFIX="$LIBARCHIVE_MINGW" >/dev/null
  cmake --build "$WIN" -j"$(nproc)"
  stage_program
}

# libarchive for Kestrel.exe: built once from Debian's source package with
# the mingw toolchain, static, into $BUILD/deps. The source comes through an
# apt configuration of our own (deb-src lines for the machine's Debian
# mirrors, lists and cache under $BUILD), so the machine's package sources
# stay as they are.
LIBARCHIVE_MINGW=$BUILD/deps/libarchive-x86_64
ensure_libarchive_mingw() {
  [ -f "$LIBARCHIVE_MINGW/lib/libarchive.a" ] && return
  log "building libarchive for mingw-w64 (once)"
  local deps=$BUILD/deps apt=$BUILD/deps/apt
  rm -rf "$apt" "$deps/src"
  mkdir -p "$apt/parts" "$apt/state/lists/partial" "$apt/cache/archives/partial" "$deps/src"
  debian_source_lines > "$apt/sources.list"
  [ -s "$apt/sources.list" ] || { log "no Debian mirror found in the apt sources"; return 1; }
  local opts=(-o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts="$apt/parts"
    -o Dir::State="$apt/state" -o Dir::Cache="$apt/cache" -o Dir::State::status=/var/lib/dpkg/status
    -o APT::Sandbox::User=root -o Debug::NoLocking=1)
  apt-get "${opts[@]}" -q update >/dev/null
  (cd "$deps/src" && apt-get "${opts[@]}" -q source --download-only libarchive >/dev/null)
  local dsc; dsc=$(ls "$deps"/src/libarchive_*.dsc | head -n 1)
  # (Its signature check only warns without the Debian keyring; apt checked the download.)
  (cd "$deps/src" && dpkg-source -x "$dsc" libarchive) >"$deps/dpkg-source.log" 2>&1 ||
    { cat "$deps/dpkg-source.log"; return 1; }
  cmake -S "$deps/src/libarchive" -B "$deps/libarchive-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$LIBARCHIVE_MINGW" -DBUILD_SHARED_LIBS=OFF \
    -DENABLE_TAR=OFF -DENABLE_CPIO=OFF -DENABLE_CAT=OFF -DENABLE_UNZIP=OFF -DENABLE_TEST=OFF \
    -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF -DENABLE_NETTLE=OFF -DENABLE_LZMA=OFF -DENABLE_BZip2=OFF \
    -DENABLE_ZSTD=OFF -DENABLE_LZ4=OFF -DENABLE_LZO=OFF -DENABLE_LIBB2=OFF -DENABLE_LIBXML2=OFF \
    -DENABLE_EXPAT=OFF -DENABLE_ICONV=OFF -DENABLE_CNG=OFF -DENABLE_ACL=OFF -DENABLE_XATTR=OFF \
    -DENABLE_PCREPOSIX=OFF -DENABLE_PCRE2POSIX=OFF -DENABLE_WERROR=OFF -DENABLE_INSTALL=ON \
    -DENABLE_ZLIB=ON -DZLIB_WINAPI_EXITCODE=1 -DZLIB_WINAPI_EXITCODE__TRYRUN_OUTPUT= \
    -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a \
    >"$deps/libarchive-configure.log" 2>&1 || { tail -n 30 "$deps/libarchive-configure.log"; return 1; }
  cmake --build "$deps/libarchive-build" --target archive_static -j"$(nproc)" >"$deps/libarchive-build.log" 2>&1 ||
    { tail -n 30 "$deps/libarchive-build.log"; return 1; }
  mkdir -p "$LIBARCHIVE_MINGW/lib" "$LIBARCHIVE_MINGW/include"
  cp "$deps/src/libarchive/libarchive/archive.h" "$deps/src/libarchive/libarchive/archive_entry.h" \
    "$LIBARCHIVE_MINGW/include/"
  cp "$deps/libarchive-build/libarchive/libarchive_static.a" "$LIBARCHIVE_MINGW/lib/libarchive.a"
}

# deb-src lines for the Debian suites the machine installs from (its
# codename, -updates, -security), from both apt source formats.
debian_source_lines() {
  local codename; codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || return 0
  {
    cat /etc/apt/sources.list 2>/dev/null || true
    for f in /etc/apt/sources.list.d/*.list; do if [ -f "$f" ]; then cat "$f"; fi; done
  } | awk -v c="$codename" '
    $1 == "deb" { i = 2; opts = ""
      if ($2 ~ /^\[/) { while (i <= NF && $i !~ /\]$/) { opts = opts " " $i; i++ } opts = opts " " $i; i++ }
      uri = $i; suite = $(i + 1)
      if (suite !~ "^" c "(-updates|-security)?$") next
      line = "deb-src" opts " " uri " " suite
      for (j = i + 2; j <= NF; j++) line = line " " $j
      print line }'
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk -v c="$codename" '
      function flush(   n, k, s, u, m, uris, suites, line) {
        if (types ~ /(^| )deb( |$)/ && enabled != "no") {
          n = split(suites0, suites, " "); m = split(uris0, uris, " ")
          for (k = 1; k <= n; k++) {
            if (suites[k] !~ "^" c "(-updates|-security)?$") continue
            for (u = 1; u <= m; u++) {
              line = "deb-src"
              if (signed != "") line = line " [signed-by=" signed "]"
              print line " " uris[u] " " suites[k] " " comps
            }
          }
        }
        types = uris0 = suites0 = comps = signed = enabled = ""
      }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); next }
      { key = tolower($1); sub(/:$/, "", key); $1 = ""; sub(/^ +/, "")
        if (key == "types") types = $0; else if (key == "uris") uris0 = $0
        else if (key == "suites") suites0 = $0; else if (key == "components") comps = $0
        else if (key == "signed-by") signed = $0; else if (key == "enabled") enabled = tolower($0) }
      END { flush() }' "$f"
  done
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

# For the Wine benchmarks: what is missing installed, the programs built
# (plus whatever the arguments name, e.g. build_native), a display and the
# prefix, the end-to-end tests' helpers, and a fresh program folder ($PROG).
prepare_wine_bench() {
  ensure_packages
  build_windows
  local extra
  for extra in "$@"; do "$extra"; done
  ensure_display
  ensure_wineprefix
  export KESTREL_DIST=$BUILD/dist KESTREL_ARTEFACTS=$BUILD/artefacts KESTREL_WINE=$(wine_cmd)
  mkdir -p "$KESTREL_ARTEFACTS"
  source "$ROOT/tests/wine/lib/common.bash"
  new_program_folder
}
