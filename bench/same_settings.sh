# Sourced by the benchmarks: the same encoder settings for velmora-convert and ffmpeg.
# Writes kelvane.ini into $VELMORA_CONFIG_DIR with the run defaults spelled out (MP3 44100 Hz
# stereo 128 kbit/s, LAME quality 9; OGG managed 128 kbit/s, nominal = min = max; WMA profile
# 10, 44100 Hz stereo 128 kbit/s) and sets FFARGS[format] and FF to match them.
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
