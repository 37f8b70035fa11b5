#include "tagformats/TagModules.h"

#include "tagformats/generic/GenericTagReader.h"
#include "tagformats/id3v2/ID3v2Module.h"
#include "tagformats/vorbis/VorbisModule.h"
#include "tagformats/wma/WmaModule.h"
#include "tags/AudioFormat.h"

const TagModule* TagModuleFor(const std::string& path) {
  static const ID3v2Module kId3v2;
  static const VorbisModule kVorbis;
  static const WmaModule kWma;
  switch (FormatFromPath(path)) {
    case AudioFormat::kMp3: return &kId3v2;
    case AudioFormat::kOgg: return &kVorbis;
    case AudioFormat::kWma: return &kWma;
    case AudioFormat::kWav:
    case AudioFormat::kOther: break;
  }
  return nullptr;
}

const TagReader* TagReaderFor(const std::string& path) {
  static const GenericTagReader kGeneric;
  const AudioFormat format = FormatFromPath(path);
  if (format == AudioFormat::kOther || format == AudioFormat::kWav) return &kGeneric;
  return TagModuleFor(path);
}
