#!/usr/bin/python3
# Tagged sources and their check, with mutagen as the independent reader.
#   tag_roundtrip.py make KIND AUDIO OUT   tag a copy of AUDIO as a KIND source (see SOURCES)
#   tag_roundtrip.py check KIND OUTPUT     compare what mutagen reads from OUTPUT (MP3, OGG,
#                                          WMA, FLAC, OPUS, M4A) with what the KIND source
#                                          held; prints the differences, exits 1 when there
#                                          are any
import base64, hashlib, shutil, struct, sys

LONG = ("Съешь же ещё этих мягких французских булок, да выпей чаю. 日本語のテキスト。" * 40)[:2000]
PNG = b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * 8
JPEG = b"\xff\xd8\xff\xe0" + bytes(reversed(range(256))) * 12

# The fields every source holds as far as its format can, by neutral name.
FULL = {
    "TITLE": ["Round Trip"], "ARTIST": ["Artist One", "Artist Two"], "ALBUM": [LONG],
    "DATE": ["2004-05-06"], "GENRE": ["Jazz", "Remix"], "COMMENT": ["A comment"],
    "TRACKNUMBER": ["3"], "TRACKTOTAL": ["12"], "DISCNUMBER": ["1"], "DISCTOTAL": ["2"],
    "ALBUMARTIST": ["Album Artist"], "ORIGINALDATE": ["1999"],
    "COMPOSER": ["Composer One", "Composer Two"], "LYRICIST": ["Lyricist"], "CONDUCTOR": ["Conductor"],
    "LYRICS": [LONG], "BPM": ["120"], "COPYRIGHT": ["2004 Label"], "LABEL": ["Publisher"],
    "ISRC": ["USRC17607839"], "COMPILATION": ["1"], "GROUPING": ["Grouping"],
    "ARTISTSORT": ["One, Artist"], "ALBUMSORT": ["Album sort"], "TITLESORT": ["Trip, Round"],
    "REPLAYGAIN_TRACK_GAIN": ["-6.50 dB"], "REPLAYGAIN_TRACK_PEAK": ["0.988"],
    "REPLAYGAIN_ALBUM_GAIN": ["-7.00 dB"], "REPLAYGAIN_ALBUM_PEAK": ["0.999"],
    "MUSICBRAINZ_TRACKID": ["0a1b2c3d-0000-4000-8000-000000000001"],
    "MUSICBRAINZ_ALBUMID": ["0a1b2c3d-0000-4000-8000-000000000002"],
    "MUSICBRAINZ_ARTISTID": ["0a1b2c3d-0000-4000-8000-000000000003"],
    "ACOUSTID_ID": ["0a1b2c3d-0000-4000-8000-000000000004"], "MY_FIELD": ["custom value"],
}
PICTURES = [(3, "image/png", "front.png", PNG), (4, "image/jpeg", "back.jpg", JPEG)]

# name in the format → neutral name, for the names that differ
ID3_FRAMES = {"TIT2": "TITLE", "TPE1": "ARTIST", "TALB": "ALBUM", "TDRC": "DATE", "TCON": "GENRE",
              "TPE2": "ALBUMARTIST", "TDOR": "ORIGINALDATE", "TCOM": "COMPOSER", "TEXT": "LYRICIST",
              "TPE3": "CONDUCTOR", "TBPM": "BPM", "TCOP": "COPYRIGHT", "TPUB": "LABEL", "TSRC": "ISRC",
              "TCMP": "COMPILATION", "TIT1": "GROUPING", "TSOP": "ARTISTSORT", "TSOA": "ALBUMSORT",
              "TSOT": "TITLESORT"}
TXXX = {"MusicBrainz Album Id": "MUSICBRAINZ_ALBUMID", "MusicBrainz Artist Id": "MUSICBRAINZ_ARTISTID",
        "Acoustid Id": "ACOUSTID_ID"}
ASF = {"Title": "TITLE", "Author": "ARTIST", "WM/AlbumTitle": "ALBUM", "WM/Year": "DATE", "WM/Genre": "GENRE",
       "Description": "COMMENT", "WM/AlbumArtist": "ALBUMARTIST", "WM/OriginalReleaseTime": "ORIGINALDATE",
       "WM/Composer": "COMPOSER", "WM/Writer": "LYRICIST", "WM/Conductor": "CONDUCTOR", "WM/Lyrics": "LYRICS",
       "WM/BeatsPerMinute": "BPM", "Copyright": "COPYRIGHT", "WM/Publisher": "LABEL", "WM/ISRC": "ISRC",
       "WM/IsCompilation": "COMPILATION", "WM/ContentGroupDescription": "GROUPING",
       "WM/ArtistSortOrder": "ARTISTSORT", "WM/AlbumSortOrder": "ALBUMSORT", "WM/TitleSortOrder": "TITLESORT",
       "MusicBrainz/Track Id": "MUSICBRAINZ_TRACKID", "MusicBrainz/Album Id": "MUSICBRAINZ_ALBUMID",
       "MusicBrainz/Artist Id": "MUSICBRAINZ_ARTISTID", "Acoustid/Id": "ACOUSTID_ID"}
