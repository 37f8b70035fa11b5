#include "engines/PcmWavSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "engines/ChannelLayouts.h"

namespace {

// Per frame handed out. The first is small: opening only checks that there is audio, and
// listing a file opens it and no more.
constexpr size_t kFirstReadBytes = 4096;
constexpr size_t kReadBytes = 1 << 16;

AVSampleFormat DecodedFormat(PcmWavSamples samples) {
  switch (samples) {
    case PcmWavSamples::kU8: return AV_SAMPLE_FMT_U8;
    case PcmWavSamples::kS16: return AV_SAMPLE_FMT_S16;
    case PcmWavSamples::kS24:
    case PcmWavSamples::kS32: return AV_SAMPLE_FMT_S32;
    case PcmWavSamples::kF32: return AV_SAMPLE_FMT_FLT;
    case PcmWavSamples::kF64: return AV_SAMPLE_FMT_DBL;
  }
  return AV_SAMPLE_FMT_NONE;
}

// FFmpeg takes a plain header's channels in no particular order, an extensible one's by its
// speaker mask.
AVChannelLayout Layout(const PcmWavLayout& wav) {
  if (wav.channelMask != 0) return LayoutFromMask(wav.channelMask);
  AVChannelLayout layout{};
  layout.order = AV_CHANNEL_ORDER_UNSPEC;
  layout.nb_channels = wav.channels;
  return layout;
}

}  // namespace

std::unique_ptr<PcmWavSource> PcmWavSource::Open(const std::string& path) {
  // The samples are handed out as stored, which is FFmpeg's order only on a little-endian host.
  if constexpr (__BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__) return nullptr;
  // Only a regular file is opened: opening a FIFO would wait for a writer, and a device may
  // act on being opened. The second look guards against a swap in between.
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!file.valid() || fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  const std::optional<PcmWavLayout> layout = ReadPcmWavHeader(file.get(), info.st_size);
  if (!layout) return nullptr;
  return std::make_unique<PcmWavSource>(std::move(file), *layout);
}

// The frame is our own, not av_frame_alloc's: only the fields a frame's reader looks at.
PcmWavSource::PcmWavSource(FileDescriptor file, const PcmWavLayout& layout)
    : file_(std::move(file)), layout_(layout) {
  frame_.format = DecodedFormat(layout.samples);
  frame_.sample_rate = layout.sampleRate;
  frame_.ch_layout = Layout(layout);
  frame_.extended_data = frame_.data;
}

SourcePrecision PcmWavSource::Precision() const {
  switch (layout_.samples) {
    case PcmWavSamples::kU8:
    case PcmWavSamples::kS16: return SourcePrecision::k16BitsOrLess;
    case PcmWavSamples::kS24:
    case PcmWavSamples::kS32: return SourcePrecision::kWideInteger;
    case PcmWavSamples::kF32:
    case PcmWavSamples::kF64: break;
  }
  return SourcePrecision::kFloat;
}

const AVFrame* PcmWavSource::NextFrame() {
  const size_t frames = ReadFrames();
  if (frames == 0) return nullptr;
  frame_.nb_samples = static_cast<int>(frames);
  frame_.data[0] = const_cast<uint8_t*>(Samples(frames));
  return &frame_;
}

// Whole frames into raw_, at most kReadBytes' worth; 0 at the end of the data.
size_t PcmWavSource::ReadFrames() {
  const int64_t left = layout_.Frames() - framesRead_;
  const size_t bytes = framesRead_ == 0 ? kFirstReadBytes : kReadBytes;
  const size_t want = static_cast<size_t>(std::min<int64_t>(
      left, static_cast<int64_t>(std::max<size_t>(bytes / layout_.blockAlign, 1))));
  if (want == 0 || endsEarly_) return 0;
  raw_.resize(want * layout_.blockAlign);
  const int64_t offset = layout_.dataOffset + framesRead_ * layout_.blockAlign;
  const size_t got = ReadAt(file_.get(), raw_.data(), raw_.size(), static_cast<uint64_t>(offset));
  // The file shrank, or reading failed, since the header was read: what came is the source.
  if (got < raw_.size()) endsEarly_ = true;
  const size_t frames = got / layout_.blockAlign;
  framesRead_ += static_cast<int64_t>(frames);
  return frames;
}

const uint8_t* PcmWavSource::Samples(size_t frames) {
  if (layout_.samples != PcmWavSamples::kS24) return raw_.data();
  const size_t count = frames * layout_.channels;
  widened_.resize(count);
  const uint8_t* in = raw_.data();
  for (size_t i = 0; i < count; ++i, in += 3)
    widened_[i] = static_cast<int32_t>(static_cast<uint32_t>(in[0]) << 8 |
                                       static_cast<uint32_t>(in[1]) << 16 |
                                       static_cast<uint32_t>(in[2]) << 24);
  return reinterpret_cast<const uint8_t*>(widened_.data());
}
