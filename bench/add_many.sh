#!/usr/bin/env bash
# Adding many files, against mutagen (Python) reading the same files' lengths in the same run:
#   - 10,000 one-second WAVs and 2,000 one-second MP3s (hard links of one file each), named on
#     the command line;
#   - the window (under Xvfb), from its start until every row is on screen, ÷ mutagen
#     (target at most 2.0), and its resident memory with the 10,000 rows (target at most 150 MB);
#   - velmora-convert --list ÷ mutagen (target at most 1.0).
# The tools take turns, so they see the same machine load.
# Usage: bench/add_many.sh [BUILD_DIR]   (default: build; WAVS=10000 MP3S=2000)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=$(cd "${1:-build}" && pwd)
WAVS=${WAVS:-10000}
MP3S=${MP3S:-2000}
PY=/usr/bin/python3   # Debian's interpreter, which has mutagen
# shellcheck source=bench/window_common.sh
source bench/window_common.sh
mkdir -p "$WORK/wav" "$WORK/mp3"

echo "Making $WAVS WAVs and $MP3S MP3s in $WORK ..."
ffmpeg -v error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=1" -ac 2 "$WORK/one.wav"
ffmpeg -v error -i "$WORK/one.wav" -c:a libmp3lame -b:a 128k "$WORK/one.mp3"
for ((i = 0; i < WAVS; i++)); do ln "$WORK/one.wav" "$WORK/wav/$i.wav"; done
for ((i = 0; i < MP3S; i++)); do ln "$WORK/one.mp3" "$WORK/mp3/$i.mp3"; done

ratio() { awk "BEGIN{printf \"%.2f\", $1 / $2}"; }

mutagen_lengths() {  # FOLDER: seconds taken to read every file's length
  local start; start=$(now)
  "$PY" - "$1" <<'PY'
import os, sys, mutagen
folder = sys.argv[1]
total = 0.0
for name in os.listdir(folder):
    total += mutagen.File(os.path.join(folder, name)).info.length
print(total, file=sys.stderr)
PY
  seconds "$start" "$(now)"
} 2>/dev/null

cli_list() {  # FOLDER
  local start; start=$(now)
  "$CONVERT" --list "$1"/* >/dev/null
  seconds "$start" "$(now)"
}

# Seconds until the window says every row is shown, and its resident memory then (kB).
window_list() {  # FOLDER
  local start end rss
  start=$(now)
  start_window list "$1"/*
  wait_for_window listed
  end=$(now)
  rss=$(awk '/VmRSS/ {print $2}' /proc/$WINDOW_PID/status)
  kill $WINDOW_PID; wait $WINDOW_PID 2>/dev/null || true
  stop_reading_window
  echo "$(seconds "$start" "$end") $rss $(sed -n 's/^listed \([0-9]*\) rows/\1/p' "$WORK/window.log")"
}

printf '%-16s %9s %9s %9s %10s %9s %11s\n' "files" "mutagen s" "window s" "list s" "window/mut" "list/mut" "window RSS"
for set in wav mp3; do
  count=$WAVS; [ "$set" = mp3 ] && count=$MP3S
  mut=$(mutagen_lengths "$WORK/$set")
  read -r win rss rows < <(window_list "$WORK/$set")
  [ "$rows" = "$count" ] || echo "the window listed $rows rows of $count" >&2
  list=$(cli_list "$WORK/$set")
  printf '%-16s %9s %9s %9s %10s %9s %8.1f MB\n' "$count x $set" "$mut" "$win" "$list" \
    "$(ratio "$win" "$mut")" "$(ratio "$list" "$mut")" "$(awk "BEGIN{print $rss / 1024}")"
done
echo "targets: window/mutagen <= 2.0, list/mutagen <= 1.0, window RSS with $WAVS rows <= 150 MB"
