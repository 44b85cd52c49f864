#!/usr/bin/env bash
# Runs `demo -w` in a window on a virtual X server for a few seconds and prints the
# demo's CPU seconds per wall second (1.0 = one whole core).
# Usage: bench/cpu_usage.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
secs=${2:-10}
numfile=$(mktemp)
Xvfb -displayfd 1 -screen 0 800x600x24 -nolisten tcp >"$numfile" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$numfile"' EXIT
for _ in $(seq 200); do [ -s "$numfile" ] && break; sleep 0.05; done
disp=:$(head -n1 "$numfile")
cd "$build"
DISPLAY=$disp SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} ./demo -w </dev/null >/dev/null 2>&1 &
demo=$!
sleep "$secs"
tck=$(getconf CLK_TCK)
read -r ut st < <(awk '{print $14, $15}' "/proc/$demo/stat")
kill -TERM "$demo"
wait "$demo" || true
awk -v u="$ut" -v s="$st" -v t="$tck" -v w="$secs" \
  'BEGIN { printf "demo -w: %.3f CPU seconds per wall second over %d s (user %.2f s, system %.2f s)\n", (u + s) / t / w, w, u / t, s / t }'
