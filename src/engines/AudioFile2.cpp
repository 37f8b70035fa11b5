#include "engines/AudioFile2.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "engines/AudioReader.h"
#include "engines/AudioWriter.h"
#include "base/AudioFormat.h"
#include "base/FileDescriptor.h"

namespace {

// Names the folder problem before an encoder library reports something vaguer.
void CheckOutputFolder(const std::string& path) {
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty()) folder = ".";
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec))
    throw EngineError("Cannot create " + path + ": the folder " + folder.string() +
                      " does not exist");
  if (access(folder.c_str(), W_OK) != 0)
    throw EngineError("Cannot create " + path + ": the folder " + folder.string() +
                      " is not writable");
}

// Creates the output exclusively: an existing file of that name is an error, never replaced.
// The encoder then opens the empty file we made.
void ClaimNewFile(const std::string& path) {
  const FileDescriptor claimed(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!claimed.valid()) {
    int error = errno;
    throw EngineError("Cannot create " + path + ": " +
                      (error == EEXIST ? std::string("the file already exists") : std::strerror(error)));
  }
}

}  // namespace

struct TAudioFile2::Impl {
  bool optionSet = false;
  std::unique_ptr<AudioReader> reader;
  std::unique_ptr<AudioWriter> writer;

  // Writer settings; they persist across outputs until changed.
  bool wavFormatSet = false;
  WavSettings wav;
  Mp3Settings mp3;
  OggSettings ogg;
  int wmaProfile = 10;
  FlacSettings flac;
  OpusSettings opus;
  M4aSettings m4a;
  PcmFormat source;

  // Without a SetWavFormat the WAV output keeps the source's own rate and channels.
  WavSettings SourceShapedWav() const {
    WavSettings own;
    own.sampleRate = source.sampleRate;
    own.channels = source.channels;
    own.bitsPerSample = 16;
    return own;
  }

  // Float blocks come from sources of more than 16 bits (or float ones): their FLAC keeps 24.
  FlacSettings SourceShaped(FlacSettings s) const {
    if (s.sampleRate == 0) s.sampleRate = source.sampleRate;
    if (s.channels == 0) s.channels = source.channels;
    if (s.bitsPerSample == 0) s.bitsPerSample = source.sampleType == SampleType::kFloat ? 24 : 16;
    return s;
  }
  OpusSettings SourceShaped(OpusSettings s) const {
    if (s.channels == 0) s.channels = source.channels;
    return s;
  }
  // A stored bit rate that suits stereo 44.1 kHz can be more than an AAC frame holds for a
  // source of few channels at a low rate (192 kbit/s against 132 for mono 22.05 kHz). Where the
  // rate or channels are the source's, the bit rate is lowered to what the frames hold, as
  // FFmpeg's encoder would do itself; a rate and channels the user set are checked as given.
  M4aSettings SourceShaped(M4aSettings s) const {
    const bool shapedBySource = s.sampleRate == 0 || s.channels == 0;
    if (s.sampleRate == 0) s.sampleRate = NearestAacSampleRate(source.sampleRate);
    if (s.channels == 0) s.channels = source.channels;
    if (shapedBySource && s.vbrQuality == 0 && s.sampleRate > 0 && s.channels > 0)
      s.bitRate = std::max(kM4aMinKbps, std::min(s.bitRate, AacMaxKbps(s.sampleRate, s.channels)));
    return s;
  }

  const AudioReader& Reader() const {
    if (!reader) throw EngineError("No source file is open for reading");
    return *reader;
  }

