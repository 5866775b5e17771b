#!/usr/bin/env bash
# Both Kestrel.exe (32-bit and 64-bit) must load on Windows XP: their PE
# headers ask for no newer Windows, they import only from DLLs XP has, and no
# imported function is one that XP lacks. Newer calls are looked up at run
# time (GetProcAddress) with a fallback, so they never show up here.
#
# Needs KESTREL_WIN_BUILD and KESTREL_WIN32_BUILD (the cross build folders).
set -euo pipefail
: "${KESTREL_WIN_BUILD:?}" "${KESTREL_WIN32_BUILD:?}"
OBJDUMP=${OBJDUMP:-x86_64-w64-mingw32-objdump}

# The DLLs of Windows XP SP3 a static mingw-w64 program may import from.
# No ucrtbase.dll / api-ms-win-* (Windows 10 CRT), no libwinpthread-1.dll or
# libstdc++-6.dll (the runtime is linked in), no dwmapi.dll (Vista).
XP_DLLS="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll
comctl32.dll comdlg32.dll winspool.drv msvcrt.dll shlwapi.dll version.dll ws2_32.dll
imm32.dll uxtheme.dll crypt32.dll"

# Functions newer than Windows XP SP3, by DLL, each with the Windows version
# that brought it (Microsoft's API reference, "Minimum supported client").
# They are the calls the mingw-w64 runtime, libstdc++, winpthreads,
# libarchive and this program's own code are known to reach for.
NEWER=$(cat <<'LIST'
kernel32.dll GetTickCount64                 Vista  (our clock; loaded by hand in Win32Clock)
kernel32.dll GetErrorMode                   Vista
kernel32.dll SetThreadErrorMode             7
kernel32.dll GetThreadErrorMode             7
kernel32.dll InitializeSRWLock              Vista  (winpthreads, libstdc++ mutexes)
kernel32.dll AcquireSRWLockExclusive        Vista
kernel32.dll AcquireSRWLockShared           Vista
kernel32.dll ReleaseSRWLockExclusive        Vista
kernel32.dll ReleaseSRWLockShared           Vista
kernel32.dll TryAcquireSRWLockExclusive     7
kernel32.dll TryAcquireSRWLockShared        7
kernel32.dll InitializeConditionVariable    Vista  (winpthreads, std::condition_variable)
kernel32.dll SleepConditionVariableCS       Vista
kernel32.dll SleepConditionVariableSRW      Vista
kernel32.dll WakeConditionVariable          Vista
kernel32.dll WakeAllConditionVariable       Vista
kernel32.dll InitOnceExecuteOnce            Vista  (std::call_once on newer runtimes)
kernel32.dll InitOnceBeginInitialize        Vista
kernel32.dll InitOnceComplete               Vista
kernel32.dll WaitOnAddress                  8
kernel32.dll WakeByAddressSingle            8
kernel32.dll WakeByAddressAll               8
kernel32.dll FlsAlloc                       Vista  (Server 2003; not 32-bit XP)
kernel32.dll FlsFree                        Vista
kernel32.dll FlsGetValue                    Vista
kernel32.dll FlsSetValue                    Vista
kernel32.dll GetCurrentProcessorNumber      Vista
kernel32.dll GetThreadId                    Vista
kernel32.dll GetProcessIdOfThread           Vista
kernel32.dll QueryFullProcessImageNameW     Vista
kernel32.dll QueryFullProcessImageNameA     Vista
kernel32.dll CancelIoEx                     Vista
kernel32.dll CancelSynchronousIo            Vista
kernel32.dll CreateEventExW                 Vista
kernel32.dll CreateMutexExW                 Vista
kernel32.dll CreateSemaphoreExW             Vista
kernel32.dll CreateWaitableTimerExW         Vista
kernel32.dll CreateFile2                    8
kernel32.dll CreateSymbolicLinkW            Vista  (libarchive's link extraction)
kernel32.dll CreateSymbolicLinkA            Vista
kernel32.dll GetFinalPathNameByHandleW      Vista
kernel32.dll GetFinalPathNameByHandleA      Vista
kernel32.dll GetFileInformationByHandleEx   Vista
kernel32.dll SetFileInformationByHandle     Vista
kernel32.dll GetSystemTimePreciseAsFileTime 8      (std::chrono on newer runtimes)
kernel32.dll QueryUnbiasedInterruptTime     7
kernel32.dll GetLogicalProcessorInformationEx 7
kernel32.dll GetNumaNodeProcessorMaskEx     7
kernel32.dll Wow64DisableWow64FsRedirection Vista  (XP x64 only)
kernel32.dll Wow64RevertWow64FsRedirection  Vista  (XP x64 only)
kernel32.dll CompareStringEx                Vista
kernel32.dll CompareStringOrdinal           Vista
kernel32.dll LCMapStringEx                  Vista
kernel32.dll GetLocaleInfoEx                Vista
kernel32.dll LocaleNameToLCID               Vista
kernel32.dll LCIDToLocaleName               Vista
kernel32.dll GetUserDefaultLocaleName       Vista
kernel32.dll GetSystemDefaultLocaleName     Vista
kernel32.dll ResolveLocaleName              7
kernel32.dll GetDynamicTimeZoneInformation  Vista
kernel32.dll GetTimeZoneInformationForYear  Vista
kernel32.dll AddDllDirectory                8
kernel32.dll SetDefaultDllDirectories       8
kernel32.dll GetProductInfo                 Vista
kernel32.dll RaiseFailFastException         7
advapi32.dll RegGetValueW                   Vista  (XP x64 only)
advapi32.dll RegGetValueA                   Vista
advapi32.dll RegDeleteTreeW                 Vista
advapi32.dll RegSetKeyValueW                Vista
advapi32.dll RegDeleteKeyExW                Vista  (XP x64 only)
advapi32.dll EventRegister                  Vista
advapi32.dll EventWrite                     Vista
bcrypt.dll   BCryptGenRandom                Vista  (libarchive with CNG, switched off)
bcrypt.dll   BCryptOpenAlgorithmProvider    Vista
user32.dll   SetProcessDPIAware             Vista  (our backend; loaded by hand in Backend32)
user32.dll   IsProcessDPIAware              Vista
user32.dll   SetProcessDpiAwarenessContext  10
user32.dll   GetDpiForWindow                10
user32.dll   ChangeWindowMessageFilter      Vista
user32.dll   ChangeWindowMessageFilterEx    7
user32.dll   AddClipboardFormatListener     Vista
user32.dll   RemoveClipboardFormatListener  Vista
user32.dll   ShutdownBlockReasonCreate      Vista
user32.dll   ShutdownBlockReasonDestroy     Vista
user32.dll   SetWindowDisplayAffinity       7
user32.dll   RegisterTouchWindow            7
user32.dll   GetWindowDisplayAffinity       7
user32.dll   LogicalToPhysicalPoint         Vista
user32.dll   PhysicalToLogicalPoint         Vista
shell32.dll  SHGetKnownFolderPath           Vista
shell32.dll  SHCreateItemFromParsingName    Vista
shell32.dll  SHGetStockIconInfo             Vista
shell32.dll  SHGetPropertyStoreForWindow    7
shell32.dll  SetCurrentProcessExplicitAppUserModelID 7
comctl32.dll TaskDialog                     Vista
comctl32.dll TaskDialogIndirect             Vista
comctl32.dll LoadIconMetric                 Vista
comctl32.dll LoadIconWithScaleDown          Vista
gdi32.dll    D3DKMTOpenAdapterFromHdc       Vista
uxtheme.dll  BufferedPaintInit              Vista
uxtheme.dll  BeginBufferedPaint             Vista
uxtheme.dll  GetThemeTransitionDuration     Vista
msvcrt.dll   _get_errno                     Vista's msvcrt.dll
msvcrt.dll   _set_errno                     Vista's msvcrt.dll
msvcrt.dll   _fseeki64                      Vista's msvcrt.dll
msvcrt.dll   _ftelli64                      Vista's msvcrt.dll
msvcrt.dll   _get_output_format             Vista's msvcrt.dll
msvcrt.dll   _set_output_format             Vista's msvcrt.dll
msvcrt.dll   _wcsnicmp_l                    Vista's msvcrt.dll
msvcrt.dll   _strtoi64_l                    Vista's msvcrt.dll
msvcrt.dll   _create_locale                 Vista's msvcrt.dll
msvcrt.dll   _free_locale                   Vista's msvcrt.dll
msvcrt.dll   _get_current_locale            Vista's msvcrt.dll
msvcrt.dll   _localtime64_s                 Vista's msvcrt.dll
msvcrt.dll   _gmtime64_s                    Vista's msvcrt.dll
LIST
)
# Beyond the list: XP's msvcrt.dll (7.0) has none of the checked "_s"
# functions (memcpy_s, _wfopen_s, ...), which came with Vista's.

fails=0
bad() { echo "FAIL: $*" >&2; fails=$((fails + 1)); }

check() {
  local exe=$1 want_subsystem=$2
  [ -f "$exe" ] || { bad "$exe is missing (build_windows builds it)"; return; }
  local dump; dump=$(LC_ALL=C "$OBJDUMP" -p "$exe")
  # The PE header: XP's loader refuses a program that asks for a newer
  # subsystem or OS version.
  local major minor
  for field in Subsystem OSystem; do
    major=$(awk -v f="Major${field}Version" '$1 == f {print $2; exit}' <<<"$dump")
    minor=$(awk -v f="Minor${field}Version" '$1 == f {print $2; exit}' <<<"$dump")
    [ "$major.$minor" = "$want_subsystem" ] ||
      bad "$exe: ${field} version $major.$minor, want $want_subsystem"
  done
  # "dll function" per imported function, DLL names in lower case.
  local imports
  imports=$(awk '
    /^\tDLL Name: / { dll = tolower($3); next }
    /^$/ { dll = "" }
    dll != "" && $1 ~ /^[0-9a-f]+$/ && NF >= 3 && $2 ~ /^[0-9]+$/ { print dll, $3 }' <<<"$dump")
  # The parse must have found the calls every Win32 program makes, or the
  # checks below would pass on nothing.
  grep -qx 'kernel32.dll CreateFileW' <<<"$imports" || bad "$exe: no kernel32.dll CreateFileW found in the import table"
  grep -qx 'user32.dll CreateWindowExW' <<<"$imports" || bad "$exe: no user32.dll CreateWindowExW found in the import table"
  local dll fn
  for dll in $(awk '{print $1}' <<<"$imports" | sort -u); do
    grep -qwF -- "$dll" <<<"$XP_DLLS" || bad "$exe imports from $dll, which Windows XP lacks or which is not shipped"
  done
  while read -r dll fn _; do
    [ -n "$dll" ] || continue
    if grep -qxF "$dll $fn" <<<"$imports"; then bad "$exe imports $dll $fn, which Windows XP lacks"; fi
  done <<<"$NEWER"
  local secure; secure=$(grep -E '^msvcrt\.dll [A-Za-z_0-9]+_s$' <<<"$imports" || true)
  [ -z "$secure" ] || bad "$exe imports functions XP's msvcrt.dll lacks: $(tr '\n' ' ' <<<"$secure")"
  echo "checked $exe: $(wc -l <<<"$imports") imported functions from $(awk '{print $1}' <<<"$imports" | sort -u | tr '\n' ' ')"
}

check "$KESTREL_WIN32_BUILD/Kestrel.exe" 5.1
check "$KESTREL_WIN_BUILD/Kestrel.exe" 5.2
[ "$fails" = 0 ] || exit 1
echo "ok: both programs import only what Windows XP has"