MP4_ATOMS = {"\xa9nam": "TITLE", "\xa9ART": "ARTIST", "\xa9alb": "ALBUM", "\xa9day": "DATE", "\xa9gen": "GENRE",
       "\xa9cmt": "COMMENT", "aART": "ALBUMARTIST", "\xa9wrt": "COMPOSER", "\xa9lyr": "LYRICS", "cprt": "COPYRIGHT",
       "\xa9grp": "GROUPING", "soar": "ARTISTSORT", "soal": "ALBUMSORT", "sonm": "TITLESORT"}
MP4_FREE = {"LYRICIST": "LYRICIST", "CONDUCTOR": "CONDUCTOR", "LABEL": "LABEL", "ISRC": "ISRC",
            "MusicBrainz Track Id": "MUSICBRAINZ_TRACKID", "MusicBrainz Album Id": "MUSICBRAINZ_ALBUMID",
            "MusicBrainz Artist Id": "MUSICBRAINZ_ARTISTID", "Acoustid Id": "ACOUSTID_ID",
            "REPLAYGAIN_TRACK_GAIN": "REPLAYGAIN_TRACK_GAIN", "REPLAYGAIN_TRACK_PEAK": "REPLAYGAIN_TRACK_PEAK",
            "REPLAYGAIN_ALBUM_GAIN": "REPLAYGAIN_ALBUM_GAIN", "REPLAYGAIN_ALBUM_PEAK": "REPLAYGAIN_ALBUM_PEAK",
            "MY_FIELD": "MY_FIELD"}
INFO = {"INAM": "TITLE", "IART": "ARTIST", "IPRD": "ALBUM", "ICRD": "DATE", "IGNR": "GENRE", "ICMT": "COMMENT",
        "ITRK": "TRACKNUMBER", "ICOP": "COPYRIGHT", "IMUS": "COMPOSER"}


def invert(table):
    return {v: k for k, v in table.items()}


def tag_id3(tags, version):
    from mutagen import id3
    genre = ["8", "RX"] if version == 4 else ["(8)(RX)"]
    frames = [id3.TCON(encoding=3, text=genre), id3.TRCK(encoding=3, text="3/12"), id3.TPOS(encoding=3, text="1/2"),
              id3.COMM(encoding=3, lang="eng", desc="", text="A comment"),
              id3.USLT(encoding=3, lang="eng", desc="", text=LONG),
              id3.UFID(owner="http://musicbrainz.org", data=FULL["MUSICBRAINZ_TRACKID"][0].encode())]
    for frame, key in ID3_FRAMES.items():
        if key != "GENRE":
            frames.append(getattr(id3, frame)(encoding=3, text=FULL[key]))
    for desc, key in list(TXXX.items()) + [(k, k) for k in FULL if k.startswith("REPLAYGAIN") or k == "MY_FIELD"]:
        frames.append(id3.TXXX(encoding=3, desc=desc, text=FULL[key]))
    for kind, mime, desc, data in PICTURES:
        frames.append(id3.APIC(encoding=3, mime=mime, type=kind, desc=desc, data=data))
    for frame in frames:
        tags.add(frame)


def vorbis_fields(f):
    for key, values in FULL.items():
        f[key] = values


def flac_picture(kind, mime, desc, data):
    from mutagen.flac import Picture
    p = Picture()
    p.type, p.mime, p.desc, p.data = kind, mime, desc, data
    return p


