#!/usr/bin/env bash
# The machine suite without and with a debugger's breakpoint on code that
# does not run in the loop (each program's final HLT): the fast code must
# keep its speed. Runs each program ROUNDS times (default 5) both ways,
# alternating, and prints the fastest CPU seconds of each and their ratio.
# Usage: bench/compare_breakpoint.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
build=${1:-build-bench}
rounds=${2:-5}
here=$(cd "$(dirname "$0")" && pwd)
prog="$build/bench/machine_suite"
if [ ! -x "$prog" ]; then
  echo "compare_breakpoint: $prog is missing (make bench builds it)" >&2
  exit 2
fi
printf '%-8s %8s %8s %8s\n' program plain break ratio
for name in loop calls array float sprintf; do
  plain=""; flagged=""
  for _ in $(seq "$rounds"); do
    a=$("$prog" "$here/suite/$name.vrn" | sed -n 1p)
    b=$("$prog" "$here/suite/$name.vrn" --break-elsewhere | sed -n 1p)
    plain=$(awk -v x="$a" -v y="$plain" 'BEGIN { print (y == "" || x < y) ? x : y }')
    flagged=$(awk -v x="$b" -v y="$flagged" 'BEGIN { print (y == "" || x < y) ? x : y }')
  done
  printf '%-8s %8s %8s %8.3f\n' "$name" "$plain" "$flagged" "$(awk -v a="$plain" -v b="$flagged" 'BEGIN { print b / a }')"
done
