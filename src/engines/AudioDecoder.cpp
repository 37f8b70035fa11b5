#include "engines/AudioDecoder.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <sys/stat.h>

#include "engines/AvErrorText.h"
#include "engines/DemuxerChoice.h"
#include "engines/EngineError.h"
#include "engines/LengthCorrection.h"
#include "engines/OggChains.h"
#include "engines/SourceEndCheck.h"
#include "engines/SourceLimits.h"
#include "engines/WavHeaderCheck.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

namespace {

constexpr int64_t kWavCodecProbeBytes = 4096;

// A file that yields this many damaged packets in a row with no good one between is garbage.
constexpr int kMaxConsecutiveErrors = 500;

void SilenceFfmpegLog() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

bool IsContainer(const AVFormatContext& format, const char* name) {
  return std::strcmp(format.iformat->name, name) == 0;
}

// Files that FFmpeg cannot open because there is nothing in them past the headers.
bool HeadersWithoutAudio(const std::string& path) {
  const Mp3InfoCounts mp3 = ReadMp3InfoCounts(path);
  if (mp3.found && mp3.hasFrames && mp3.frames == 0) return true;
  const OggChains ogg = ScanOggChains(path, 48000);
  return ogg.chains > 0 && !ogg.anyAudio;
}

}  // namespace

AudioDecoder::AudioDecoder(const std::string& path, UnknownLength unknownLength) : path_(path) {
  SilenceFfmpegLog();
  OpenContainer();
  OpenCodec();
  ReadHeaderFacts();
  packet_.reset(av_packet_alloc());
  frame_.reset(av_frame_alloc());
  if (!packet_ || !frame_) Fail("open", AVERROR(ENOMEM));
  if (lengthFrames_ == 0 && unknownLength == UnknownLength::kCount) lengthFrames_ = CountFrames();
}

// A second decoder over the same file, so this one still starts at the beginning.
int64_t AudioDecoder::CountFrames() const {
  try {
    AudioDecoder counter(path_, UnknownLength::kLeaveZero);
    int64_t frames = 0;
    while (const AVFrame* frame = counter.NextFrame())
      frames += frame->sample_rate > 0 && frame->sample_rate != sampleRate_
                    ? av_rescale(frame->nb_samples, sampleRate_, frame->sample_rate)
                    : frame->nb_samples;
    return frames;
  } catch (const EngineError&) {
    return 0;  // this decoder's own reading reports the damage
  }
}

void AudioDecoder::Fail(const std::string& verb, const std::string& reason) const {
  throw EngineError("Cannot " + verb + " " + path_ + ": " + reason);
}

void AudioDecoder::Fail(const std::string& verb, int avError) const { Fail(verb, AvErrorText(avError)); }

void AudioDecoder::FailUnreadable(int avError) const {
  if (HeadersWithoutAudio(path_)) Fail("open", "the file has no audio");
  if (avError == AVERROR(EINVAL) || avError == AVERROR_INVALIDDATA)
    Fail("open", "not an audio file the converter can read");
  Fail("open", avError);
}

void AudioDecoder::OpenContainer() {
  struct stat info {};
  if (stat(path_.c_str(), &info) != 0) Fail("open", std::strerror(errno));
  if (S_ISDIR(info.st_mode)) Fail("open", "it is a folder, not an audio file");
  if (!S_ISREG(info.st_mode)) Fail("open", "not a regular file");
  if (info.st_size == 0) Fail("open", "the file is empty");

  // The demuxer the file names is nearly always right; when it is not, FFmpeg looks.
  const AVInputFormat* named = NamedDemuxer(path_);
  int rc = named ? OpenWith(named) : AVERROR_DEMUXER_NOT_FOUND;
  if (rc < 0) rc = OpenWith(nullptr);
  if (rc < 0) FailUnreadable(rc);
}

