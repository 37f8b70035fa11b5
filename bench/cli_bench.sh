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
CONVERT=$PWD/$BUILD/src/app/velmora-convert
REPEATS=${REPEATS:-3}
[ -x "$CONVERT" ] || { echo "build velmora-convert first ($CONVERT)" >&2; exit 1; }
command -v /usr/bin/time >/dev/null || { echo "needs /usr/bin/time (package time)" >&2; exit 1; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/velmora-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
trap 'exit 130' INT TERM
export VELMORA_CONFIG_DIR=$WORK/config
mkdir -p "$VELMORA_CONFIG_DIR" "$WORK/src" "$WORK/list" "$WORK/many"

# The run defaults, written out so both sides see the same numbers: MP3 44100 Hz stereo
# 128 kbit/s, LAME quality 9; OGG managed 128 kbit/s (nominal = min = max); WMA profile 10
# (44100 Hz stereo 128 kbit/s).
cat > "$VELMORA_CONFIG_DIR/kelvane.ini" <<'INI'
[mp3]
bitrate=11
channel=1
frequency=8
quality=9
enable vbr=0
[wma]
format=9
[ogg]
channel=1
frequency=8
bitrate=11
max bitrate=11
min bitrate=11
enable quality=0
INI
declare -A FFARGS=(
  [mp3]="-c:a libmp3lame -b:a 128k -compression_level 9"
  [ogg]="-c:a libvorbis -b:a 128k -minrate 128k -maxrate 128k"
  [wma]="-c:a wmav2 -b:a 128k"
)
FF="ffmpeg -nostdin -hide_banner -loglevel error -y"

echo "Making test audio in $WORK ..."
$FF -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=600" -ac 2 "$WORK/src/long.wav"
$FF -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=60" -ac 2 "$WORK/src/short.wav"
$FF -f lavfi -i "sine=frequency=330:sample_rate=44100:duration=60" -ac 2 \
    -c:a libmp3lame -b:a 128k "$WORK/src/minute.mp3"
for i in $(seq -w 1 50); do cp "$WORK/src/minute.mp3" "$WORK/list/track$i.mp3"; done
$FF -f lavfi -i "sine=frequency=550:sample_rate=44100:duration=1" -ac 2 \
    -c:a libmp3lame -b:a 128k "$WORK/src/second.mp3"
for i in $(seq -w 1 1000); do cp "$WORK/src/second.mp3" "$WORK/many/f$i.mp3"; done

# Wall seconds of a command (best of REPEATS); the output folder is emptied before each run.
best_of() {
  local best="" t
  for _ in $(seq "$REPEATS"); do
    rm -rf "$WORK/out" && mkdir -p "$WORK/out"
    /usr/bin/time -f "%e" -o "$WORK/time.txt" "$@" >/dev/null 2>&1 || true
    t=$(tail -1 "$WORK/time.txt")
    if [ -z "$best" ] || awk "BEGIN{exit !($t < $best)}"; then best=$t; fi
  done
  echo "$best"
}

export FF WORK
export FFARGS_mp3="${FFARGS[mp3]}" FFARGS_ogg="${FFARGS[ogg]}" FFARGS_wma="${FFARGS[wma]}"

ratio() { awk "BEGIN{printf \"%.2f\", $1 / $2}"; }

printf '\n%-28s %10s %10s %8s\n' "case" "velmora s" "ffmpeg s" "ratio"
for input in long list; do
  if [ "$input" = long ]; then files=("$WORK/src/long.wav"); label="10-min WAV"; else
    files=("$WORK/list"/*.mp3); label="50 x 1-min MP3"; fi
  for fmt in mp3 ogg wma; do
    v=$(best_of "$CONVERT" --format "$fmt" --output "$WORK/out" "${files[@]}")
    # One ffmpeg process per file, as a batch script would run it.
    f=$(best_of bash -c 'fmt=$1; shift; v=FFARGS_$fmt
      for f in "$@"; do $FF -i "$f" -ar 44100 -ac 2 ${!v} "$WORK/out/$(basename "${f%.*}").$fmt"; done' \
      _ "$fmt" "${files[@]}")
    printf '%-28s %10s %10s %8s\n' "$label -> $fmt" "$v" "$f" "$(ratio "$v" "$f")"
  done
done

many=("$WORK/many"/*.mp3)
v=$(best_of "$CONVERT" --list "${many[@]}")
f=$(best_of bash -c 'for f in "$@"; do ffprobe -v error -show_entries format=duration -of csv=p=0 "$f"; done' _ "${many[@]}")
printf '%-28s %10s %10s %8s  (ffprobe/velmora: %s x)\n' "list 1000 MP3 files" "$v" "$f" \
  "$(ratio "$v" "$f")" "$(ratio "$f" "$v")"

peak() {  # peak resident memory in kB of one conversion
  rm -rf "$WORK/out" && mkdir -p "$WORK/out"
  /usr/bin/time -f "%M" -o "$WORK/time.txt" "$CONVERT" --format "$2" --output "$WORK/out" "$1" \
    >/dev/null 2>&1 || true
  tail -1 "$WORK/time.txt"
}
printf '\n%-28s %12s %12s\n' "peak memory (kB)" "1-min WAV" "10-min WAV"
for fmt in mp3 ogg wma; do
  printf '%-28s %12s %12s\n' "-> $fmt" "$(peak "$WORK/src/short.wav" "$fmt")" "$(peak "$WORK/src/long.wav" "$fmt")"
done
