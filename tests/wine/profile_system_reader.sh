#!/usr/bin/env bash
# A file written by the program's profile writer reads back the same through
# the system's GetPrivateProfileStringW, and the other way round.
source "$(dirname "$0")/lib/common.bash"
new_program_folder
driver profile-check "$(win_path "$PROG")" | tee "$KESTREL_ARTEFACTS/profile-check.txt"
grep -q '^profile-check: passed' "$KESTREL_ARTEFACTS/profile-check.txt" || fail "profile check"
