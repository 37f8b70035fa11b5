// FFmpeg's functions the engine calls, defined here with the signatures of FFmpeg's headers
// (the compiler checks each against its declaration) and forwarded to the libraries, which
// FfmpegLibraries opens on the first call. The definitions are hidden, so they never stand in
// for FFmpeg's own inside FFmpeg.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include "engines/FfmpegLibraries.h"

// Looked up once, as the function's own type.
#define VELMORA_FORWARD(name, ...)                                        \
  static const auto forwarded = FfmpegFunction<decltype(&::name)>(#name); \
  return forwarded(__VA_ARGS__)

extern "C" {

int av_channel_layout_compare(const AVChannelLayout* chl, const AVChannelLayout* chl1) {
  VELMORA_FORWARD(av_channel_layout_compare, chl, chl1);
}

int av_channel_layout_copy(AVChannelLayout* dst, const AVChannelLayout* src) {
  VELMORA_FORWARD(av_channel_layout_copy, dst, src);
}

void av_channel_layout_default(AVChannelLayout* ch_layout, int nb_channels) {
  VELMORA_FORWARD(av_channel_layout_default, ch_layout, nb_channels);
}

int av_channel_layout_from_mask(AVChannelLayout* channel_layout, uint64_t mask) {
  VELMORA_FORWARD(av_channel_layout_from_mask, channel_layout, mask);
}

void av_channel_layout_uninit(AVChannelLayout* channel_layout) {
  VELMORA_FORWARD(av_channel_layout_uninit, channel_layout);
}

const AVInputFormat* av_demuxer_iterate(void** opaque) {
  VELMORA_FORWARD(av_demuxer_iterate, opaque);
}

void av_dict_free(AVDictionary** m) { VELMORA_FORWARD(av_dict_free, m); }

int av_dict_set(AVDictionary** pm, const char* key, const char* value, int flags) {
  VELMORA_FORWARD(av_dict_set, pm, key, value, flags);
}

int av_dict_set_int(AVDictionary** pm, const char* key, int64_t value, int flags) {
  VELMORA_FORWARD(av_dict_set_int, pm, key, value, flags);
}

int av_find_best_stream(AVFormatContext* ic, enum AVMediaType type, int wanted_stream_nb,
                        int related_stream, const AVCodec** decoder_ret, int flags) {
  VELMORA_FORWARD(av_find_best_stream, ic, type, wanted_stream_nb, related_stream, decoder_ret,
                  flags);
}

const AVInputFormat* av_find_input_format(const char* short_name) {
  VELMORA_FORWARD(av_find_input_format, short_name);
}

AVFrame* av_frame_alloc() { VELMORA_FORWARD(av_frame_alloc); }

void av_frame_free(AVFrame** frame) { VELMORA_FORWARD(av_frame_free, frame); }

int av_frame_get_buffer(AVFrame* frame, int align) {
  VELMORA_FORWARD(av_frame_get_buffer, frame, align);
}

int av_frame_make_writable(AVFrame* frame) { VELMORA_FORWARD(av_frame_make_writable, frame); }

void av_frame_unref(AVFrame* frame) { VELMORA_FORWARD(av_frame_unref, frame); }

enum AVSampleFormat av_get_packed_sample_fmt(enum AVSampleFormat sample_fmt) {
  VELMORA_FORWARD(av_get_packed_sample_fmt, sample_fmt);
}

int av_interleaved_write_frame(AVFormatContext* s, AVPacket* pkt) {
  VELMORA_FORWARD(av_interleaved_write_frame, s, pkt);
}

void av_log_set_level(int level) { VELMORA_FORWARD(av_log_set_level, level); }

int av_opt_set_int(void* obj, const char* name, int64_t val, int search_flags) {
  VELMORA_FORWARD(av_opt_set_int, obj, name, val, search_flags);
}

int av_opt_set_sample_fmt(void* obj, const char* name, enum AVSampleFormat fmt, int search_flags) {
  VELMORA_FORWARD(av_opt_set_sample_fmt, obj, name, fmt, search_flags);
}

AVPacket* av_packet_alloc() { VELMORA_FORWARD(av_packet_alloc); }

void av_packet_free(AVPacket** pkt) { VELMORA_FORWARD(av_packet_free, pkt); }

void av_packet_rescale_ts(AVPacket* pkt, AVRational tb_src, AVRational tb_dst) {
  VELMORA_FORWARD(av_packet_rescale_ts, pkt, tb_src, tb_dst);
}

void av_packet_unref(AVPacket* pkt) { VELMORA_FORWARD(av_packet_unref, pkt); }

int av_read_frame(AVFormatContext* s, AVPacket* pkt) { VELMORA_FORWARD(av_read_frame, s, pkt); }

int64_t av_rescale(int64_t a, int64_t b, int64_t c) { VELMORA_FORWARD(av_rescale, a, b, c); }

int64_t av_rescale_q(int64_t a, AVRational bq, AVRational cq) {
  VELMORA_FORWARD(av_rescale_q, a, bq, cq);
}

int av_strerror(int errnum, char* errbuf, size_t errbuf_size) {
  VELMORA_FORWARD(av_strerror, errnum, errbuf, errbuf_size);
}

int av_write_trailer(AVFormatContext* s) { VELMORA_FORWARD(av_write_trailer, s); }

AVCodecContext* avcodec_alloc_context3(const AVCodec* codec) {
  VELMORA_FORWARD(avcodec_alloc_context3, codec);
}

const AVCodecDescriptor* avcodec_descriptor_get(enum AVCodecID id) {
  VELMORA_FORWARD(avcodec_descriptor_get, id);
}

const AVCodec* avcodec_find_decoder(enum AVCodecID id) {
  VELMORA_FORWARD(avcodec_find_decoder, id);
}

const AVCodec* avcodec_find_encoder(enum AVCodecID id) {
  VELMORA_FORWARD(avcodec_find_encoder, id);
}

const AVCodec* avcodec_find_encoder_by_name(const char* name) {
  VELMORA_FORWARD(avcodec_find_encoder_by_name, name);
}

void avcodec_free_context(AVCodecContext** avctx) {
  VELMORA_FORWARD(avcodec_free_context, avctx);
}

const char* avcodec_get_name(enum AVCodecID id) { VELMORA_FORWARD(avcodec_get_name, id); }

int avcodec_open2(AVCodecContext* avctx, const AVCodec* codec, AVDictionary** options) {
  VELMORA_FORWARD(avcodec_open2, avctx, codec, options);
}

int avcodec_parameters_from_context(AVCodecParameters* par, const AVCodecContext* codec) {
  VELMORA_FORWARD(avcodec_parameters_from_context, par, codec);
}

int avcodec_parameters_to_context(AVCodecContext* codec, const AVCodecParameters* par) {
  VELMORA_FORWARD(avcodec_parameters_to_context, codec, par);
}

int avcodec_receive_frame(AVCodecContext* avctx, AVFrame* frame) {
  VELMORA_FORWARD(avcodec_receive_frame, avctx, frame);
}

int avcodec_receive_packet(AVCodecContext* avctx, AVPacket* avpkt) {
  VELMORA_FORWARD(avcodec_receive_packet, avctx, avpkt);
}

int avcodec_send_frame(AVCodecContext* avctx, const AVFrame* frame) {
  VELMORA_FORWARD(avcodec_send_frame, avctx, frame);
}

int avcodec_send_packet(AVCodecContext* avctx, const AVPacket* avpkt) {
  VELMORA_FORWARD(avcodec_send_packet, avctx, avpkt);
}

int avformat_alloc_output_context2(AVFormatContext** ctx, const AVOutputFormat* oformat,
                                   const char* format_name, const char* filename) {
  VELMORA_FORWARD(avformat_alloc_output_context2, ctx, oformat, format_name, filename);
}

AVFormatContext* avformat_alloc_context(void) { VELMORA_FORWARD(avformat_alloc_context); }

void avformat_close_input(AVFormatContext** s) { VELMORA_FORWARD(avformat_close_input, s); }

int avformat_find_stream_info(AVFormatContext* ic, AVDictionary** options) {
  VELMORA_FORWARD(avformat_find_stream_info, ic, options);
}

void avformat_free_context(AVFormatContext* s) { VELMORA_FORWARD(avformat_free_context, s); }

AVStream* avformat_new_stream(AVFormatContext* s, const AVCodec* c) {
  VELMORA_FORWARD(avformat_new_stream, s, c);
}

int avformat_open_input(AVFormatContext** ps, const char* url, const AVInputFormat* fmt,
                        AVDictionary** options) {
  VELMORA_FORWARD(avformat_open_input, ps, url, fmt, options);
}

int avformat_write_header(AVFormatContext* s, AVDictionary** options) {
  VELMORA_FORWARD(avformat_write_header, s, options);
}

int avio_closep(AVIOContext** s) { VELMORA_FORWARD(avio_closep, s); }

int avio_open2(AVIOContext** s, const char* url, int flags, const AVIOInterruptCB* int_cb, AVDictionary** options) {
  VELMORA_FORWARD(avio_open2, s, url, flags, int_cb, options);
}

int swr_alloc_set_opts2(struct SwrContext** ps, AVChannelLayout* out_ch_layout,
                        enum AVSampleFormat out_sample_fmt, int out_sample_rate,
                        AVChannelLayout* in_ch_layout, enum AVSampleFormat in_sample_fmt,
                        int in_sample_rate, int log_offset, void* log_ctx) {
  VELMORA_FORWARD(swr_alloc_set_opts2, ps, out_ch_layout, out_sample_fmt, out_sample_rate,
                  in_ch_layout, in_sample_fmt, in_sample_rate, log_offset, log_ctx);
}

int swr_convert(struct SwrContext* s, uint8_t** out, int out_count, const uint8_t** in,
                int in_count) {
  VELMORA_FORWARD(swr_convert, s, out, out_count, in, in_count);
}

void swr_free(struct SwrContext** s) { VELMORA_FORWARD(swr_free, s); }

int swr_get_out_samples(struct SwrContext* s, int in_samples) {
  VELMORA_FORWARD(swr_get_out_samples, s, in_samples);
}

int swr_init(struct SwrContext* s) { VELMORA_FORWARD(swr_init, s); }

int swr_set_matrix(struct SwrContext* s, const double* matrix, int stride) {
  VELMORA_FORWARD(swr_set_matrix, s, matrix, stride);
}

}  // extern "C"