  std::unique_ptr<EncoderBackend> MakeBackend(const std::string& path, AudioFormat format) const {
    switch (format) {
      case AudioFormat::kMp3: return MakeMp3Encoder(mp3);
      case AudioFormat::kOgg: return MakeOggEncoder(ogg);
      case AudioFormat::kWma: return MakeWmaEncoder(wmaProfile);
      case AudioFormat::kWav: return MakeWavEncoder(wavFormatSet ? wav : SourceShapedWav());
      case AudioFormat::kFlac: return MakeFlacEncoder(SourceShaped(flac));
      case AudioFormat::kOpus: return MakeOpusEncoder(SourceShaped(opus));
      case AudioFormat::kM4a: return MakeM4aEncoder(SourceShaped(m4a));
      case AudioFormat::kOther: break;
    }
    const std::string extension = std::filesystem::path(path).extension().string();
    throw EngineError("Cannot create " + path + ": unknown output type \"" + extension +
                      "\" (expected .mp3, .wav, .ogg, .wma, .flac, .opus or .m4a)");
  }
};

TAudioFile2::TAudioFile2() : impl_(std::make_unique<Impl>()) {}

TAudioFile2::~TAudioFile2() = default;

void TAudioFile2::SetOption(EngineOption option) {
  if (option != EngineOption::kDefaults)
    throw EngineError("Unknown audio engine option " + std::to_string(static_cast<int>(option)));
  if (impl_->optionSet) throw EngineError("The audio engine options are already set");
  impl_->optionSet = true;
}

bool TAudioFile2::IsOpen() const { return impl_->reader || impl_->writer; }

void TAudioFile2::Close() {
  impl_->reader.reset();
  if (impl_->writer) {
    std::unique_ptr<AudioWriter> writer = std::move(impl_->writer);
    writer->Finish();
  }
}

void TAudioFile2::OpenForRead(const std::string& path, ReadMode mode, ReadFlags flags) {
  if (mode != ReadMode::kWholeSource ||
      (flags != ReadFlags::kPcm16 && flags != ReadFlags::kSourceShape))
    throw EngineError("Cannot open " + path + ": unsupported read mode " +
                      std::to_string(static_cast<int>(mode)) + "/" +
                      std::to_string(static_cast<int>(flags)));
  Close();
  const ReaderShape shape = flags == ReadFlags::kSourceShape ? ReaderShape::kSourceShape
                                                            : ReaderShape::kAtMostStereo16;
  impl_->reader = std::make_unique<AudioReader>(path, shape);
}

int64_t TAudioFile2::DurationMs() const { return impl_->Reader().DurationMs(); }
int TAudioFile2::SampleRate() const { return impl_->Reader().SampleRate(); }
int TAudioFile2::Channels() const { return impl_->Reader().Channels(); }
int TAudioFile2::FrameSize() const { return impl_->Reader().FrameSize(); }
SampleType TAudioFile2::BlockSampleType() const { return impl_->Reader().BlockSampleType(); }
SourcePrecision TAudioFile2::Precision() const { return impl_->Reader().Precision(); }
int64_t TAudioFile2::Length() const { return impl_->Reader().LengthFrames(); }
bool TAudioFile2::EndsEarly() const { return impl_->Reader().EndsEarly(); }
std::string TAudioFile2::CodecChange() const { return impl_->Reader().CodecChange(); }

ByteBlock TAudioFile2::ReadBlock(int byteCount) {
  if (!impl_->reader) throw EngineError("Cannot read: no source file is open");
  if (byteCount < impl_->reader->FrameSize())
    throw EngineError("Cannot read: a block of " + std::to_string(byteCount) +
                      " bytes holds no whole frame");
  return impl_->reader->Read(static_cast<size_t>(byteCount) / impl_->reader->FrameSize());
}

void TAudioFile2::SetWavFormat(int sampleRate, int channels, int bitsPerSample) {
  impl_->wav.sampleRate = sampleRate;
  impl_->wav.channels = channels;
  impl_->wav.bitsPerSample = bitsPerSample;
  impl_->wavFormatSet = true;
}

