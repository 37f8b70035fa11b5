// Which format a file name stands for (the four list formats, then FLAC, Opus and M4A, which
// the program also writes), whatever the letter case of its extension. A listed file's format is
// decided once, when it is added, and travels with its row from then on.
#pragma once

#include <cstddef>
#include <string>

enum class AudioFormat { kMp3, kWav, kWma, kOgg, kFlac, kOpus, kM4a, kOther };

// ".mp3", ".MP3", ".Mp3" → kMp3; no extension or any other one → kOther.
AudioFormat FormatFromPath(const std::string& path);
// What the first bytes of a file say: a RIFF/WAVE, Ogg, ASF or ID3/MPEG-frame start; kOther
// when they name none of the four.
AudioFormat FormatFromFirstBytes(const unsigned char* bytes, size_t size);
// A file to be listed: its extension when it names a format, else its first bytes.
AudioFormat FormatOfFile(const std::string& path);
// ".mp3", ".wav", ".wma", ".ogg", ".flac", ".opus", ".m4a"; "" for kOther.
const char* ExtensionOf(AudioFormat format);