def make(kind, path):
    if kind in ("id3v23", "id3v24"):
        from mutagen.id3 import ID3
        t = ID3()
        tag_id3(t, 4)
        t.save(path, v2_version=3 if kind == "id3v23" else 4, v23_sep=None)
    elif kind == "wav_id3":
        from mutagen.wave import WAVE
        f = WAVE(path); f.add_tags(); tag_id3(f.tags, 4); f.save()
    elif kind == "wav_info":
        make_wav_info(path)
    elif kind == "flac":
        from mutagen.flac import FLAC
        f = FLAC(path); vorbis_fields(f)
        for p in PICTURES:
            f.add_picture(flac_picture(*p))
        f.save()
    elif kind in ("vorbis", "opus"):
        from mutagen import File
        f = File(path); vorbis_fields(f)
        f["METADATA_BLOCK_PICTURE"] = [base64.b64encode(flac_picture(*p).write()).decode() for p in PICTURES]
        f.save()
    elif kind == "m4a":
        make_m4a(path)
    elif kind == "wma":
        make_wma(path)
    elif kind == "ape_mp3":
        from mutagen.apev2 import APEv2, APEValue, BINARY
        t = APEv2()
        names = {"TITLE": "Title", "ARTIST": "Artist", "ALBUM": "Album", "DATE": "Year", "GENRE": "Genre",
                 "COMMENT": "Comment", "ALBUMARTIST": "Album Artist"}
        for key, values in FULL.items():
            if key not in ("TRACKNUMBER", "TRACKTOTAL", "DISCNUMBER", "DISCTOTAL"):
                t[names.get(key, key)] = values
        t["Track"] = "3/12"; t["Disc"] = "1/2"
        t["Cover Art (Front)"] = APEValue(b"front.png\0" + PNG, BINARY)
        t["Cover Art (Back)"] = APEValue(b"back.jpg\0" + JPEG, BINARY)
        t.save(path)


def make_m4a(path):
    from mutagen.mp4 import MP4, MP4Cover, MP4FreeForm
    f = MP4(path)
    for atom, key in MP4_ATOMS.items():
        f[atom] = FULL[key]
    f["trkn"] = [(3, 12)]; f["disk"] = [(1, 2)]; f["tmpo"] = [120]; f["cpil"] = True
    for name, key in MP4_FREE.items():
        f["----:com.apple.iTunes:" + name] = [MP4FreeForm(v.encode()) for v in FULL[key]]
    f["covr"] = [MP4Cover(PNG, MP4Cover.FORMAT_PNG), MP4Cover(JPEG, MP4Cover.FORMAT_JPEG)]
    f.save()


def asf_picture(kind, mime, desc, data):
    text = lambda s: s.encode("utf-16-le") + b"\0\0"
    return struct.pack("<BI", kind, len(data)) + text(mime) + text(desc) + data


def make_wma(path):
    from mutagen.asf import ASF as AsfFile, ASFByteArrayAttribute
    f = AsfFile(path)
    for name, key in ASF.items():
        f[name] = FULL[key]
    f["WM/TrackNumber"] = "3/12"; f["WM/PartOfSet"] = "1/2"
    for key in FULL:
        if key.startswith("REPLAYGAIN") or key == "MY_FIELD":
            f[key] = FULL[key]
    f["WM/Picture"] = [ASFByteArrayAttribute(asf_picture(*p)) for p in PICTURES]
    f.save()


def make_wav_info(path):
    data, chunks, pos = open(path, "rb").read(), b"", 12
    while pos + 8 <= len(data):  # the chunks but the encoder's own INFO list
        size = struct.unpack_from("<I", data, pos + 4)[0]
        if data[pos:pos + 4] != b"LIST":
            chunks += data[pos:pos + 8 + size + size % 2]
        pos += 8 + size + size % 2
    info = b"INFO"
    values = dict(INFO_VALUES())
    for chunk, text in values.items():  # UTF-8, as TagLib and ffmpeg read it
        raw = text.encode() + b"\0"
        info += chunk.encode() + struct.pack("<I", len(raw)) + raw + (b"\0" if len(raw) % 2 else b"")
    body = chunks + b"LIST" + struct.pack("<I", len(info)) + info
    open(path, "wb").write(b"RIFF" + struct.pack("<I", len(body) + 4) + b"WAVE" + body)


def INFO_VALUES():
    for chunk, key in INFO.items():
        yield chunk, FULL[key][0]


def as_mp4_covers(pictures):  # MP4 cover art has no type and no description
    return [(3, mime, "", data) for _, mime, _, data in pictures]


def expected(kind, output):
    if kind == "wav_info":  # RIFF INFO holds one text per field and no pictures
        return {key: FULL[key][:1] for key in INFO.values()}, []
    fields = dict(FULL)
    pictures = PICTURES
    if kind == "m4a":  # the MP4 source has no original date
        del fields["ORIGINALDATE"]
    if kind == "m4a" or output.endswith(".m4a"):
        pictures = as_mp4_covers(PICTURES)
    return fields, pictures


def read_vorbis_comments(comments, add, pictures):
    from mutagen.flac import Picture
    for key, value in comments:
        if key.upper() == "METADATA_BLOCK_PICTURE":
            p = Picture(base64.b64decode(value))
            pictures.append((p.type, p.mime, p.desc, p.data))
        else:
            add(key.upper(), [value])


