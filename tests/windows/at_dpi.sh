#!/usr/bin/env bash
# Runs one Windows program under Wine with the display at DPI dots per inch:
#   at_dpi.sh DPI PROGRAM.exe [ARGS...]
# Wine reads LogPixels when a program starts, so the value is set for the
# run and taken away afterwards (absent means 96), whatever the program does.
set -euo pipefail
dpi=$1
shift
run="$(dirname "$0")/../../scripts/wine-run"
key='HKCU\Control Panel\Desktop'
restore() { "$run" reg delete "$key" /v LogPixels /f >/dev/null 2>&1 </dev/null || true; }
trap restore EXIT
"$run" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null </dev/null
"$run" "$@"
