#include "engines/AudioDecoder.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <sys/stat.h>

#include "engines/AvErrorText.h"
#include "engines/EngineError.h"
#include "engines/LengthCorrection.h"
#include "engines/WavHeaderCheck.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

namespace {

// Demuxers we let FFmpeg pick from: the four source types, and nothing that could make it
// open further files (playlists, concat lists).
constexpr const char* kAcceptedContainers = "mp3,wav,ogg,asf";

// A file that yields this many damaged packets in a row with no good one between is garbage.
constexpr int kMaxConsecutiveErrors = 500;

bool IsAcceptedCodec(AVCodecID id) {
  switch (id) {
    case AV_CODEC_ID_MP1:
    case AV_CODEC_ID_MP2:
    case AV_CODEC_ID_MP3:
    case AV_CODEC_ID_VORBIS:
    case AV_CODEC_ID_WMAV1:
    case AV_CODEC_ID_WMAV2:
      return true;
    default:  // every PCM flavour a WAV can carry
      return id >= AV_CODEC_ID_PCM_S16LE && id < AV_CODEC_ID_ADPCM_IMA_QT;
  }
}

void SilenceFfmpegLog() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

}  // namespace

AudioDecoder::AudioDecoder(const std::string& path) : path_(path) {
  SilenceFfmpegLog();
  try {
    OpenContainer();
    OpenCodec();
    ComputeLength();
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (!packet_ || !frame_) Fail("open", AVERROR(ENOMEM));
  } catch (...) {
    Release();
    throw;
  }
}

AudioDecoder::~AudioDecoder() { Release(); }

void AudioDecoder::Release() {
  av_frame_free(&frame_);
  av_packet_free(&packet_);
  avcodec_free_context(&codec_);
  avformat_close_input(&format_);
}

void AudioDecoder::Fail(const std::string& verb, const std::string& reason) const {
  throw EngineError("Cannot " + verb + " " + path_ + ": " + reason);
}

void AudioDecoder::Fail(const std::string& verb, int avError) const { Fail(verb, AvErrorText(avError)); }

void AudioDecoder::OpenContainer() {
  struct stat info {};
  if (stat(path_.c_str(), &info) != 0) Fail("open", std::strerror(errno));
  if (S_ISDIR(info.st_mode)) Fail("open", "it is a folder, not an audio file");
  if (!S_ISREG(info.st_mode)) Fail("open", "not a regular file");
  if (info.st_size == 0) Fail("open", "the file is empty");

  AVDictionary* options = nullptr;
  av_dict_set(&options, "format_whitelist", kAcceptedContainers, 0);
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  // The "file:" prefix keeps a name containing ':' from being taken for another protocol.
  int rc = avformat_open_input(&format_, ("file:" + path_).c_str(), nullptr, &options);
  av_dict_free(&options);
  if (rc == AVERROR(EINVAL)) Fail("open", "not an MP3, WAV, WMA or OGG file");
  if (rc < 0) Fail("open", rc);
  if (std::strcmp(format_->iformat->name, "wav") == 0) CheckWavHeader(path_);
  rc = avformat_find_stream_info(format_, nullptr);
  if (rc < 0) Fail("open", rc);
}

void AudioDecoder::OpenCodec() {
  streamIndex_ = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (streamIndex_ < 0) Fail("open", "the file has no audio stream");
  for (unsigned i = 0; i < format_->nb_streams; ++i)
    if (static_cast<int>(i) != streamIndex_) format_->streams[i]->discard = AVDISCARD_ALL;

  const AVStream* stream = format_->streams[streamIndex_];
  const AVCodecParameters* params = stream->codecpar;
  if (!IsAcceptedCodec(params->codec_id))
    Fail("open", std::string("unsupported audio encoding ") + avcodec_get_name(params->codec_id) +
                     " (expected MP3, PCM, WMA or Vorbis)");
  const AVCodec* decoder = avcodec_find_decoder(params->codec_id);
  if (!decoder) Fail("open", std::string("no decoder for ") + avcodec_get_name(params->codec_id));
  codec_ = avcodec_alloc_context3(decoder);
  if (!codec_) Fail("open", AVERROR(ENOMEM));
  int rc = avcodec_parameters_to_context(codec_, params);
  if (rc < 0) Fail("open", rc);
  codec_->pkt_timebase = stream->time_base;
  rc = avcodec_open2(codec_, decoder, nullptr);
  if (rc < 0) Fail("open", rc);

  sampleRate_ = codec_->sample_rate;
  channels_ = codec_->ch_layout.nb_channels;
  if (sampleRate_ <= 0 || sampleRate_ > 768000 || channels_ <= 0)
    Fail("open", "the audio stream has no valid sample rate or channel count");
}

void AudioDecoder::ComputeLength() {
  const AVStream* stream = format_->streams[streamIndex_];
  if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
    lengthFrames_ = av_rescale_q(stream->duration, stream->time_base, AVRational{1, sampleRate_});
  else if (format_->duration != AV_NOPTS_VALUE && format_->duration > 0)
    lengthFrames_ = av_rescale(format_->duration, sampleRate_, AV_TIME_BASE);
  if (lengthFrames_ > 0) lengthFrames_ -= DecoderShortfall(path_, *stream->codecpar);
  if (lengthFrames_ < 0) lengthFrames_ = 0;
}

const AVFrame* AudioDecoder::NextFrame() {
  while (!finished_) {
    int rc = avcodec_receive_frame(codec_, frame_);
    if (rc >= 0) {
      if (frame_->nb_samples <= 0) continue;
      consecutiveErrors_ = 0;
      ++framesDecoded_;
      return frame_;
    }
    if (rc == AVERROR_EOF) {
      finished_ = true;
    } else if (rc == AVERROR(EAGAIN)) {
      if (!FeedDecoder()) finished_ = true;
    } else {
      NoteDamage(rc);
    }
  }
  if (framesDecoded_ == 0 && lastError_ != 0) Fail("decode", lastError_);
  return nullptr;
}

// Sends the next packet of our stream (or the end-of-input flush) to the decoder.
// False when the decoder has nothing left to be fed.
bool AudioDecoder::FeedDecoder() {
  if (inputDrained_) return false;
  int rc = av_read_frame(format_, packet_);
  if (rc == AVERROR_EOF || rc == AVERROR_INVALIDDATA) {
    // A cut-off file ends where its last whole packet ends.
    if (rc == AVERROR_INVALIDDATA) lastError_ = rc;
    inputDrained_ = true;
    avcodec_send_packet(codec_, nullptr);
    return true;
  }
  if (rc == AVERROR(EAGAIN)) {
    NoteDamage(rc);
    return true;
  }
  if (rc < 0) Fail("read", rc);
  if (packet_->stream_index == streamIndex_) {
    rc = avcodec_send_packet(codec_, packet_);
    if (rc < 0 && rc != AVERROR(EAGAIN)) NoteDamage(rc);
  }
  av_packet_unref(packet_);
  return true;
}

void AudioDecoder::NoteDamage(int avError) {
  lastError_ = avError;
  if (++consecutiveErrors_ > kMaxConsecutiveErrors) Fail("decode", avError);
}
