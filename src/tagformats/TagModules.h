// Picks the tag module for a file by its recognised format, whatever the letter case of its
// extension: MP3 → ID3v2, OGG → Vorbis comments, WMA → WMA attributes, FLAC and Opus → their
// Vorbis comments, M4A → MP4 atoms. Sources in any other format get a reader only, so nothing
// can ever be written through it.
#pragma once

#include <string>

#include "tagformats/common/TagModule.h"
#include "tagformats/common/TagReader.h"
#include "base/AudioFormat.h"

// The module for the file's format; null for WAV and any format the program does not write.
// The modules live for the whole program.
const TagModule* TagModuleFor(AudioFormat format);
const TagModule* TagModuleFor(const std::string& path);

// The reader for a source: its format's module, TagLib's generic reader for WAV (RIFF INFO
// and id3 chunk) and for a format the program does not write. The readers live for the whole
// program.
const TagReader* TagReaderFor(AudioFormat format);
const TagReader* TagReaderFor(const std::string& path);
