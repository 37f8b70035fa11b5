// Which format the program writes a file name stands for (the four list formats, then FLAC,
// Opus and M4A), whatever the letter case of its extension. Every place that picks an encoder, a tag module or an output name asks here.
#pragma once

#include <string>

enum class AudioFormat { kMp3, kWav, kWma, kOgg, kFlac, kOpus, kM4a, kOther };

// ".mp3", ".MP3", ".Mp3" → kMp3; no extension or any other one → kOther.
AudioFormat FormatFromPath(const std::string& path);
// ".mp3", ".wav", ".wma", ".ogg", ".flac", ".opus", ".m4a"; "" for kOther.
const char* ExtensionOf(AudioFormat format);
