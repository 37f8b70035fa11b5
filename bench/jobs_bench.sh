#!/usr/bin/env bash
# velmora-convert --jobs 2 against --jobs 1 and against two ffmpeg processes at a time
# (`xargs -P2 -n1 ffmpeg`) at the same encoder settings, side by side in one run:
#   - 20 one-minute and 200 ten-second 44.1 kHz stereo WAVs, each batch to MP3, OGG and WMA;
#     wall time ratios jobs2/jobs1 (target at most 0.56 on two processors) and
#     jobs2/ffmpeg-P2 (target at most 1.0), best of REPEATS runs each;
#   - peak resident memory of --jobs 2 against --jobs 1 on the one-minute batch (target at
#     most 2.0).
# Usage: bench/jobs_bench.sh [BUILD_DIR]   (default: build; REPEATS=2 by default)
# Smaller sizes for a quick try: LONG_FILES=4 SHORT_FILES=20
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
CONVERT=$(cd "$BUILD" && pwd)/src/app/cli/velmora-convert
REPEATS=${REPEATS:-2}
LONG_FILES=${LONG_FILES:-20}
SHORT_FILES=${SHORT_FILES:-200}
[ -x "$CONVERT" ] || { echo "build velmora-convert first ($CONVERT)" >&2; exit 1; }
command -v /usr/bin/time >/dev/null || { echo "needs /usr/bin/time (package time)" >&2; exit 1; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/velmora-jobs-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
trap 'exit 130' INT TERM
export VELMORA_CONFIG_DIR=$WORK/config
mkdir -p "$VELMORA_CONFIG_DIR" "$WORK/long" "$WORK/short"

# shellcheck source=bench/same_settings.sh
source bench/same_settings.sh

echo "Making test audio in $WORK ..."
$FF -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=60" -ac 2 "$WORK/minute.wav"
$FF -f lavfi -i "sine=frequency=330:sample_rate=44100:duration=10" -ac 2 "$WORK/ten.wav"
for i in $(seq -w 1 "$LONG_FILES"); do cp "$WORK/minute.wav" "$WORK/long/m$i.wav"; done
for i in $(seq -w 1 "$SHORT_FILES"); do cp "$WORK/ten.wav" "$WORK/short/s$i.wav"; done

now() { date +%s.%N; }
ratio() { awk "BEGIN{printf \"%.2f\", $1 / $2}"; }

velmora_jobs() {  # JOBS FORMAT FOLDER
  "$CONVERT" --jobs "$1" --format "$2" --output "$WORK/out" "$3"/*.wav >/dev/null ||
    echo "velmora-convert failed" >&2
}
ffmpeg_p2() {  # FORMAT FOLDER: one ffmpeg process per file, two at a time
  # shellcheck disable=SC2016
  ls "$2"/*.wav | xargs -P2 -n1 sh -c \
    "$FF -i \"\$1\" -ar 44100 -ac 2 ${FFARGS[$1]} \"$WORK/out/\$(basename \"\${1%.*}\").$1\"" _
}

# Best wall time of each command over REPEATS rounds; the commands take turns within a round
# so that all see the same machine load. Prints the times in argument order.
best_times() {
  local -a best=()
  local i t0 t
  for _ in $(seq "$REPEATS"); do
    for i in $(seq 0 $(($# - 1))); do
      rm -rf "$WORK/out" && mkdir -p "$WORK/out"
      t0=$(now)
      eval "${@:$((i + 1)):1}"
      t=$(awk "BEGIN{print $(now) - $t0}")
      if [ -z "${best[$i]:-}" ] || awk "BEGIN{exit !($t < ${best[$i]})}"; then best[$i]=$t; fi
    done
  done
  printf '%.2f ' "${best[@]}"
  echo
}

echo
echo "processors: $(nproc)"
printf '%-26s %8s %8s %9s %10s %12s\n' "case" "jobs1 s" "jobs2 s" "ffmpeg-P2" "jobs2/1" "jobs2/ffmpeg"
for set in long short; do
  if [ "$set" = long ]; then label="$LONG_FILES x 60 s"; else label="$SHORT_FILES x 10 s"; fi
  for fmt in mp3 ogg wma; do
    read -r one two ff < <(best_times "velmora_jobs 1 $fmt $WORK/$set" \
      "velmora_jobs 2 $fmt $WORK/$set" "ffmpeg_p2 $fmt $WORK/$set")
    printf '%-26s %8s %8s %9s %10s %12s\n' "$label -> $fmt" "$one" "$two" "$ff" \
      "$(ratio "$two" "$one")" "$(ratio "$two" "$ff")"
  done
done

peak() {  # JOBS FORMAT: peak resident memory in kB of one run over the one-minute batch
  rm -rf "$WORK/out" && mkdir -p "$WORK/out"
  /usr/bin/time -f "%M" -o "$WORK/time.txt" "$CONVERT" --jobs "$1" --format "$2" \
    --output "$WORK/out" "$WORK/long"/*.wav >/dev/null 2>&1 || true
  tail -1 "$WORK/time.txt"
}
echo
printf '%-26s %10s %10s %8s\n' "peak memory (kB)" "jobs1" "jobs2" "ratio"
for fmt in mp3 ogg wma; do
  one=$(peak 1 "$fmt")
  two=$(peak 2 "$fmt")
  printf '%-26s %10s %10s %8s\n' "$LONG_FILES x 60 s -> $fmt" "$one" "$two" "$(ratio "$two" "$one")"
done
