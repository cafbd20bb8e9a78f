#!/usr/bin/env bash
# One FSUIPC exchange over the POSIX transport against vorn-sim, divided by a
# bare Unix-socket ping-pong of the same sizes. Goal: at most 1.5.
set -euo pipefail
build=${1:-build-bench}
bench="$build/bench/bench_fsuipc_exchange"
[ -x "$bench" ] || { echo "missing $bench (make bench)"; exit 1; }
"$bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
         --benchmark_format=csv 2>/dev/null |
awk -F, '/_median"?,/ {
           gsub(/"/, "", $1)
           if ($1 ~ /BM_FsuipcExchange/) exchange = $3
           if ($1 ~ /BM_SocketPingPongBaseline/) baseline = $3
         }
         END {
           if (baseline == 0) { print "no baseline measured"; exit 1 }
           printf "exchange %.0f ns, bare socket ping-pong %.0f ns, ratio %.2f (goal <= 1.50)\n",
                  exchange, baseline, exchange / baseline
         }'
