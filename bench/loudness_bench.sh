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

# The commands take turns, round after round, so that whatever else runs on the machine
# weighs on all of them alike; each one's figures are its least wall time and its least CPU
# time (user + system, all threads) over the rounds, as other load only ever adds to them.
declare -A WALL CPU
run_round() {
  local key=$1; shift
  rm -rf "$WORK/out"
  /usr/bin/time -f "%e %U %S" -o "$WORK/time" "$@" >/dev/null 2>&1
  read -r wall user sys < "$WORK/time"
  local cpu
  cpu=$(awk "BEGIN{print $user + $sys}")
  if [ -z "${WALL[$key]:-}" ] || awk "BEGIN{exit !($wall < ${WALL[$key]})}"; then WALL[$key]=$wall; fi
  if [ -z "${CPU[$key]:-}" ] || awk "BEGIN{exit !($cpu < ${CPU[$key]})}"; then CPU[$key]=$cpu; fi
}

for _ in $(seq "$ROUNDS"); do
  run_round plain "$CONVERT" --jobs 1 --format mp3 --output "$WORK/out" "$WORK"/track*.wav
  run_round album "$CONVERT" --jobs 1 --replaygain album --format mp3 --output "$WORK/out" "$WORK"/track*.wav
  run_round list "$CONVERT" --jobs 1 --list --loudness "$WORK"/track*.wav
  # loudgain -s s: scan only, write no tags (its default, named).
  run_round gain loudgain -s s "$WORK"/track*.wav
done
plainWall=${WALL[plain]} plainCpu=${CPU[plain]} albumWall=${WALL[album]} albumCpu=${CPU[album]}
listWall=${WALL[list]} listCpu=${CPU[list]} gainWall=${WALL[gain]} gainCpu=${CPU[gain]}

awk -v pw="$plainWall" -v pc="$plainCpu" -v aw="$albumWall" -v ac="$albumCpu" \
    -v lw="$listWall" -v lc="$listCpu" -v gw="$gainWall" -v gc="$gainCpu" 'BEGIN {
  printf "MP3, 20 x 1 min, --jobs 1: plain %.2f s (%.2f s CPU), --replaygain album %.2f s (%.2f s CPU)\n", pw, pc, aw, ac
  printf "  replaygain costs %+.1f %% time, %+.1f %% CPU\n", (aw / pw - 1) * 100, (ac / pc - 1) * 100
  printf "--list --loudness %.2f s (%.2f s CPU), loudgain %.2f s (%.2f s CPU): ratio %.2f time, %.2f CPU\n", lw, lc, gw, gc, lw / gw, lc / gc
}'
