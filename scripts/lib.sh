# Shared by scripts/test and scripts/run. Sourced, not run.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KESTREL_VERSION=2.30
BUILD=${KESTREL_BUILD:-$ROOT/build}
NATIVE=$BUILD/native
WIN=$BUILD/win
WIN32_BUILD=$BUILD/win32
export WINEPREFIX=${KESTREL_WINEPREFIX:-$BUILD/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# Wine's menu builder would write menu entries and file types for the
# prefix's programs into the user's home (~/.local/share, ~/.config/menus):
# nothing of the tests belongs there.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d}
# Japanese locale: Wine then takes code page 932 as the ANSI code page, as on
# a Japanese Windows.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

log() { printf '== %s\n' "$*" >&2; }

# Runs a step and keeps how long it took, for print_stages.
STAGES=()
stage() {
  local t0=$SECONDS rc=0
  "$@" || rc=$?
  STAGES+=("$(printf '%-22s %5ds' "$1" $((SECONDS - t0)))$([ $rc = 0 ] || echo "  (exit $rc)")")
  return $rc
}
print_stages() {
  local s
  log "time per stage (total ${SECONDS}s)"
  for s in "${STAGES[@]}"; do printf '   %s\n' "$s" >&2; done
}

# apt-get install, with the package lists brought up to date once per run.
# A mirror in the middle of a sync serves lists that fail their checks; the
# lists and the install are tried again a little later before giving up
# (APT_TRIES times in all).
APT_UPDATED=
apt_install() {
  export DEBIAN_FRONTEND=noninteractive
  local try tries=${APT_TRIES:-3}
  mkdir -p "$BUILD"
  for try in $(seq "$tries"); do
    if [ -z "$APT_UPDATED" ] || [ "$try" -gt 1 ]; then
      apt-get update -q >/dev/null 2>&1 || log "apt-get update reported errors (try $try)"
      APT_UPDATED=1
    fi
    apt-get install -y -q --no-install-recommends "$@" >/dev/null 2>"$BUILD/apt-errors.txt" && return 0
    [ "$try" = "$tries" ] || { log "apt-get install failed (try $try); again in 20 s"; sleep 20; }
  done
  tail -5 "$BUILD/apt-errors.txt" >&2
  return 1
}

# Installs what a fresh Debian machine lacks.
ensure_packages() {
  local need=()
  command -v cmake >/dev/null || need+=(cmake)
  command -v ninja >/dev/null || need+=(ninja-build)
  command -v g++ >/dev/null || need+=(g++)
  [ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev libgmock-dev)
  command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
  command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686-posix)
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
  [ -f /usr/x86_64-w64-mingw32/lib/libz.a ] && [ -f /usr/i686-w64-mingw32/lib/libz.a ] || need+=(libz-mingw-w64-dev)
  command -v zip >/dev/null || need+=(zip)  # scripts/package
  /usr/bin/python3 -c 'import openpyxl' 2>/dev/null || need+=(python3-openpyxl)  # and written workbooks
  /usr/bin/python3 -c 'import Xlib' 2>/dev/null || need+=(python3-xlib)  # drags files onto the 32-bit program
  if [ ${#need[@]} -gt 0 ]; then
    log "installing: ${need[*]}"
    apt_install "${need[@]}" || { log "the packages above could not be installed (apt-get's words above)"; return 1; }
  fi
  # The 32-bit program under Wine: Debian's multiarch wine32, of the same
  # version as wine64. Without it only the 32-bit pass is left out.
  if ! dpkg -s wine32:i386 >/dev/null 2>&1; then
    # A new architecture needs its own package lists.
    dpkg --print-foreign-architectures | grep -qx i386 || { dpkg --add-architecture i386; APT_UPDATED=; }
    log "installing: wine32:i386"
    APT_TRIES=2 apt_install wine32:i386 ||
      log "wine32:i386 could not be installed (apt-get's words above): the 32-bit pass is left out"
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

# The 32-bit loader (Debian's wine32), which runs the 32-bit programs in the
# same 64-bit prefix.
wine32_cmd() {
  if [ -x /usr/lib/wine/wine ]; then echo /usr/lib/wine/wine; fi
}

# Some kernels (virtual machines built without IA32 emulation) cannot start
# a 32-bit Linux program, so Debian's wine32 loader cannot start either. On
# request (KESTREL_I386_EMULATION=1) the kernel is then asked to hand i386
# programs to qemu's user-mode emulator (Debian's qemu-user-static), as a
# multiarch Debian on another CPU does; the 32-bit programs then run, slowly.
# That is a change to the whole machine, until it restarts, so it is never
# made unasked; `echo -1 > /proc/sys/fs/binfmt_misc/qemu-i386` takes it back.
# KESTREL_I386_EMULATION=always registers the emulator even where 32-bit
# programs start by themselves, to try the emulated path on such a machine.
# Whatever cannot be done is left: the 32-bit tests then say they have
# nothing to run on.
ensure_i386_programs() {
  local loader; loader=$(wine32_cmd)
  [ -n "$loader" ] || return 0
  local want=${KESTREL_I386_EMULATION:-0} misc=/proc/sys/fs/binfmt_misc
  if [ "$want" != always ] && "$loader" --version >/dev/null 2>&1; then
    if i386_emulated; then log "32-bit programs run here through qemu-i386 (registered before; slowly)"; fi
    return 0
  fi
  case $want in
    1 | always) ;;
    *)
      log "32-bit programs cannot start here: the 32-bit pass is left out" \
        "(KESTREL_I386_EMULATION=1 registers an emulator for them, machine-wide)"
      return 0 ;;
  esac
  [ "$(id -u)" = 0 ] || { log "32-bit programs cannot start here (not root: no emulator registered)"; return 0; }
  if [ ! -e "$misc/register" ]; then
    mount -t binfmt_misc binfmt_misc "$misc" 2>/dev/null ||
      { log "32-bit programs cannot start here (binfmt_misc cannot be mounted)"; return 0; }
  fi
  if [ ! -x /usr/bin/qemu-i386-static ]; then
    log "installing: qemu-user-static (runs the 32-bit Wine loader on this kernel)"
    apt_install qemu-user-static || { log "32-bit programs cannot start here (qemu-user-static not installed)"; return 0; }
  fi
  if [ ! -e "$misc/qemu-i386" ]; then
    # i386 ELF executables and shared objects; F: the emulator is opened now,
    # so it is found whatever the program's root.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      > "$misc/register" 2>/dev/null || { log "32-bit programs cannot start here (registering the emulator failed)"; return 0; }
    log "registered qemu-i386 for i386 programs, machine-wide until restart (undo: echo -1 > $misc/qemu-i386)"
  fi
  if "$loader" --version >/dev/null 2>&1; then
    log "32-bit programs run here through qemu-i386 (slowly)"
  else
    log "32-bit programs cannot start here, even through qemu-i386"
  fi
}

# Whether i386 programs are handed to qemu (an enabled binfmt_misc entry).
i386_emulated() {
  local entry=/proc/sys/fs/binfmt_misc/qemu-i386
  [ -r "$entry" ] && grep -qx enabled "$entry" && grep -q qemu "$entry"
}

build_native() {
  log "native build"
  cmake -S "$ROOT" -B "$NATIVE" -G Ninja -DKESTREL_WIN_BUILD="$WIN" -DKESTREL_WIN32_BUILD="$WIN32_BUILD" >/dev/null
  cmake --build "$NATIVE" -j"$(nproc)"
}

# Both Windows programs: x86-64 in $WIN, staged in $BUILD/dist, and i686
# (for the 32-bit Windows beside 32-bit AutoCAD) in $WIN32_BUILD, staged in
# $BUILD/dist32.
build_windows() {
  local arch missing=0
  for arch in x86_64 i686; do [ -f "$BUILD/deps/libarchive-$arch/lib/libarchive.a" ] || missing=1; done
  # (Timed apart: the first build of a machine spends much of its time here.)
  [ $missing = 0 ] || stage libarchive_both
  build_windows_arch x86_64 "$WIN"
  stage_program "$WIN" "$BUILD/dist"
  build_windows_arch i686 "$WIN32_BUILD"
  stage_program "$WIN32_BUILD" "$BUILD/dist32"
}

build_windows_arch() {
  local arch=$1 out=$2
  ensure_libarchive_mingw "$arch"
  log "cross build (mingw-w64 $arch)"
  cmake -S "$ROOT" -B "$out" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DKESTREL_LIBARCHIVE_PREFIX="$BUILD/deps/libarchive-$arch" >/dev/null
  cmake --build "$out" -j"$(nproc)"
}

# libarchive for Kestrel.exe: built once from Debian's source package with
# the mingw toolchain, static, into $BUILD/deps. The source comes through an
# apt configuration of our own (deb-src lines for the machine's Debian
# mirrors, lists and cache under $BUILD), so the machine's package sources
# stay as they are. One copy per architecture (x86_64, i686); the source is
# fetched once for both.
ensure_libarchive_mingw() {
  local arch=${1:-x86_64}
  local prefix=$BUILD/deps/libarchive-$arch
  [ -f "$prefix/lib/libarchive.a" ] && return
  log "building libarchive for mingw-w64 $arch (once)"
  local deps=$BUILD/deps
  [ -d "$deps/src/libarchive" ] || fetch_libarchive_source
  local work=$deps/libarchive-build-$arch sysroot=/usr/$arch-w64-mingw32
  rm -rf "$work"
  cmake -S "$deps/src/libarchive" -B "$work" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DENABLE_TAR=OFF -DENABLE_CPIO=OFF -DENABLE_CAT=OFF -DENABLE_UNZIP=OFF -DENABLE_TEST=OFF \
    -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF -DENABLE_NETTLE=OFF -DENABLE_LZMA=OFF -DENABLE_BZip2=OFF \
    -DENABLE_ZSTD=OFF -DENABLE_LZ4=OFF -DENABLE_LZO=OFF -DENABLE_LIBB2=OFF -DENABLE_LIBXML2=OFF \
    -DENABLE_EXPAT=OFF -DENABLE_ICONV=OFF -DENABLE_CNG=OFF -DENABLE_ACL=OFF -DENABLE_XATTR=OFF \
    -DENABLE_PCREPOSIX=OFF -DENABLE_PCRE2POSIX=OFF -DENABLE_WERROR=OFF -DENABLE_INSTALL=ON \
    -DENABLE_ZLIB=ON -DZLIB_WINAPI_EXITCODE=1 -DZLIB_WINAPI_EXITCODE__TRYRUN_OUTPUT= \
    -DZLIB_INCLUDE_DIR=$sysroot/include -DZLIB_LIBRARY=$sysroot/lib/libz.a \
    >"$deps/libarchive-configure-$arch.log" 2>&1 || { tail -n 30 "$deps/libarchive-configure-$arch.log"; return 1; }
  cmake --build "$work" --target archive_static -j"$(nproc)" >"$deps/libarchive-build-$arch.log" 2>&1 ||
    { tail -n 30 "$deps/libarchive-build-$arch.log"; return 1; }
  mkdir -p "$prefix/lib" "$prefix/include"
  cp "$deps/src/libarchive/libarchive/archive.h" "$deps/src/libarchive/libarchive/archive_entry.h" \
    "$prefix/include/"
  cp "$work/libarchive/libarchive_static.a" "$prefix/lib/libarchive.a"
}

# Both architectures' libarchive side by side: their configure steps run one
# test compile after another, so two of them keep both cores busy.
libarchive_both() {
  [ -d "$BUILD/deps/src/libarchive" ] || fetch_libarchive_source
  local pids=() pid rc=0
  ensure_libarchive_mingw x86_64 & pids+=($!)
  ensure_libarchive_mingw i686 & pids+=($!)
  for pid in "${pids[@]}"; do wait "$pid" || rc=1; done
  return $rc
}

fetch_libarchive_source() {
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

# The program folder as it ships (what scripts/package zips): Kestrel.exe
# from the cross build folder $1, with its files beside it, into $2. The
# notes are kept in UTF-8 here and shipped in code page 932 with CRLF, which
# Notepad on a Japanese Windows of any age reads.
stage_product() {
  local win=$1 dist=$2
  # Anew each time, so nothing stale ships; the packages beside it stay.
  mkdir -p "$dist"
  find "$dist" -mindepth 1 -maxdepth 1 ! -name '*.zip' -exec rm -rf {} +
  mkdir -p "$dist/help" "$dist/BottonSets"
  cp "$win/Kestrel.exe" "$dist/"
  cp "$ROOT/help/Kestrelhelp.html" "$dist/help/"
  cp "$ROOT/data/BottonSets/base.ini" "$dist/BottonSets/"
  cp "$ROOT/tools/acadsim/Drawing1.dwg" "$dist/"
  local notes
  for notes in "$ROOT"/data/notes/*.txt; do
    sed 's/$/\r/' "$notes" | iconv -f UTF-8 -t CP932 > "$dist/$(basename "$notes")"
  done
}

# The program folder for the tests and the demo: the product, and the
# stand-ins (AutoCAD, the spreadsheet) and the test driver in tools/.
stage_program() {
  local win=$1 dist=$2
  stage_product "$win" "$dist"
  mkdir -p "$dist/tools"
  cp "$win/acadsim.exe" "$win/kdriver.exe" "$dist/tools/"
  [ ! -f "$win/excelsim.exe" ] || cp "$win/excelsim.exe" "$dist/tools/"
}

# The release packages, from the cross builds, into $1:
# Kestrel-<version>-win32.zip and -x64.zip, each one folder "Kestrel" with
# the program folder as it ships. Names are stored in code page 932, which
# the zip folders of Japanese Windows (XP on) read.
make_packages() {
  local out arch win
  mkdir -p "$1"
  out=$(cd "$1" && pwd)  # zip runs in the work folder
  local work; work=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-package-XXXXXX")
  for arch in win32 x64; do
    if [ "$arch" = win32 ]; then win=$WIN32_BUILD; else win=$WIN; fi
    rm -rf "$work/Kestrel"
    stage_product "$win" "$work/Kestrel"
    local f
    for f in "$work"/Kestrel/*; do
      local name; name=$(basename "$f")
      local local_name; local_name=$(printf '%s' "$name" | iconv -f UTF-8 -t CP932)
      [ "$name" = "$local_name" ] || mv "$f" "$work/Kestrel/$local_name"
    done
    local zip=$out/Kestrel-$KESTREL_VERSION-$arch.zip
    rm -f "$zip"
    (cd "$work" && LC_ALL=C zip -q -X -r -9 "$zip" Kestrel)
    log "package: $zip"
  done
  rm -rf "$work"
}

# A Wine prefix of our own, with ".dwg" opened by the stand-in. No
# "Excel.Application" here: the tests that want one register excelsim.exe
# themselves, so that every other test sees a machine without a spreadsheet.
ensure_wineprefix() {
  local wine; wine=$(wine_cmd)
  # A prefix made while 32-bit programs could not start has no 32-bit half
  # (syswow64), and Wine does not add it later: made anew once they can.
  local wine32; wine32=$(wine32_cmd)
  if [ -f "$WINEPREFIX/system.reg" ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] &&
    [ -n "$wine32" ] && "$wine32" --version >/dev/null 2>&1; then
    log "the Wine prefix has no 32-bit half: made anew"
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
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

# The end-to-end tests run side by side in KESTREL_E2E_LANES lanes (default
# 2; 1 runs them one after the other): most of their time is waiting for
# windows and for the stand-in, not work. Each lane has its own copy of the
# Wine prefix (so its own wineserver) and its own X display, so that one
# test never sees another's windows; CTest gives each test one lane (the
# resource "lanes", read by tests/wine/lib/common.bash). Sets E2E_CTEST_ARGS.
LANE_XVFB_PIDS=()
prepare_lanes() {
  local n=${KESTREL_E2E_LANES:-2} i spec=$BUILD/e2e-lanes.json ids=""
  # Emulated 32-bit programs (the package test among the 64-bit ones) keep
  # both cores busy: the waits of a test beside one would not hold.
  if i386_emulated && [ -z "${KESTREL_E2E_LANES:-}" ]; then n=1; fi
  [ "$n" -ge 2 ] 2>/dev/null || { E2E_CTEST_ARGS=(); return 0; }
  for i in $(seq 0 $((n - 1))); do
    local prefix=$WINEPREFIX display=$DISPLAY
    if [ "$i" -gt 0 ]; then
      prefix=$BUILD/wineprefix-lane$i
      WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
      rm -rf "$prefix"
      cp -a "$WINEPREFIX" "$prefix"
      local x=$((${KESTREL_XVFB_DISPLAY:-97} + 10 + i))
      while [ -e "/tmp/.X$x-lock" ]; do x=$((x + 1)); done
      Xvfb ":$x" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      LANE_XVFB_PIDS+=($!)
      for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$x" ] && break; sleep 0.1; done
      display=:$x
    fi
    export "KESTREL_LANE_PREFIX_$i=$prefix" "KESTREL_LANE_DISPLAY_$i=$display"
    ids+="${ids:+,}{\"id\":\"$i\",\"slots\":1}"
  done
  printf '{"version":{"major":1,"minor":0},"local":[{"lanes":[%s]}]}\n' "$ids" > "$spec"
  E2E_CTEST_ARGS=(-j"$n" --resource-spec-file "$spec")
}

# Ends the lanes' Wine servers and displays.
end_lanes() {
  local v
  for v in $(compgen -v KESTREL_LANE_PREFIX_); do WINEPREFIX=${!v} wineserver -k 2>/dev/null || true; done
  for v in "${LANE_XVFB_PIDS[@]}"; do kill "$v" 2>/dev/null || true; done
}

# The environment that runs the Wine tests on the 32-bit program: its
# program folder ($BUILD/dist32-e2e: the 32-bit product, with the 64-bit
# stand-ins and driver beside it, as on a 64-bit Windows), started by the
# 32-bit loader; under emulation the drops are dragged (KESTREL_XDND).
# Fails when no 32-bit Wine runs here.
win32_e2e_env() {
  local wine32; wine32=$(wine32_cmd)
  [ -n "$wine32" ] && "$wine32" --version >/dev/null 2>&1 || return 1
  [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] || return 1
  local dist=$BUILD/dist32-e2e
  stage_product "$WIN32_BUILD" "$dist"
  mkdir -p "$dist/tools"
  cp "$BUILD/dist/tools/"*.exe "$dist/tools/"
  export KESTREL_DIST=$dist KESTREL_LOADER=$wine32 KESTREL_ARTEFACTS=$BUILD/artefacts/win32
  mkdir -p "$KESTREL_ARTEFACTS"
  if i386_emulated; then export KESTREL_XDND=1; fi
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
