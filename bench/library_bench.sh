#!/usr/bin/env bash
# velmora-convert over whole folders:
#   - a tree of 2,000 one-second WAVs (20 folders of 100): a second run with --existing skip
#     against the first run that converted them all; wall time ratio (target at most 0.05);
#   - walking and listing (--list) a folder of 100,000 entries, hard links of one small WAV
#     (of a few copies of it, as ext4 allows 65,000 links to a file):
#     peak resident memory (target under 100 MB), and its growth per listed file against a
#     folder of 10,000 (target at most 1 KB).
# Usage: bench/library_bench.sh [BUILD_DIR]   (default: build)
# Smaller sizes for a quick try: TREE_FILES=200 LINKS=20000
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
CONVERT=$(cd "$BUILD" && pwd)/src/app/cli/velmora-convert
TREE_FILES=${TREE_FILES:-2000}
LINKS=${LINKS:-100000}
SMALL_LINKS=$((LINKS / 10))
[ -x "$CONVERT" ] || { echo "build velmora-convert first ($CONVERT)" >&2; exit 1; }
command -v /usr/bin/time >/dev/null || { echo "needs /usr/bin/time (package time)" >&2; exit 1; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/velmora-library-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
trap 'exit 130' INT TERM
export VELMORA_CONFIG_DIR=$WORK/config
mkdir -p "$VELMORA_CONFIG_DIR"

echo "Making $TREE_FILES small files and $LINKS hard links in $WORK ..."
ffmpeg -v error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=1" -ac 2 "$WORK/one.wav"
for ((i = 0; i < TREE_FILES; i++)); do
  folder=$WORK/tree/artist$((i / 100 / 5))/album$((i / 100))
  mkdir -p "$folder"
  cp "$WORK/one.wav" "$folder/track$i.wav"
done
mkdir -p "$WORK/links" "$WORK/fewer"
LINKS_PER_COPY=50000
link_all() {  # COUNT FOLDER
  for ((i = 0; i < $1; i++)); do
    copy=$WORK/copy$((i / LINKS_PER_COPY)).wav
    [ -e "$copy" ] || cp "$WORK/one.wav" "$copy"
    ln "$copy" "$2/$i.wav"
  done
}
link_all "$LINKS" "$WORK/links"
link_all "$SMALL_LINKS" "$WORK/fewer"

now() { date +%s.%N; }
ratio() { awk "BEGIN{printf \"%.3f\", $1 / $2}"; }
seconds() { awk "BEGIN{printf \"%.2f\", $2 - $1}"; }

run_tree() {  # extra options...
  local start
  start=$(now)
  "$CONVERT" --format mp3 --output "$WORK/out" "$@" "$WORK/tree" >/dev/null
  seconds "$start" "$(now)"
}
first=$(run_tree)
second=$(run_tree --existing skip)
echo "tree of $TREE_FILES files: first run ${first} s, second run with --existing skip ${second} s"
echo "  ratio skip/first: $(ratio "$second" "$first") (target <= 0.05)"

peak_kib() {  # folder
  /usr/bin/time -f %M -o "$WORK/rss" "$CONVERT" --list "$1" >/dev/null
  cat "$WORK/rss"
}
start=$(now)
many=$(peak_kib "$WORK/links")
listed=$(seconds "$start" "$(now)")
fewer=$(peak_kib "$WORK/fewer")
echo "walking and listing $LINKS entries: ${listed} s, peak resident $((many / 1024)) MB (target < 100 MB)"
echo "  growth per listed file against $SMALL_LINKS entries:" \
     "$(awk "BEGIN{printf \"%.0f\", ($many - $fewer) * 1024 / ($LINKS - $SMALL_LINKS)}") bytes (target <= 1024)"