def read_mp4(tags, add, pictures):
    for name, values in tags.items():
        if name in ("trkn", "disk"):
            prefix = "TRACK" if name == "trkn" else "DISC"
            number, total = values[0]
            add(prefix + "NUMBER", [str(number)]); add(prefix + "TOTAL", [str(total) if total else ""])
        elif name == "covr":
            mimes = {13: "image/jpeg", 14: "image/png"}
            pictures.extend((3, mimes.get(c.imageformat, "?"), "", bytes(c)) for c in values)
        elif name == "tmpo":
            add("BPM", [str(v) for v in values])
        elif name == "cpil":
            add("COMPILATION", ["1" if values else "0"])
        elif name.startswith("----:"):
            free = name.split(":", 2)[2]
            add(MP4_FREE.get(free, free.upper()), [bytes(v).decode() for v in values])
        else:
            add(MP4_ATOMS.get(name, name), [str(v) for v in values])


def read_output(path):
    from mutagen import File
    f = File(path)
    fields, pictures = {}, []
    add = lambda key, values: fields.setdefault(key, []).extend(v for v in values if v != "")
    if path.endswith(".mp3"):
        for frame in f.tags.values():
            fid = frame.FrameID
            texts = [str(t) for t in getattr(frame, "text", [])]
            if fid in ("TPE1", "TCOM", "TEXT", "TOLY", "TOPE"):
                texts = [p for t in texts for p in t.split("/")]
            elif fid.startswith("T") and fid not in ("TDRC", "TDOR"):
                texts = [p for t in texts for p in t.split("; ")]
            if fid in ("TRCK", "TPOS"):
                number, _, total = texts[0].partition("/")
                name = "TRACK" if fid == "TRCK" else "DISC"
                add(name + "NUMBER", [number]); add(name + "TOTAL", [total])
            elif fid in ID3_FRAMES:
                add(ID3_FRAMES[fid], texts)
            elif fid == "TXXX":
                add(TXXX.get(frame.desc, frame.desc.upper()), texts)
            elif fid == "COMM":
                add("COMMENT", texts)
            elif fid == "USLT":
                add("LYRICS", [frame.text])
            elif fid == "UFID":
                add("MUSICBRAINZ_TRACKID", [frame.data.decode()])
            elif fid == "APIC":
                pictures.append((frame.type, frame.mime, frame.desc, frame.data))
            else:
                add(fid, texts)
    elif path.endswith((".ogg", ".opus")):
        read_vorbis_comments(f.tags, add, pictures)
    elif path.endswith(".flac"):
        read_vorbis_comments(f.tags, add, pictures)
        pictures.extend((p.type, p.mime, p.desc, p.data) for p in f.pictures)
    elif path.endswith(".m4a"):
        read_mp4(f.tags, add, pictures)
    else:
        for name, values in f.tags.items():
            if name == "WM/Picture":
                for v in values:
                    pictures.append(parse_asf_picture(v.value))
                continue
            texts = [str(v) for v in values]
            if name in ("WM/TrackNumber", "WM/PartOfSet"):
                number, _, total = texts[0].partition("/")
                prefix = "TRACK" if name == "WM/TrackNumber" else "DISC"
                add(prefix + "NUMBER", [number]); add(prefix + "TOTAL", [total])
            else:
                add(ASF.get(name, name.upper()), texts)
    return fields, pictures


def parse_asf_picture(raw):
    kind, length = struct.unpack_from("<BI", raw)
    pos, texts = 5, []
    for _ in range(2):
        end = pos
        while raw[end:end + 2] != b"\0\0":
            end += 2
        texts.append(raw[pos:end].decode("utf-16-le"))
        pos = end + 2
    return kind, texts[0], texts[1], raw[pos:pos + length]


def brief(values):
    return [v if len(v) < 60 else v[:20] + "…(%d chars)" % len(v) for v in values]


def check(kind, path):
    want_fields, want_pictures = expected(kind, path)
    got_fields, got_pictures = read_output(path)
    problems = []
    for key in sorted(set(want_fields) | set(got_fields)):
        want, got = want_fields.get(key, []), got_fields.get(key, [])
        if key in want_fields and want != got:
            problems.append("%s: want %s, got %s" % (key, brief(want), brief(got)))
    # ID3 wants each picture's description to differ; writers add spaces to repeated ones.
    digest = lambda ps: [(int(k), m, d.rstrip(" "), hashlib.sha1(data).hexdigest()[:8]) for k, m, d, data in ps]
    if digest(want_pictures) != digest(got_pictures):
        problems.append("pictures: want %s, got %s" % (digest(want_pictures), digest(got_pictures)))
    print("\n".join(problems) if problems else "OK")
    return 1 if problems else 0


if __name__ == "__main__":
    if sys.argv[1] == "make":
        shutil.copyfile(sys.argv[3], sys.argv[4])
        make(sys.argv[2], sys.argv[4])
    else:
        sys.exit(check(sys.argv[2], sys.argv[3]))
