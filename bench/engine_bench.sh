#!/usr/bin/env bash
# Engine benchmark: converts a 10-minute 44.1 kHz stereo recording with the engine driver and,
# side by side in the same run, with lame, oggenc, flac, opusenc and ffmpeg at the same
# settings; prints the
# CPU-time ratio driver/reference per case and the driver's peak memory. Then compares the
# driver's peak memory on a 60-minute and a 1-minute source.
#
#   bash bench/engine_bench.sh [DRIVER] [ROUNDS]
#
# DRIVER defaults to build/tools/velmora-engine-driver; each case runs ROUNDS times (3) and
# the fastest round counts, which keeps other load on the machine out of the figures.
# BENCH_ONLY=new times only the FLAC, Opus and AAC cases (on a 5-minute source unless
# BENCH_SECONDS says otherwise) and skips the memory comparison.
# Targets: every ratio at most 1.10 (FLAC, Opus and AAC: 1.05); 60-minute peak memory within 64 MB of the 1-minute one.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
driver="${1:-$here/../build/tools/velmora-engine-driver}"
rounds="${2:-3}"
only="${BENCH_ONLY:-all}"
default_seconds=600; [ "$only" = new ] && default_seconds=300
seconds="${BENCH_SECONDS:-$default_seconds}"  # length of the timed source; shorter only for a quick try
[ -x "$driver" ] || { echo "no engine driver at $driver (build target velmora-engine-driver)" >&2; exit 2; }
for tool in ffmpeg lame oggenc flac opusenc /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool (bash scripts/install-deps.sh)" >&2; exit 2; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-engine-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Two independent pink-noise channels with a tone in each: music-like work for the encoders.
make_source() {  # seconds output
  ffmpeg -nostdin -v error -y -filter_complex \
    "anoisesrc=d=$1:c=pink:r=44100:a=0.15:s=1[l];anoisesrc=d=$1:c=pink:r=44100:a=0.15:s=2[r];
     sine=f=440:r=44100:d=$1[t1];sine=f=660:r=44100:d=$1[t2];
     [l][t1]amix=inputs=2:normalize=0[lm];[r][t2]amix=inputs=2:normalize=0[rm];
     [lm][rm]join=inputs=2:channel_layout=stereo" -c:a pcm_s16le "$2"
}

# Runs a command, prints "cpu_seconds peak_kb" (user+system time, max resident set).
measure() {
  /usr/bin/time -f "%U %S %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || {
    echo "FAILED: $*" >&2; cat "$work/stderr.txt" >&2; exit 1; }
  awk '{ printf "%.3f %d\n", $1 + $2, $3 }' "$work/time.txt"
}

echo "making the $((seconds / 60))-minute source ..."
make_source "$seconds" "$work/src.wav"
lame --quiet -b 128 "$work/src.wav" "$work/src.mp3"

# Vorbis quality for the engine's OGG quality 300 (0 best .. 1000 smallest → 1.0 .. -0.1).
ogg_quality=300
oggenc_q=$(awk -v q=$ogg_quality 'BEGIN { printf "%.2f", (1.0 - 1.1 * q / 1000) * 10 }')

names=(); drivers=(); refs=()
add_case() { names+=("$1"); drivers+=("$2"); refs+=("$3"); }
D="$driver --quiet"
add_case "MP3 128k q9" "$D --mp3-bitrate 128 --mp3-quality 9 $work/src.wav $work/d.mp3" \
                       "lame --quiet -b 128 -q 9 $work/src.wav $work/r.mp3"
add_case "MP3 128k q2" "$D --mp3-bitrate 128 --mp3-quality 2 $work/src.wav $work/d.mp3" \
                       "lame --quiet -b 128 -q 2 $work/src.wav $work/r.mp3"
add_case "OGG 128k" "$D --ogg-bitrate 128 --ogg-max 128 --ogg-min 128 $work/src.wav $work/d.ogg" \
                    "oggenc -Q --managed -b 128 -m 128 -M 128 -o $work/r.ogg $work/src.wav"
add_case "OGG q$ogg_quality" "$D --ogg-quality $ogg_quality $work/src.wav $work/d.ogg" \
                    "oggenc -Q -q $oggenc_q -o $work/r.ogg $work/src.wav"
