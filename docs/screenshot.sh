#!/usr/bin/env bash
# screenshot.sh OUT.png [VELMORA] [DATA_FOLDER_WITHOUT_SKIN]: starts velmora on a virtual X
# screen with a small tagged music folder listed and saves a picture of its window. With a
# third argument the program is copied into that folder alone, so it runs without its skin file.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(readlink -f "$1")
velmora=$(readlink -f "${2:-build/src/app/window/velmora}")
if [ -n "${3:-}" ]; then mkdir -p "$3"; cp "$velmora" "$3/velmora"; velmora=$(readlink -f "$3/velmora"); fi

if [ "${VELMORA_INSIDE_X:-}" != 1 ]; then
  VELMORA_INSIDE_X=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$out" "$velmora"
fi

# A home folder with a short, plain path, so the list reads like a user's own music folder.
home=/tmp/velmora-demo
[ -e "$home" ] && { echo "$home is in the way; remove it first"; exit 1; }
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/Music" "$home/.config"
tone() {  # tone SECONDS FREQUENCY FILE ENCODER-ARGS... -- TITLE ARTIST ALBUM
  local seconds=$1 frequency=$2 file=$3; shift 3
  local args=(); while [ "$1" != -- ]; do args+=("$1"); shift; done; shift
  ffmpeg -nostdin -loglevel error -f lavfi -i "sine=frequency=$frequency:duration=$seconds" "${args[@]}" \
    -metadata title="$1" -metadata artist="$2" -metadata album="$3" -metadata date=2024 "$home/Music/$file"
}
tone 215 440 "Morning Walk.mp3" -ac 2 -c:a libmp3lame -b:a 192k -- "Morning Walk" "The Quiet Hours" "Long Days"
tone 252 523 "Harbour Lights.mp3" -ac 2 -c:a libmp3lame -b:a 256k -- "Harbour Lights" "The Quiet Hours" "Long Days"
tone 184 392 "Slow River.ogg" -ac 2 -c:a libvorbis -q:a 5 -- "Slow River" "Ana Brook" "Field Notes"
tone 1530 330 "Interview.ogg" -ac 1 -c:a libvorbis -q:a 1 -- "Interview" "Radio Hour" "Podcast"
tone 41 660 "Doorbell.wav" -ac 2 -- "Doorbell" "Home Sounds" "Samples"

cd "$home/Music"
HOME=$home XDG_CONFIG_HOME=$home/.config VELMORA_CONFIG_DIR=$home/.config \
  "$velmora" "Morning Walk.mp3" "Harbour Lights.mp3" "Slow River.ogg" "Interview.ogg" "Doorbell.wav" \
  >/dev/null 2>&1 &
pid=$!
until xwd -name fm_main -silent >/dev/null 2>&1; do
  kill -0 $pid 2>/dev/null || { echo "velmora ended before showing its window"; exit 1; }
  sleep 0.1
done
sleep 2
xwd -name fm_main -silent | convert xwd:- "$out"
kill $pid
