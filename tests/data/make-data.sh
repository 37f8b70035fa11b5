#!/usr/bin/env bash
# Makes the small tagged files of this folder with other tools (ffmpeg, oggenc, mutagen), for
# the tag readers' tests and as fuzzing seeds. Run from anywhere; rewrites every file.
set -euo pipefail
cd "$(dirname "$0")"
py=/usr/bin/python3   # Debian's interpreter, which has mutagen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

tone() {  # tone OUT CODEC-ARGS...: a tenth of a second of mono sine
  local out=$1; shift
  ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=0.1 -ac 1 -ar 22050 "$@" "$out"
}

# MP3: version 2.3 in UTF-16 by mutagen, a picture before the text frames, a tool's comment
# ("iTunNORM") before the user's.
tone "$work/plain.mp3" -c:a libmp3lame -b:a 32k -id3v2_version 0 -write_xing 0
cp "$work/plain.mp3" id3v23-utf16-cover.mp3
$py - id3v23-utf16-cover.mp3 <<'PY'
import sys
from mutagen.id3 import ID3, APIC, COMM, TIT2, TPE1, TALB, TRCK, TYER, TCON
t = ID3()
t.add(APIC(encoding=1, mime="image/png", type=3, desc="cover", data=bytes(range(256)) * 4))
t.add(TIT2(encoding=1, text="Привет"))
t.add(TPE1(encoding=1, text="日本 🎵"))
t.add(TALB(encoding=1, text="Album"))
t.add(TRCK(encoding=1, text="3/12"))
t.add(TYER(encoding=1, text="2004"))
t.add(TCON(encoding=1, text="(17)"))
t.add(COMM(encoding=1, lang="eng", desc="iTunNORM", text=" 00000A 0000B"))
t.add(COMM(encoding=1, lang="eng", desc="", text="User note"))
t.save(sys.argv[1], v2_version=3, v1=0)
PY

# MP3: an ID3v2 tag holding a ReplayGain value only in front of a file with a full ID3v1 tag,
# both by mutagen.
cp "$work/plain.mp3" "$work/v1.mp3"
$py - "$work/v1.mp3" replaygain-and-id3v1.mp3 <<'PY'
import sys, os, tempfile
from mutagen import id3
from mutagen.id3 import ID3, TXXX, TIT2, TPE1, TALB, TDRC, TRCK, TCON
v1 = ID3()
for frame in [TIT2(text="V1 title"), TPE1(text="V1 artist"), TALB(text="V1 album"), TDRC(text="1977"),
              TRCK(text="6"), TCON(text="Jazz")]:
    v1.add(frame)
v1.save(sys.argv[1], v1=2)
id3.delete(sys.argv[1], delete_v1=False, delete_v2=True)
t = ID3()
t.add(TXXX(encoding=0, desc="replaygain_track_gain", text="-6.00 dB"))
fd, tagfile = tempfile.mkstemp(); os.close(fd)
t.save(tagfile, v2_version=3, v1=0, padding=lambda info: 0)
open(sys.argv[2], "wb").write(open(tagfile, "rb").read() + open(sys.argv[1], "rb").read())
os.unlink(tagfile)
PY

# MP3: version 2.4 by mutagen, then two faults of real writers put in: a frame id in lower
# case ("tpe1") in front of the others, and a title whose size is a plain number.
cp "$work/plain.mp3" id3v24-faulty-frames.mp3
$py - id3v24-faulty-frames.mp3 <<'PY'
import sys, struct
from mutagen.id3 import ID3, TIT2, TPE1, TXXX, TALB
path = sys.argv[1]
t = ID3()
t.add(TXXX(encoding=3, desc="lower", text="x"))
t.add(TIT2(encoding=3, text="T" * 299))
t.add(TPE1(encoding=3, text="Real artist"))
t.add(TALB(encoding=3, text="Album after"))
t.save(path, v2_version=4, v1=0)
data = bytearray(open(path, "rb").read())
at = data.find(b"TXXX"); data[at:at + 4] = b"tpe1"
at = data.find(b"TIT2")
size = struct.unpack(">I", data[at + 4:at + 8])[0]
plain = (size >> 24 & 0x7F) << 21 | (size >> 16 & 0x7F) << 14 | (size >> 8 & 0x7F) << 7 | (size & 0x7F)
data[at + 4:at + 8] = struct.pack(">I", plain)
open(path, "wb").write(bytes(data))
PY

# OGG by oggenc: DESCRIPTION and YEAR instead of COMMENT and DATE, a genre by number.
ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=0.1 -ac 1 -ar 22050 "$work/tone.wav"
oggenc -Q -q 0 -o description-year.ogg -c TITLE=Oggenc -c ARTIST=Encoder -c DESCRIPTION="Liner note" \
  -c YEAR=1994 -c GENRE=17 -c TRACKNUMBER=2 "$work/tone.wav"

# OGG by ffmpeg, tagged by mutagen with a small picture between the comments.
tone picture.ogg -c:a libvorbis -q:a 0
$py - picture.ogg <<'PY'
import sys, base64
from mutagen.oggvorbis import OggVorbis
from mutagen.flac import Picture
f = OggVorbis(sys.argv[1]); f.delete()
pic = Picture(); pic.type = 3; pic.mime = "image/png"; pic.data = bytes(range(256)) * 2
f["ARTIST"] = "Before"
f["METADATA_BLOCK_PICTURE"] = base64.b64encode(pic.write()).decode()
f["TITLE"] = "After the picture"; f["DATE"] = "2001-02-03"; f["COMMENT"] = "Kept"
f.save()
PY

# WMA by ffmpeg with its own tags, and a copy that mutagen gave a genre by number and a track
# number as text.
tone ffmpeg-tags.wma -c:a wmav2 -b:a 32k -metadata title=FT -metadata artist=FA -metadata album=FB \
  -metadata genre=FG -metadata comment=FC -metadata track=4
cp ffmpeg-tags.wma mutagen-genre-number.wma
$py - mutagen-genre-number.wma <<'PY'
import sys
from mutagen.asf import ASF
f = ASF(sys.argv[1]); f.tags.clear()
f["Title"] = "Numbers"; f["WM/Genre"] = "17"; f["WM/TrackNumber"] = "11/12"; f["WM/Year"] = " 2003 "
f.save()
PY
# seven-fields-source.mp3 (an ID3v2.3 tag with the seven fields alone) and its outputs
# seven-fields-main.mp3/.ogg/.wma were made once, by velmora-convert --jobs 1 --format F with
# default settings, before tags other than the seven were carried; the tag carry test checks
# that today's outputs of that source are still these bytes. They are not made here.
ls -l
