#include "tagformats/TagModules.h"

#include "tagformats/flac/FlacModule.h"
#include "tagformats/generic/GenericTagReader.h"
#include "tagformats/mp4/Mp4Module.h"
#include "tagformats/opus/OpusModule.h"
#include "tagformats/id3v2/ID3v2Module.h"
#include "tagformats/vorbis/VorbisModule.h"
#include "tagformats/wma/WmaModule.h"
#include "base/AudioFormat.h"

const TagModule* TagModuleFor(AudioFormat format) {
  static const ID3v2Module kId3v2;
  static const VorbisModule kVorbis;
  static const WmaModule kWma;
  static const FlacModule kFlac;
  static const OpusModule kOpus;
  static const Mp4Module kMp4;
  switch (format) {
    case AudioFormat::kMp3: return &kId3v2;
    case AudioFormat::kOgg: return &kVorbis;
    case AudioFormat::kWma: return &kWma;
    case AudioFormat::kFlac: return &kFlac;
    case AudioFormat::kOpus: return &kOpus;
    case AudioFormat::kM4a: return &kMp4;
    case AudioFormat::kWav:
    case AudioFormat::kOther: break;
  }
  return nullptr;
}

const TagModule* TagModuleFor(const std::string& path) { return TagModuleFor(FormatFromPath(path)); }

const TagReader* TagReaderFor(AudioFormat format) {
  static const GenericTagReader kGeneric;
  if (format == AudioFormat::kOther || format == AudioFormat::kWav) return &kGeneric;
  return TagModuleFor(format);
}

const TagReader* TagReaderFor(const std::string& path) { return TagReaderFor(FormatFromPath(path)); }
