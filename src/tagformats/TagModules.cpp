#include "tagformats/TagModules.h"

#include "tagformats/generic/GenericTagReader.h"
#include "tagformats/id3v2/ID3v2Module.h"
#include "tagformats/vorbis/VorbisModule.h"
#include "tagformats/wma/WmaModule.h"
#include "tags/AudioFormat.h"

const TagModule* TagModuleFor(AudioFormat format) {
  static const ID3v2Module kId3v2;
  static const VorbisModule kVorbis;
  static const WmaModule kWma;
  switch (format) {
    case AudioFormat::kMp3: return &kId3v2;
    case AudioFormat::kOgg: return &kVorbis;
    case AudioFormat::kWma: return &kWma;
    case AudioFormat::kWav:
    case AudioFormat::kOther: break;
  }
  return nullptr;
}

const TagModule* TagModuleFor(const std::string& path) { return TagModuleFor(FormatFromPath(path)); }

const TagReader* TagReaderFor(AudioFormat format) {
  static const GenericTagReader kGeneric;
  if (format == AudioFormat::kOther) return &kGeneric;
  return TagModuleFor(format);
}

const TagReader* TagReaderFor(const std::string& path) { return TagReaderFor(FormatFromPath(path)); }
