// Which of the four list formats a file name stands for, whatever the letter case of its
// extension. Every place that picks an encoder, a tag module or an output name asks here.
#pragma once

#include <string>

enum class AudioFormat { kMp3, kWav, kWma, kOgg, kOther };

// ".mp3", ".MP3", ".Mp3" → kMp3; no extension or any other one → kOther.
AudioFormat FormatFromPath(const std::string& path);
// ".mp3", ".wav", ".wma", ".ogg"; "" for kOther.
const char* ExtensionOf(AudioFormat format);
