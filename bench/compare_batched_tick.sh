#!/usr/bin/env bash
# One exchange per tick against per access, over the POSIX transport against
# vorn-sim: exchanges and wall time per tick for the demo and for a program
# that reads 30 offsets every tick. Goals: 1 exchange per tick batched, and
# the 30-offset tick at least 10 times faster batched.
set -euo pipefail
build=${1:-build-bench}
bench="$build/bench/bench_tick"
[ -x "$bench" ] || { echo "missing $bench (make bench)"; exit 1; }
"$bench" --benchmark_filter=BM_BatchedTick --benchmark_min_time=2 --benchmark_format=csv 2>/dev/null |
awk -F, '{ gsub(/"/, "") }
         NR == 1 { for (i = 1; i <= NF; i++) col[$i] = i; next }
         /BM_BatchedTick/ {
           split($1, part, /[\/:]/)
           prog = part[3] == 0 ? "demo" : "30 offsets"
           mode = part[5] == 0 ? "per access" : "batched"
           ex[prog, mode] = $col["exchanges/tick"]
           us[prog, mode] = $col["wall_us/tick"]
           printf "%-10s %-10s %6.2f exchanges/tick %9.1f us/tick\n", prog, mode, ex[prog, mode], us[prog, mode]
         }
         END {
           for (p = 0; p < 2; p++) {
             prog = p == 0 ? "demo" : "30 offsets"
             if (us[prog, "batched"] > 0)
               printf "%-10s batched is %.1fx faster per tick (goal for 30 offsets: >= 10)\n", prog,
                      us[prog, "per access"] / us[prog, "batched"]
           }
         }'
