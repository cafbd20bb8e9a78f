#!/usr/bin/env bash
# Compiles the same generated 100,000-line program with vornc (expand +
# compile + image) and with luac5.4, best of five runs each, and prints the
# ratio of processor times. Usage: bench/compare_compile.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build-bench}
vornc="$build/cli/vornc"
gen="$build/bench/bench_compile"
for tool in "$vornc" "$gen"; do
  [ -x "$tool" ] || { echo "compare_compile: $tool not built" >&2; exit 2; }
done
command -v luac5.4 >/dev/null || { echo "compare_compile: luac5.4 not installed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$gen" --emit-vorn="$work/program.vrn"
"$gen" --emit-lua="$work/program.lua"
echo "program: $(wc -l <"$work/program.vrn") lines of Vorn, $(wc -l <"$work/program.lua") lines of Lua"

# Best of five runs, in seconds of processor time (user + system), which a
# busy machine disturbs far less than wall time.
best() {
  local best_t="" t
  for _ in 1 2 3 4 5; do
    t=$( { TIMEFORMAT='%3U %3S'; time "$@" >/dev/null; } 2>&1 | tail -1 | awk '{ print $1 + $2 }')
    if [ -z "$best_t" ] || [ "$(echo "$t < $best_t" | bc -l)" = 1 ]; then best_t=$t; fi
  done
  echo "$best_t"
}

vorn_t=$(best "$vornc" compile --image /dev/null "$work/program.vrn")
lua_t=$(best luac5.4 -o /dev/null "$work/program.lua")
printf 'vornc compile: %.3f s\nluac5.4:       %.3f s\n' "$vorn_t" "$lua_t"
printf 'ratio vornc/luac: %.2f (goal: at most 1.00)\n' "$(echo "$vorn_t / $lua_t" | bc -l)"
