#!/usr/bin/env bash
# The programs run on a bare Windows: they import system DLLs only, never
# the mingw runtime (libstdc++, libgcc, winpthread).
set -euo pipefail
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
status=0
for exe in "$@"; do
  dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
  if [ -z "$dlls" ]; then
    echo "$exe: no imports found" >&2
    status=1
  fi
  for dll in $dlls; do
    case "${dll,,}" in
      kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|comdlg32.dll|msvcrt.dll|winmm.dll|version.dll|advapi32.dll|shell32.dll|ws2_32.dll) ;;
      *) echo "$exe: imports $dll" >&2; status=1 ;;
    esac
  done
  echo "$exe: $(echo $dlls)"
done
exit $status
