// Owners for the C library handles the engine holds: each one frees its handle with the
// library's own call, so no class of ours needs a hand-written release path.
#pragma once

#include <cstdio>
#include <memory>

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>
#include <lame/lame.h>
#include <opusenc.h>
#include <vorbis/codec.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include "base/StdioFile.h"

struct AvInputCloser {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
// An output context also owns the file its muxer opened.
struct AvOutputCloser {
  void operator()(AVFormatContext* c) const {
    if (c->pb) avio_closep(&c->pb);
    avformat_free_context(c);
  }
};
struct AvCodecFreer {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct AvPacketFreer {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct AvFrameFreer {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct SwrFreer {
  void operator()(SwrContext* s) const { swr_free(&s); }
};
struct LameCloser {
  void operator()(lame_global_flags* l) const { lame_close(l); }
};
struct FlacEncoderDeleter {
  void operator()(FLAC__StreamEncoder* e) const { FLAC__stream_encoder_delete(e); }
};
struct FlacMetadataDeleter {
  void operator()(FLAC__StreamMetadata* m) const { FLAC__metadata_object_delete(m); }
};
struct OpusEncoderDestroyer {
  void operator()(OggOpusEnc* e) const { ope_encoder_destroy(e); }
};
struct OpusCommentsDestroyer {
  void operator()(OggOpusComments* c) const { ope_comments_destroy(c); }
};

using AvInput = std::unique_ptr<AVFormatContext, AvInputCloser>;
using AvOutput = std::unique_ptr<AVFormatContext, AvOutputCloser>;
using AvCodec = std::unique_ptr<AVCodecContext, AvCodecFreer>;
using AvPacket = std::unique_ptr<AVPacket, AvPacketFreer>;
using AvFrame = std::unique_ptr<AVFrame, AvFrameFreer>;
using SwrHandle = std::unique_ptr<SwrContext, SwrFreer>;
using LameHandle = std::unique_ptr<lame_global_flags, LameCloser>;
using FileHandle = StdioFile;
using FlacEncoderHandle = std::unique_ptr<FLAC__StreamEncoder, FlacEncoderDeleter>;
using FlacMetadataHandle = std::unique_ptr<FLAC__StreamMetadata, FlacMetadataDeleter>;
using OpusEncoderHandle = std::unique_ptr<OggOpusEnc, OpusEncoderDestroyer>;
using OpusCommentsHandle = std::unique_ptr<OggOpusComments, OpusCommentsDestroyer>;

// libvorbis and libogg keep their state in structs the caller allocates and initialises in
// place; these heap-held wrappers pair each init with its clear.
struct VorbisInfo {
  VorbisInfo() { vorbis_info_init(&info); }
  ~VorbisInfo() { vorbis_info_clear(&info); }
  VorbisInfo(const VorbisInfo&) = delete;
  VorbisInfo& operator=(const VorbisInfo&) = delete;
  vorbis_info info{};
};
// The analysis state and its block; both need an initialised vorbis_info, which must outlive
// them. Construction fails (with the library's code) only when the info is unusable.
struct VorbisAnalysis {
  explicit VorbisAnalysis(vorbis_info* info) {
    initResult = vorbis_analysis_init(&dsp, info);
    if (initResult == 0) vorbis_block_init(&dsp, &block);
  }
  ~VorbisAnalysis() {
    if (initResult != 0) return;
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
  }
  VorbisAnalysis(const VorbisAnalysis&) = delete;
  VorbisAnalysis& operator=(const VorbisAnalysis&) = delete;
  vorbis_dsp_state dsp{};
  vorbis_block block{};
  int initResult = -1;
};
struct OggStream {
  explicit OggStream(int serial) { initResult = ogg_stream_init(&stream, serial); }
  ~OggStream() {
    if (initResult == 0) ogg_stream_clear(&stream);
  }
  OggStream(const OggStream&) = delete;
  OggStream& operator=(const OggStream&) = delete;
  ogg_stream_state stream{};
  int initResult = -1;
};
struct VorbisComment {
  VorbisComment() { vorbis_comment_init(&comment); }
  ~VorbisComment() { vorbis_comment_clear(&comment); }
  VorbisComment(const VorbisComment&) = delete;
  VorbisComment& operator=(const VorbisComment&) = delete;
  vorbis_comment comment{};
};
