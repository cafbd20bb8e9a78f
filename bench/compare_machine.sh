#!/usr/bin/env bash
# Vorn's machine against Lua 5.4 on `i = 0; while (i < N) { i = i + 1; }`
# with a global i, in one go; prints both rates (iterations per CPU second)
# and their ratio. Usage: bench/compare_machine.sh [BUILD_DIR] [N]
set -euo pipefail
build=${1:-build-bench}
n=${2:-100000000}
prog="$build/bench/machine_loop"
if [ ! -x "$prog" ]; then
  echo "compare_machine: $prog is missing (make bench builds it)" >&2
  exit 2
fi
if ! command -v lua5.4 >/dev/null; then
  echo "compare_machine: lua5.4 is not installed" >&2
  exit 2
fi
read -r vorn origin < <("$prog" "$n")
lua=$(lua5.4 -e "
local t0 = os.clock()
i = 0
while i < $n do i = i + 1 end
local t = os.clock() - t0
assert(i == $n)
print(string.format('%.0f', $n / t))")
awk -v v="$vorn" -v l="$lua" -v n="$n" -v o="$origin" 'BEGIN {
  printf "loop of %d iterations (Vorn image %s)\n", n, o
  printf "vorn machine: %12.0f iterations/s\n", v
  printf "lua 5.4     : %12.0f iterations/s\n", l
  printf "ratio vorn/lua: %.2f\n", v / l
}'
