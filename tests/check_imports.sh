#!/usr/bin/env bash
# Lists the DLLs a built Windows program imports and fails when one of them
# is not part of Windows itself (a MinGW runtime DLL, say).
# Usage: tests/check_imports.sh OBJDUMP PROGRAM
set -euo pipefail
objdump="$1"
program="$2"
allowed=" advapi32.dll comdlg32.dll gdi32.dll glu32.dll kernel32.dll msvcrt.dll opengl32.dll user32.dll "
imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || { echo "no imports found in $program"; exit 1; }
status=0
for dll in $imports; do
  case "$allowed" in
    *" $dll "*) echo "ok: $dll" ;;
    *) echo "not a system DLL: $dll"; status=1 ;;
  esac
done
exit $status
