#!/usr/bin/env bash
# Parses the same generated 100,000-line program with Vorn's front end
# (expand + lex + parse, bench_frontend --parse) and with luac5.4 -p (parse
# only), best of five runs each, and prints the ratio of processor times per
# source line. Usage: bench/compare_frontend.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build-bench}
bench="$build/bench/bench_frontend"
[ -x "$bench" ] || { echo "compare_frontend: $bench not built" >&2; exit 2; }
command -v luac5.4 >/dev/null || { echo "compare_frontend: luac5.4 not installed (Debian package lua5.4)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench" --emit-vorn="$work/program.vrn"
"$bench" --emit-lua="$work/program.lua"
vorn_lines=$(wc -l <"$work/program.vrn")
lua_lines=$(wc -l <"$work/program.lua")
echo "program: $vorn_lines lines of Vorn, $lua_lines lines of Lua"

# Both must accept their program, or the timing means nothing.
"$bench" --parse="$work/program.vrn" || { echo "compare_frontend: Vorn rejected the program" >&2; exit 1; }
luac5.4 -p "$work/program.lua" || { echo "compare_frontend: luac rejected the program" >&2; exit 1; }

# Best of five, processor time (user + system): a busy machine disturbs it
# far less than wall time.
best() {
  local best_t="" t
  for _ in 1 2 3 4 5; do
    t=$( { TIMEFORMAT='%3U %3S'; time "$@" >/dev/null; } 2>&1 | tail -1 | awk '{ print $1 + $2 }')
    if [ -z "$best_t" ] || awk -v a="$t" -v b="$best_t" 'BEGIN { exit !(a < b) }'; then best_t=$t; fi
  done
  echo "$best_t"
}

vorn_t=$(best "$bench" --parse="$work/program.vrn")
lua_t=$(best luac5.4 -p "$work/program.lua")
awk -v vt="$vorn_t" -v lt="$lua_t" -v vl="$vorn_lines" -v ll="$lua_lines" 'BEGIN {
  vpl = vt / vl * 1e6; lpl = lt / ll * 1e6
  printf "vorn front end: %.3f s (%.2f us/line)\n", vt, vpl
  printf "luac5.4 -p:     %.3f s (%.2f us/line)\n", lt, lpl
  if (lpl > 0) printf "ratio vorn/luac per line: %.2f (goal: at most 1.00)\n", vpl / lpl
  else print "ratio: luac too fast to measure"
}'
