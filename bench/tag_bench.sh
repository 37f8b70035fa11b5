#!/usr/bin/env bash
# What carrying every tag and the pictures costs: 200 two-second MP3 files tagged by mutagen
# with every field and three pictures (a 200 kB JPEG cover, a small JPEG, a PNG), converted to MP3, OGG
# and WMA, against the same 200 files without any tag, side by side in one run (CPU-time
# ratio tagged/untagged, user+system time of the converter to the microsecond, best of REPEATS
# runs each, and the median of the ratios of adjacent runs; target at most 1.03). CPU time, as
# the machine is shared: other work changes the wall time.
# The same files with every field but without the large cover are timed beside them.
# Usage: bench/tag_bench.sh [BUILD_DIR]   (default: build; REPEATS=5, FILES=200, JOBS=1,
#        FORMATS="mp3 ogg wma"; the floor is printed when wma is among them)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
CONVERT=$(cd "$BUILD" && pwd)/src/app/cli/velmora-convert
REPEATS=${REPEATS:-5}
FILES=${FILES:-200}
JOBS=${JOBS:-1}
FORMATS=${FORMATS:-mp3 ogg wma}
PY=/usr/bin/python3   # Debian's interpreter, which has mutagen
[ -x "$CONVERT" ] || { echo "build velmora-convert first ($CONVERT)" >&2; exit 1; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/velmora-tag-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
trap 'exit 130' INT TERM
export VELMORA_CONFIG_DIR=$WORK/config
mkdir -p "$VELMORA_CONFIG_DIR" "$WORK/plain" "$WORK/fields" "$WORK/tagged"

echo "Making $FILES plain, $FILES fields-only and $FILES tagged files in $WORK ..."
ffmpeg -nostdin -v error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=2" -ac 2 \
  -c:a libmp3lame -b:a 128k -id3v2_version 0 -write_xing 0 "$WORK/plain.mp3"
$PY tests/support/tag_roundtrip.py make id3v24 "$WORK/plain.mp3" "$WORK/fields.mp3"
cp "$WORK/fields.mp3" "$WORK/tagged.mp3"
$PY - "$WORK/tagged.mp3" <<'PY'
import os, sys
from mutagen.id3 import ID3, APIC
tags = ID3(sys.argv[1])
tags.add(APIC(encoding=3, mime="image/jpeg", type=3, desc="large cover", data=b"\xff\xd8\xff\xe0" + os.urandom(200 * 1024)))
tags.save(v2_version=4)
PY
for i in $(seq -w 1 "$FILES"); do
  cp "$WORK/plain.mp3" "$WORK/plain/f$i.mp3"
  cp "$WORK/fields.mp3" "$WORK/fields/f$i.mp3"
  cp "$WORK/tagged.mp3" "$WORK/tagged/f$i.mp3"
done

# Each run writes into a folder of its own, and no output is removed before the last run. On
# ext4 without a journal, creating a file walks past every inode freed in the last minutes; had
# each run removed the previous run's 200 outputs first, every second run of a pair would pay
# for 200 more of them than the first.
cpu_seconds() {  # COMMAND...: runs it, prints the user+system seconds it took (time(1) gives only hundredths)
  $PY - "$@" <<'PY'
import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=True)
used = resource.getrusage(resource.RUSAGE_CHILDREN)
print("%.4f" % (used.ru_utime + used.ru_stime))
PY
}
run() {  # FORMAT SET: converts one set, prints the CPU seconds it took
  cpu_seconds "$CONVERT" --jobs "$JOBS" --format "$1" --output "$(mktemp -d "$WORK/out.XXXXXX")" "$WORK/$2"/*.mp3
}
best() { printf '%s\n' "$@" | sort -g | head -1; }
# The middle of the ratios of the runs made one right after the other: the machine's speed
# swings from run to run, and a pair run together shares most of a swing.
median_pair_ratio() {  # PLAIN... -- TAGGED...
  local -a p=() t=() r=()
  while [ "$1" != -- ]; do p+=("$1"); shift; done
  shift
  t=("$@")
  for i in "${!p[@]}"; do r+=("$(awk "BEGIN{printf \"%.4f\", ${t[$i]} / ${p[$i]}}")"); done
  printf '%s\n' "${r[@]}" | sort -g | awk '{a[NR] = $1} END {printf "%.3f", (a[int((NR + 1) / 2)] + a[int(NR / 2) + 1]) / 2}'
}

# "fields": the same files with every field and the small PNG and JPEG but not the 200 kB
# cover, which tells the tags' own cost from that of the cover's bytes.
printf '%-6s %10s %10s %10s %7s %12s %7s\n' format untagged fields tagged ratio "pair median" fields
worst=0
wma_plain=
for fmt in $FORMATS; do
  plain=() fields=() tagged=()
  for repeat in $(seq "$REPEATS"); do  # alternated, first one set then the other leading
    if (( repeat % 2 )); then
      plain+=("$(run "$fmt" plain)")
      fields+=("$(run "$fmt" fields)")
      tagged+=("$(run "$fmt" tagged)")
    else
      tagged+=("$(run "$fmt" tagged)")
      fields+=("$(run "$fmt" fields)")
      plain+=("$(run "$fmt" plain)")
    fi
  done
  p=$(best "${plain[@]}") f=$(best "${fields[@]}") t=$(best "${tagged[@]}")
  ratio=$(awk "BEGIN{printf \"%.3f\", $t / $p}")
  pairs=$(median_pair_ratio "${plain[@]}" -- "${tagged[@]}")
  fieldPairs=$(median_pair_ratio "${plain[@]}" -- "${fields[@]}")
  printf '%-6s %9.3fs %9.3fs %9.3fs %7s %12s %7s\n' "$fmt" "$p" "$f" "$t" "$ratio" "$pairs" "$fieldPairs"
  worst=$(awk "BEGIN{print ($ratio > $worst) ? $ratio : $worst}")
  if [ "$fmt" = wma ]; then wma_plain=$p; fi
done
echo "worst ratio $worst (target at most 1.03; ratio of the best runs, beside it the median of adjacent"
echo "pairs, and that median for the files without the 200 kB cover)"

[ -n "$wma_plain" ] || exit 0

# The floor no converter gets under: reading each tagged source's tag (the pictures with it)
# and writing it into a new file beside 40 kB of audio, against writing the 40 kB alone, in
# one process, best of REPEATS runs each. Against the untagged WMA run it tells how much of
# WMA's ratio is the bytes themselves on this machine.
floor=$($PY - "$WORK" "$REPEATS" "$WORK"/tagged/*.mp3 <<'PY'
import os, resource, sys, tempfile
work, repeats, sources = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
audio = bytes(40 * 1024)
buffer = memoryview(bytearray(4 << 20))  # one buffer for every tag, as the converter reuses its own
def tag_into_buffer(path):  # reads the leading ID3v2 tag, header and footer included
    fd = os.open(path, os.O_RDONLY)
    try:
        head = os.pread(fd, 10, 0)
        size = (head[6] << 21 | head[7] << 14 | head[8] << 7 | head[9]) + 10 + (10 if head[5] & 0x10 else 0)
        return buffer[:os.preadv(fd, [buffer[:size]], 0)]
    finally:
        os.close(fd)
def run(with_tags):
    out = tempfile.mkdtemp(dir=work, prefix="floor.")
    start = resource.getrusage(resource.RUSAGE_SELF)
    for i, source in enumerate(sources):
        parts = [tag_into_buffer(source), audio] if with_tags else [audio]
        fd = os.open(os.path.join(out, "f%d" % i), os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644)
        os.writev(fd, parts)
        os.close(fd)
    end = resource.getrusage(resource.RUSAGE_SELF)
    return end.ru_utime + end.ru_stime - start.ru_utime - start.ru_stime
bare, moved = [], []
for _ in range(repeats):
    bare.append(run(False))
    moved.append(run(True))
print("%.4f" % (min(moved) - min(bare)))
PY
)
awk -v f="$floor" -v p="$wma_plain" -v n="$FILES" 'BEGIN{printf "floor: moving the tags'"'"' bytes alone costs %.0f us a file, a WMA ratio of %.3f\n", f / n * 1e6, 1 + f / p}'

