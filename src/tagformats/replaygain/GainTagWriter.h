// Writes loudness fields (REPLAYGAIN_TRACK_GAIN, R128_TRACK_GAIN, …) into a finished output,
// after its tag module has written the record: TXXX frames in MP3 (the tag stays ID3v2.3),
// Vorbis comments in Ogg Vorbis, Opus and FLAC, ASF attributes in WMA, freeform atoms in M4A.
// Every other tag the file has stays as it is. Kept apart from the tag modules so that the
// fields can move into the tag record's further fields once it has them.
#pragma once

#include <string>
#include <utility>
#include <vector>

// Neutral field names (upper case, as in Vorbis comments) with their values.
using GainFields = std::vector<std::pair<std::string, std::string>>;

// Replaces those fields; nothing for a format without tags (WAV). Throws TagError naming the
// file when it cannot be read or saved.
void WriteGainFields(const std::string& path, const GainFields& fields);
