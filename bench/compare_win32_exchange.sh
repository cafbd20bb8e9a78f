#!/usr/bin/env bash
# One FSUIPC exchange over the Win32 transport under Wine, in parts: the
# client alone against a minimal answering window beside a bare
# SendMessageTimeout to it, then against vorn-sim.exe (whose own cost per
# request is the difference), and the POSIX figure of the same exchange.
# Needs the Windows build of win32_exchange_timing and vorn-sim (make bench
# builds both).
set -euo pipefail
build=${1:-build-bench}
windows=${WINDOWS_BUILD:-build-windows}
here=$(cd "$(dirname "$0")" && pwd)
timing="$windows/tests/windows/win32_exchange_timing.exe"
if [ ! -f "$timing" ]; then
  echo "skipped: no $timing (make windows)"
  exit 0
fi
"$here/../scripts/wine-run" "$timing" "$windows/sim/vorn-sim.exe" "${EXCHANGES:-2000}"
if [ -x "$build/bench/bench_fsuipc_exchange" ]; then
  "$build/bench/bench_fsuipc_exchange" --benchmark_filter=BM_FsuipcExchange --benchmark_repetitions=5 \
      --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
    awk -F, '/_median"?,/ { printf "posix exchange %.0f ns (same read, POSIX transport)\n", $3 }'
fi
