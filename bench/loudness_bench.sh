#!/usr/bin/env bash
# Loudness costs: 20 one-minute WAVs converted to MP3 with --replaygain album against the same
# run without it (the aim: at most 5 % more time), and `velmora-convert --list --loudness` on
# the same files against loudgain scanning them (the aim: a ratio of at most 1.0). Both tools
# run one file at a time (--jobs 1); loudgain is Debian's package (scripts/install-deps.sh
# --bench). Usage: bench/loudness_bench.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
BUILD=${1:-build}
ROUNDS=${2:-3}
CONVERT=$(realpath "$BUILD/src/app/cli/velmora-convert")
command -v loudgain >/dev/null || { echo "loudgain is missing: apt-get install loudgain" >&2; exit 1; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export VELMORA_CONFIG_DIR="$WORK/config"

for i in $(seq -w 1 20); do
  ffmpeg -nostdin -loglevel error -f lavfi \
    -i "anoisesrc=color=pink:seed=$i:a=0.$((10#$i % 9 + 1)):d=60,lowpass=f=12000" \
    -ac 2 -ar 44100 -metadata album=Bench "$WORK/track$i.wav"
done

# CPU seconds (user + system) of a command, best of $ROUNDS.
cpu_seconds() {
  local best=""
  for _ in $(seq "$ROUNDS"); do
    rm -rf "$WORK/out"
    local t
    /usr/bin/time -f "%U %S" -o "$WORK/time" "$@" >/dev/null 2>&1
    t=$(awk '{print $1 + $2}' "$WORK/time")
    if [ -z "$best" ] || awk "BEGIN{exit !($t < $best)}"; then best=$t; fi
  done
  echo "$best"
}

plain=$(cpu_seconds "$CONVERT" --jobs 1 --format mp3 --output "$WORK/out" "$WORK"/track*.wav)
album=$(cpu_seconds "$CONVERT" --jobs 1 --replaygain album --format mp3 --output "$WORK/out" "$WORK"/track*.wav)
listing=$(cpu_seconds "$CONVERT" --jobs 1 --list --loudness "$WORK"/track*.wav)
# loudgain -s s: scan only, write no tags (its default, named).
loudgain=$(cpu_seconds loudgain -s s "$WORK"/track*.wav)

awk -v p="$plain" -v a="$album" -v l="$listing" -v g="$loudgain" 'BEGIN {
  printf "MP3, 20 x 1 min:       %.2f s CPU plain, %.2f s with --replaygain album: +%.1f %%\n", p, a, (a / p - 1) * 100
  printf "--list --loudness:     %.2f s CPU, loudgain %.2f s: ratio %.2f\n", l, g, l / g
}'
