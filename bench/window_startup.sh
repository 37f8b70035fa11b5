#!/usr/bin/env bash
# window_startup.sh [VELMORA] [RUNS]: time from starting velmora to its main window being on a
# virtual X screen, and the resident memory of the idle window with one file listed.
set -euo pipefail
cd "$(dirname "$0")/.."
velmora=$(readlink -f "${1:-build/src/app/window/velmora}")
runs=${2:-5}
example=$(readlink -f examples/example.wav)
[ -x "$velmora" ] || { echo "build velmora first: cmake --build build --target velmora"; exit 1; }

measure() {
  local config; config=$(mktemp -d)
  local start end pid
  start=$(date +%s%N)
  VELMORA_CONFIG_DIR=$config "$velmora" "$example" >/dev/null 2>&1 &
  pid=$!
  until xwd -name fm_main -silent >/dev/null 2>&1; do
    kill -0 $pid 2>/dev/null || { echo "velmora ended before showing its window" >&2; exit 1; }
    sleep 0.01
  done
  end=$(date +%s%N)
  sleep 2
  echo "$(( (end - start) / 1000000 )) $(awk '/VmRSS/ {print $2}' /proc/$pid/status)"
  kill $pid; wait $pid 2>/dev/null || true
  rm -rf "$config"
}
if [ "${VELMORA_INSIDE_X:-}" = 1 ]; then
  for _ in $(seq "$runs"); do measure; done
  exit 0
fi
VELMORA_INSIDE_X=1 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$velmora" "$runs" |
  awk '{ ms += $1; kb += $2; n++; print "run " n ": " $1 " ms to a shown window, " $2 " KiB resident" }
       END { printf "mean: %.0f ms, %.1f MiB resident when idle\n", ms / n, kb / n / 1024 }'
