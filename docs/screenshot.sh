#!/usr/bin/env bash
# screenshot.sh OUT.png [VELMORA] [DATA_FOLDER_WITHOUT_SKIN]: starts velmora on a virtual X
# screen with three files listed and saves a picture of its window. With a third argument the
# program is copied into that folder alone, so it runs without its skin file.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(readlink -f "$1")
velmora=$(readlink -f "${2:-build/src/app/window/velmora}")
if [ -n "${3:-}" ]; then mkdir -p "$3"; cp "$velmora" "$3/velmora"; velmora=$(readlink -f "$3/velmora"); fi

if [ "${VELMORA_INSIDE_X:-}" != 1 ]; then
  VELMORA_INSIDE_X=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$out" "$velmora"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ffmpeg -nostdin -loglevel error -f lavfi -i "sine=frequency=440:duration=215" -c:a libmp3lame -b:a 192k "$work/Morning Walk.mp3"
ffmpeg -nostdin -loglevel error -f lavfi -i "sine=frequency=330:duration=1530" -ac 1 -c:a libvorbis "$work/Interview.ogg"
VELMORA_CONFIG_DIR=$work "$velmora" "$work/Morning Walk.mp3" "$work/Interview.ogg" examples/example.wav >/dev/null 2>&1 &
pid=$!
until xwd -name fm_main -silent >/dev/null 2>&1; do
  kill -0 $pid 2>/dev/null || { echo "velmora ended before showing its window"; exit 1; }
  sleep 0.1
done
sleep 2
xwd -name fm_main -silent | convert xwd:- "$out"
kill $pid