add_case "WMA 128k" "$D --wma-profile 10 $work/src.wav $work/d.wma" \
                    "ffmpeg -nostdin -v error -y -i $work/src.wav -c:a wmav2 -b:a 128k $work/r.wma"
add_case "WAV from MP3" "$D $work/src.mp3 $work/d.wav" \
                        "ffmpeg -nostdin -v error -y -i $work/src.mp3 -c:a pcm_s16le $work/r.wav"
[ "$only" = new ] && { names=(); drivers=(); refs=(); }
add_case "FLAC -5" "$D --flac-level 5 $work/src.wav $work/d.flac" \
                   "flac -s -f -5 -o $work/r.flac $work/src.wav"
add_case "Opus 128k" "$D --opus-bitrate 128 $work/src.wav $work/d.opus" \
                     "opusenc --quiet --bitrate 128 $work/src.wav $work/r.opus"
add_case "AAC 192k" "$D --m4a-bitrate 192 $work/src.wav $work/d.m4a" \
                    "ffmpeg -nostdin -v error -y -i $work/src.wav -c:a aac -b:a 192k $work/r.m4a"

printf "\n%-14s %10s %10s %7s %12s\n" "case" "driver s" "ref s" "ratio" "driver peak"
worst=0
for i in "${!names[@]}"; do
  best_d=""; best_r=""; peak=0
  for ((round = 0; round < rounds; round++)); do
    read -r d_cpu d_kb < <(measure ${drivers[$i]})
    read -r r_cpu _ < <(measure ${refs[$i]})
    best_d=$(awk -v a="$d_cpu" -v b="$best_d" 'BEGIN { print (b == "" || a < b) ? a : b }')
    best_r=$(awk -v a="$r_cpu" -v b="$best_r" 'BEGIN { print (b == "" || a < b) ? a : b }')
    ((d_kb > peak)) && peak=$d_kb
  done
  ratio=$(awk -v d="$best_d" -v r="$best_r" 'BEGIN { printf "%.3f", d / r }')
  worst=$(awk -v a="$ratio" -v b="$worst" 'BEGIN { print (a > b) ? a : b }')
  printf "%-14s %10.2f %10.2f %7s %9.1f MB\n" "${names[$i]}" "$best_d" "$best_r" "$ratio" \
    "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')"
done
rm -f "$work"/d.* "$work"/r.* "$work/src.wav" "$work/src.mp3"
if [ "$only" = new ]; then
  awk -v w="$worst" 'BEGIN { printf "\nworst time ratio %.3f (target 1.05)\n", w }'
  exit 0
fi

echo
echo "making 1-minute and 60-minute sources ..."
make_source 60 "$work/short.wav"
make_source 3600 "$work/long.wav"
printf "%-30s %12s %12s %8s\n" "memory, driver" "1 min" "60 min" "growth"
mem_case() {  # label, output extension, driver options
  local label="$1" ext="$2"; shift 2
  read -r _ short_kb < <(measure $driver --quiet "$@" "$work/short.wav" "$work/out.$ext")
  read -r _ long_kb < <(measure $driver --quiet "$@" "$work/long.wav" "$work/out.$ext")
  printf "%-30s %9.1f MB %9.1f MB %5.1f MB\n" "$label" "$(awk -v k=$short_kb 'BEGIN{print k/1024}')" \
    "$(awk -v k=$long_kb 'BEGIN{print k/1024}')" "$(awk -v a=$long_kb -v b=$short_kb 'BEGIN{print (a-b)/1024}')"
  rm -f "$work/out.$ext"
}
mem_case "WAV -> MP3 128k" mp3 --mp3-bitrate 128 --mp3-quality 9
mem_case "WAV -> OGG q300" ogg --ogg-quality 300
mem_case "WAV -> WMA 128k" wma --wma-profile 10
mem_case "WAV -> WAV 22 kHz mono, normalised" wav --rate 22050 --channels 1 --normalize

echo
awk -v w="$worst" 'BEGIN { printf "worst time ratio %.3f (target 1.10)\n", w }'
