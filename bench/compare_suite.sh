#!/usr/bin/env bash
# The machine against Lua 5.4 and LuaJIT's interpreter (-joff) on five kinds
# of program (bench/suite/NAME.vrn beside NAME.lua). Each side times its own
# work in CPU seconds and prints it, then the program's result line; the
# results must agree. Prints each time, the ratios (other / vorn: above 1
# means the machine is faster) and their geometric means.
# Usage: bench/compare_suite.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build-bench}
here=$(cd "$(dirname "$0")" && pwd)
prog="$build/bench/machine_suite"
if [ ! -x "$prog" ]; then
  echo "compare_suite: $prog is missing (make bench builds it)" >&2
  exit 2
fi
for tool in lua5.4 luajit; do
  if ! command -v "$tool" >/dev/null; then
    echo "compare_suite: $tool is not installed (scripts/bootstrap)" >&2
    exit 2
  fi
done

# run NAME COMMAND...: sets seconds and result from the two lines printed.
run() {
  local name=$1
  shift
  local out
  if ! out=$("$@"); then
    echo "compare_suite: $name: '$*' failed" >&2
    exit 1
  fi
  seconds=$(sed -n 1p <<<"$out")
  result=$(sed -n 2p <<<"$out")
}

printf '%-8s %8s %8s %8s %9s %9s  %s\n' program vorn lua5.4 luajit lua/vorn jit/vorn result
rows=""
status=0
for name in loop calls array float sprintf; do
  run "$name" "$prog" "$here/suite/$name.vrn"; vs=$seconds; vr=$result
  run "$name" lua5.4 "$here/suite/$name.lua"; ls=$seconds; lr=$result
  run "$name" luajit -joff "$here/suite/$name.lua"; js=$seconds; jr=$result
  if [ "$vr" != "$lr" ] || [ "$vr" != "$jr" ]; then
    echo "compare_suite: $name: results differ: vorn '$vr', lua5.4 '$lr', luajit '$jr'" >&2
    status=1
  fi
  rows+="$name $vs $ls $js $vr"$'\n'
done
awk '
  function floor_(t) { return t < 0.001 ? 0.001 : t }
  NF >= 4 {
    v = floor_($2); l = floor_($3); j = floor_($4)
    res = $5; for (i = 6; i <= NF; i++) res = res " " $i
    printf "%-8s %7.3fs %7.3fs %7.3fs %9.2f %9.2f  %s\n", $1, v, l, j, l / v, j / v, res
    sl += log(l / v); sj += log(j / v); n++
  }
  END { printf "geometric mean %33.2f %9.2f\n", exp(sl / n), exp(sj / n) }
' <<<"$rows"
exit $status