int AudioDecoder::OpenWith(const AVInputFormat* demuxer) {
  format_.reset();
  AVDictionary* options = nullptr;
  av_dict_set(&options, "format_whitelist", AcceptedDemuxers(), 0);
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  AVFormatContext* opened = avformat_alloc_context();
  if (opened == nullptr) {
    av_dict_free(&options);
    return AVERROR(ENOMEM);
  }
  // FFmpeg parses an MP3's ID3v2 tag whole and treats its pictures as video streams to probe,
  // which costs more than the rest of opening a short file with a cover. The tag readers have
  // the tags already: the demuxer starts after the tag. (Set on the context itself: as an
  // option it would be looked up by name and parsed as an expression.)
  if (demuxer != nullptr && std::strcmp(demuxer->name, "mp3") == 0) opened->skip_initial_bytes = LeadingId3v2Size(path_);
  // The "file:" prefix keeps a name containing ':' from being taken for another protocol.
  // On failure FFmpeg frees the context it was given.
  int rc = avformat_open_input(&opened, ("file:" + path_).c_str(), demuxer, &options);
  av_dict_free(&options);
  if (rc < 0) return rc;
  format_.reset(opened);
  wavEndsEarly_ = IsContainer(*format_, "wav") && CheckWavHeader(path_);
  // FFmpeg looks through the first packets of 16-bit PCM in a WAV for another codec disguised
  // as PCM, asking every demuxer each time the data doubles: most of the time a short WAV
  // takes to open. The WAV header already says all else, so one packet's look is enough.
  if (IsContainer(*format_, "wav")) format_->probesize = kWavCodecProbeBytes;
  rc = avformat_find_stream_info(format_.get(), nullptr);
  if (rc >= 0 && av_find_best_stream(format_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) < 0 &&
      demuxer)
    rc = AVERROR_STREAM_NOT_FOUND;  // perhaps the wrong demuxer: let FFmpeg look
  return rc;
}

