#!/usr/bin/env bash
# The window's conversion against velmora-convert's on the same files, side by side:
#   20 one-minute 44.1 kHz stereo WAVs to MP3; the window (under Xvfb, started with the files on
#   its command line and VELMORA_BENCH=convert: once every row is listed it converts them as
#   "Converter" does; timed from the listed rows to the run's end) ÷ velmora-convert --jobs N
#   over the same files.
#   N = 1 in the classic face and N = 2 in the extended face; targets at most 1.03 and 1.05.
# The two take turns within each of REPEATS rounds; each round's ratio and the ratio of the
# best times are printed.
# Usage: bench/window_run.sh [BUILD_DIR]   (default: build; REPEATS=2 FILES=20 SECONDS_EACH=60)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=$(cd "${1:-build}" && pwd)
REPEATS=${REPEATS:-2}
FILES=${FILES:-20}
SECONDS_EACH=${SECONDS_EACH:-60}
# shellcheck source=bench/window_common.sh
source bench/window_common.sh
mkdir -p "$WORK/in" "$WORK/bin"
# shellcheck source=bench/same_settings.sh
source bench/same_settings.sh
settings=$(cat "$VELMORA_CONFIG_DIR/kelvane.ini")

# The window opens the output folder when a run ends: a stand-in opener keeps the desktop out.
printf '#!/bin/sh\n' > "$WORK/bin/xdg-open"
chmod +x "$WORK/bin/xdg-open"
export PATH=$WORK/bin:$PATH

echo "Making $FILES WAVs of $SECONDS_EACH s in $WORK ..."
$FF -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$SECONDS_EACH" -ac 2 "$WORK/one.wav"
for i in $(seq -w 1 "$FILES"); do cp "$WORK/one.wav" "$WORK/in/m$i.wav"; done

ratio() { awk "BEGIN{printf \"%.3f\", $1 / $2}"; }
smaller() { awk "BEGIN{print ($1 < $2) ? $1 : $2}"; }

use_jobs() {  # N: the window's face and jobs
  local face=classic
  [ "$1" -gt 1 ] && face=extended
  printf '%s\n[Format]\nDir=%s\nForint=0\n[Velmora]\nface=%s\njobs=%s\n' \
    "$settings" "$WORK/out" "$face" "$1" > "$VELMORA_CONFIG_DIR/kelvane.ini"
}

window_run() {  # N: seconds from the listed rows to the run's end
  use_jobs "$1"
  rm -rf "$WORK/out" && mkdir -p "$WORK/out"
  local start end
  start_window convert "$WORK"/in/*.wav
  wait_for_window listed
  start=$(now)
  wait_for_window "run finished"
  end=$(now)
  wait $WINDOW_PID 2>/dev/null || true
  stop_reading_window
  seconds "$start" "$end"
  [ "$(ls "$WORK/out" | wc -l)" = "$FILES" ] || echo "the window wrote $(ls "$WORK/out" | wc -l) files" >&2
}

cli_run() {  # N
  rm -rf "$WORK/out" && mkdir -p "$WORK/out"
  local start; start=$(now)
  "$CONVERT" --jobs "$1" --format mp3 --output "$WORK/out" "$WORK"/in/*.wav >/dev/null
  seconds "$start" "$(now)"
}

echo "processors: $(nproc)"
printf '%-8s %6s %10s %8s %8s\n' "jobs" "round" "window s" "cli s" "ratio"
for jobs in 1 2; do
  best_window=""; best_cli=""
  for round in $(seq "$REPEATS"); do
    w=$(window_run "$jobs")
    c=$(cli_run "$jobs")
    printf '%-8s %6s %10s %8s %8s\n' "$jobs" "$round" "$w" "$c" "$(ratio "$w" "$c")"
    best_window=$(smaller "$w" "${best_window:-$w}"); best_cli=$(smaller "$c" "${best_cli:-$c}")
  done
  target=1.03; [ "$jobs" -gt 1 ] && target=1.05
  echo "jobs $jobs best: window $best_window s, cli $best_cli s, ratio $(ratio "$best_window" "$best_cli") (target <= $target)"
done