void TAudioFile2::SetMp3Encoder(const TAudioFile2LameEnc& encoder) {
  Mp3Settings& mp3 = impl_->mp3;
  mp3.sampleRate = encoder.SampleRate();
  mp3.channels = encoder.Channels();
  mp3.bitRate = encoder.BitRate();
  mp3.quality = encoder.Quality();
  mp3.vbrMethod = encoder.VbrMethod();
  mp3.vbrBitRate = encoder.VbrBitRate();
  mp3.vbrQuality = encoder.VbrQuality();
}

// The run passes the maximum before the minimum, and so do we.
void TAudioFile2::SetOggFormat(int sampleRate, int channels, int bitRate, int maxBitRate,
                               int minBitRate, int16_t quality) {
  OggSettings& ogg = impl_->ogg;
  ogg.sampleRate = sampleRate;
  ogg.channels = channels;
  ogg.bitRate = bitRate;
  ogg.maxBitRate = maxBitRate;
  ogg.minBitRate = minBitRate;
  ogg.quality = quality;
}

void TAudioFile2::SetWmaProfile(int number) { impl_->wmaProfile = number; }

void TAudioFile2::SetFlacFormat(const FlacSettings& settings) { impl_->flac = settings; }
void TAudioFile2::SetOpusFormat(const OpusSettings& settings) { impl_->opus = settings; }
void TAudioFile2::SetM4aFormat(const M4aSettings& settings) { impl_->m4a = settings; }

bool TAudioFile2::IsFlacFormatSupported(const FlacSettings& settings) const {
  return FlacFormatSupported(settings);
}
bool TAudioFile2::IsOpusFormatSupported(const OpusSettings& settings) const {
  return OpusFormatSupported(settings);
}
bool TAudioFile2::IsM4aFormatSupported(const M4aSettings& settings) const {
  return M4aFormatSupported(settings);
}

bool TAudioFile2::IsMp3FormatSupported(int sampleRate, int bitRate, int channels) const {
  return Mp3FormatSupported(sampleRate, bitRate, channels);
}

bool TAudioFile2::IsOggFormatSupported(int sampleRate, int channels, int bitRate, int maxBitRate,
                                       int minBitRate) const {
  return OggFormatSupported(sampleRate, channels, bitRate, maxBitRate, minBitRate);
}

int TAudioFile2::OggQualityBitRate(int sampleRate, int channels, int quality) const {
  return OggQualityNominalKbps(sampleRate, channels, quality);
}

void TAudioFile2::SetSourceFormat(int sampleRate, int channels, SampleType sampleType) {
  impl_->source.sampleRate = sampleRate;
  impl_->source.channels = channels;
  impl_->source.sampleType = sampleType;
  if (impl_->writer) impl_->writer->SetSourceFormat(impl_->source);
}

void TAudioFile2::OpenForWrite(const std::string& path, WriteMode mode) {
  OpenForWrite(path, FormatFromPath(path), mode);
}

void TAudioFile2::OpenForWrite(const std::string& path, AudioFormat format, WriteMode mode) {
  if (mode != WriteMode::kCreateNew && mode != WriteMode::kReplace)
    throw EngineError("Cannot create " + path + ": unsupported write mode " +
                      std::to_string(static_cast<int>(mode)));
  Close();
  std::unique_ptr<EncoderBackend> backend = impl_->MakeBackend(path, format);
  CheckOutputFolder(path);
  if (mode == WriteMode::kReplace) {
    impl_->writer = std::make_unique<AudioWriter>(std::move(backend), path, impl_->source);
    return;
  }
  ClaimNewFile(path);
  try {
    impl_->writer = std::make_unique<AudioWriter>(std::move(backend), path, impl_->source);
  } catch (...) {
    unlink(path.c_str());  // the empty file is ours; leave nothing behind
    throw;
  }
}

void TAudioFile2::WriteBlock(const ByteBlock& block) {
  if (!impl_->writer) throw EngineError("Cannot write: no output file is open");
  if (!block.empty()) impl_->writer->Write(block.data(), block.size());
}