void AudioDecoder::OpenCodec() {
  streamIndex_ = av_find_best_stream(format_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (streamIndex_ < 0) Fail("open", "the file has no audio stream");
  for (unsigned i = 0; i < format_->nb_streams; ++i)
    if (static_cast<int>(i) != streamIndex_) format_->streams[i]->discard = AVDISCARD_ALL;

  const AVStream* stream = format_->streams[streamIndex_];
  const AVCodecParameters* params = stream->codecpar;
  const AVCodec* decoder = avcodec_find_decoder(params->codec_id);
  if (!decoder)
    Fail("open", std::string("no decoder for its audio encoding ") + avcodec_get_name(params->codec_id));
  codec_.reset(avcodec_alloc_context3(decoder));
  if (!codec_) Fail("open", AVERROR(ENOMEM));
  int rc = avcodec_parameters_to_context(codec_.get(), params);
  if (rc < 0) Fail("open", rc);
  codec_->pkt_timebase = stream->time_base;
  rc = avcodec_open2(codec_.get(), decoder, nullptr);
  if (rc < 0) Fail("open", rc);

  sampleRate_ = codec_->sample_rate;
  channels_ = codec_->ch_layout.nb_channels;
  if (sampleRate_ <= 0 || channels_ <= 0)
    Fail("open", "the audio stream has no valid sample rate or channel count");
  if (sampleRate_ < kMinSourceRate || sampleRate_ > kMaxSourceRate)
    Fail("open", "its sample rate of " + std::to_string(sampleRate_) + " Hz is outside the " +
                     std::to_string(kMinSourceRate) + " to " + std::to_string(kMaxSourceRate) +
                     " Hz the converter works with");
}

SourcePrecision AudioDecoder::Precision() const {
  const AVCodecDescriptor* codec = avcodec_descriptor_get(codec_->codec_id);
  if (!codec || !(codec->props & AV_CODEC_PROP_LOSSLESS)) return SourcePrecision::k16BitsOrLess;
  switch (av_get_packed_sample_fmt(codec_->sample_fmt)) {
    case AV_SAMPLE_FMT_FLT:
    case AV_SAMPLE_FMT_DBL:
      return SourcePrecision::kFloat;
    case AV_SAMPLE_FMT_S32:
    case AV_SAMPLE_FMT_S64:
      // Decoders hand out 17 to 24-bit audio in 32-bit words; bits_per_raw_sample tells.
      return codec_->bits_per_raw_sample > 0 && codec_->bits_per_raw_sample <= 16
                 ? SourcePrecision::k16BitsOrLess
                 : SourcePrecision::kWideInteger;
    default:
      return SourcePrecision::k16BitsOrLess;
  }
}

void AudioDecoder::ReadHeaderFacts() {
  const AVStream* stream = format_->streams[streamIndex_];
  if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
    lengthFrames_ = av_rescale_q(stream->duration, stream->time_base, AVRational{1, sampleRate_});
  else if (format_->duration != AV_NOPTS_VALUE && format_->duration > 0)
    lengthFrames_ = av_rescale(format_->duration, sampleRate_, AV_TIME_BASE);
  if (lengthFrames_ > 0) lengthFrames_ -= DecoderShortfall(path_, *stream->codecpar);
  if (lengthFrames_ < 0) lengthFrames_ = 0;

  endsEarly_ = wavEndsEarly_;
  if (IsContainer(*format_, "ogg")) {
    const OggChains chains = ScanOggChains(path_, sampleRate_);
    if (chains.chains > 0) {
      lengthFrames_ = chains.frames;
      endsEarly_ = !chains.ended && chains.nextCodec.empty();
    }
    if (!chains.nextCodec.empty()) {
      codecChange_ = chains.codec + " to " + chains.nextCodec;
      stopAt_ = chains.codecChangeAt;
    }
  } else if (IsContainer(*format_, "mp3")) {
    endsEarly_ = Mp3EndsEarly(path_);
  } else if (IsContainer(*format_, "asf")) {
    endsEarly_ = AsfEndsEarly(path_);
  }
}

const AVFrame* AudioDecoder::NextFrame() {
  while (!finished_) {
    int rc = avcodec_receive_frame(codec_.get(), frame_.get());
    if (rc >= 0) {
      if (frame_->nb_samples <= 0) continue;
      consecutiveErrors_ = 0;
      ++framesDecoded_;
      return frame_.get();
    }
    if (rc == AVERROR_EOF) {
      finished_ = true;
    } else if (rc == AVERROR(EAGAIN)) {
      if (!FeedDecoder()) finished_ = true;
    } else {
      NoteDamage(rc);
    }
  }
  // Nothing but damage: the reader asks for the first frame while opening.
  if (framesDecoded_ == 0 && lastError_ != 0)
    Fail("open", "the file has no audio that decodes (" + AvErrorText(lastError_) + ")");
  return nullptr;
}

// Sends the next packet of our stream (or the end-of-input flush) to the decoder.
// False when the decoder has nothing left to be fed.
bool AudioDecoder::FeedDecoder() {
  if (inputDrained_) return false;
  int rc = av_read_frame(format_.get(), packet_.get());
  if (rc == AVERROR(EAGAIN)) {
    NoteDamage(rc);
    return true;
  }
  if (rc >= 0 && stopAt_ >= 0 && packet_->pos >= stopAt_) {
    av_packet_unref(packet_.get());
    rc = AVERROR_EOF;
  }
  if (rc < 0) {
    // A read error is where a cut-off or damaged file ends: the audio before it is the source.
    // With none before it, NextFrame refuses the file.
    if (rc != AVERROR_EOF) {
      lastError_ = rc;
      if (stopAt_ < 0) endsEarly_ = true;  // the codec change is the end there
    }
    inputDrained_ = true;
    avcodec_send_packet(codec_.get(), nullptr);
    return true;
  }
  if (packet_->stream_index == streamIndex_) {
    rc = avcodec_send_packet(codec_.get(), packet_.get());
    if (rc < 0 && rc != AVERROR(EAGAIN)) NoteDamage(rc);
  }
  av_packet_unref(packet_.get());
  return true;
}

void AudioDecoder::NoteDamage(int avError) {
  lastError_ = avError;
  if (++consecutiveErrors_ <= kMaxConsecutiveErrors) return;
  if (framesDecoded_ == 0) Fail("decode", avError);
  // Garbage after good audio: the source ends there.
  endsEarly_ = true;
  finished_ = true;
}
