#!/usr/bin/env bash
# velmora-convert against ffmpeg at the same encoder settings, side by side in one run:
#   - a 10-minute WAV and a list of 50 one-minute MP3 files, each to MP3, OGG and WMA
#     (time ratio velmora/ffmpeg, best of REPEATS runs each; target at most 1.10);
#   - listing 1,000 MP3 files (what AddFiles does: size, engine open, duration, tags)
#     against 1,000 ffprobe calls (target: at least 10 times faster);
#   - peak memory of one conversion of a 1-minute and a 10-minute WAV (target: flat).
# Usage: bench/cli_bench.sh [BUILD_DIR]   (default: build; REPEATS=3 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
CONVERT=$(cd "$BUILD" && pwd)/src/app/cli/velmora-convert
REPEATS=${REPEATS:-3}
# Smaller sizes for a quick try: LONG_SECONDS=60 LIST_FILES=5 MANY_FILES=100
LONG_SECONDS=${LONG_SECONDS:-600}
LIST_FILES=${LIST_FILES:-50}
MANY_FILES=${MANY_FILES:-1000}
[ -x "$CONVERT" ] || { echo "build velmora-convert first ($CONVERT)" >&2; exit 1; }
command -v /usr/bin/time >/dev/null || { echo "needs /usr/bin/time (package time)" >&2; exit 1; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/velmora-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
trap 'exit 130' INT TERM
export VELMORA_CONFIG_DIR=$WORK/config
mkdir -p "$VELMORA_CONFIG_DIR" "$WORK/src" "$WORK/list" "$WORK/many"

# shellcheck source=bench/same_settings.sh
source bench/same_settings.sh

echo "Making test audio in $WORK ..."
$FF -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$LONG_SECONDS" -ac 2 "$WORK/src/long.wav"
$FF -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=60" -ac 2 "$WORK/src/short.wav"
$FF -f lavfi -i "sine=frequency=330:sample_rate=44100:duration=60" -ac 2 \
    -c:a libmp3lame -b:a 128k "$WORK/src/minute.mp3"
for i in $(seq -w 1 "$LIST_FILES"); do cp "$WORK/src/minute.mp3" "$WORK/list/track$i.mp3"; done
$FF -f lavfi -i "sine=frequency=550:sample_rate=44100:duration=1" -ac 2 \
    -c:a libmp3lame -b:a 128k "$WORK/src/second.mp3"
for i in $(seq -w 1 "$MANY_FILES"); do cp "$WORK/src/second.mp3" "$WORK/many/f$i.mp3"; done

now() { date +%s.%N; }
ratio() { awk "BEGIN{printf \"%.2f\", $1 / $2}"; }
is_less() { awk "BEGIN{exit !($1 < $2)}"; }

velmora_case() {  # FORMAT FILE...
  local fmt=$1; shift
  "$CONVERT" --format "$fmt" --output "$WORK/out" "$@" >/dev/null || echo "velmora-convert failed" >&2
}
ffmpeg_case() {  # FORMAT FILE...: one ffmpeg process per file, as a batch script would run it
  local fmt=$1 f; shift
  for f in "$@"; do
    # shellcheck disable=SC2086
    $FF -i "$f" -ar 44100 -ac 2 ${FFARGS[$fmt]} "$WORK/out/$(basename "${f%.*}").$fmt"
  done
}
list_case() { "$CONVERT" --list "$@" >/dev/null; }
ffprobe_case() {
  local f
  for f in "$@"; do ffprobe -v error -show_entries format=duration -of csv=p=0 "$f" >/dev/null; done
}

# Runs A and B alternately REPEATS times (so both see the same machine load) and prints the
# best wall time of each: "A B". Arguments: A B ARGS...
side_by_side() {
  local a=$1 b=$2 bestA="" bestB="" t0 t; shift 2
  for _ in $(seq "$REPEATS"); do
    for side in A B; do
      rm -rf "$WORK/out" && mkdir -p "$WORK/out"
      t0=$(now)
      if [ $side = A ]; then $a "$@"; else $b "$@"; fi
      t=$(awk "BEGIN{print $(now) - $t0}")
      if [ $side = A ]; then { [ -z "$bestA" ] || is_less "$t" "$bestA"; } && bestA=$t
      else { [ -z "$bestB" ] || is_less "$t" "$bestB"; } && bestB=$t; fi
    done
  done
  printf '%.2f %.2f\n' "$bestA" "$bestB"
}

printf '\n%-28s %10s %10s %8s\n' "case" "velmora s" "ffmpeg s" "ratio"
for input in long list; do
  if [ "$input" = long ]; then files=("$WORK/src/long.wav"); label="${LONG_SECONDS}-s WAV"; else
    files=("$WORK/list"/*.mp3); label="$LIST_FILES x 1-min MP3"; fi
  for fmt in mp3 ogg wma; do
    read -r v f < <(side_by_side "velmora_case $fmt" "ffmpeg_case $fmt" "${files[@]}")
    printf '%-28s %10s %10s %8s\n' "$label -> $fmt" "$v" "$f" "$(ratio "$v" "$f")"
  done
done

many=("$WORK/many"/*.mp3)
read -r v f < <(side_by_side list_case ffprobe_case "${many[@]}")
printf '%-28s %10s %10s %8s  (velmora %s x faster)\n' "list $MANY_FILES MP3 files" "$v" "$f" \
  "$(ratio "$v" "$f")" "$(ratio "$f" "$v")"

peak() {  # peak resident memory in kB of one conversion
  rm -rf "$WORK/out" && mkdir -p "$WORK/out"
  /usr/bin/time -f "%M" -o "$WORK/time.txt" "$CONVERT" --format "$2" --output "$WORK/out" "$1" \
    >/dev/null 2>&1 || true
  tail -1 "$WORK/time.txt"
}
printf '\n%-28s %12s %12s\n' "peak memory (kB)" "1-min WAV" "${LONG_SECONDS}-s WAV"
for fmt in mp3 ogg wma; do
  printf '%-28s %12s %12s\n' "-> $fmt" "$(peak "$WORK/src/short.wav" "$fmt")" "$(peak "$WORK/src/long.wav" "$fmt")"
done
