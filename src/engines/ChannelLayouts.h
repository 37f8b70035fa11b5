// FFmpeg's channel layout calls for the layouts plain files have (a speaker mask, or a bare
// channel count), done here with FFmpeg's exact results, so that handing PCM on unchanged never
// opens FFmpeg (see FfmpegLibraries). Other layouts go to FFmpeg.
#pragma once

#include <cstdint>

extern "C" {
#include <libavutil/channel_layout.h>
}

// The layout of a speaker mask (not 0), as av_channel_layout_from_mask gives it.
AVChannelLayout LayoutFromMask(uint64_t mask);
// The layout FFmpeg assumes for a bare channel count (av_channel_layout_default).
AVChannelLayout DefaultLayout(int channels);
// av_channel_layout_compare(a, b) == 0.
bool SameLayout(const AVChannelLayout& a, const AVChannelLayout& b);
// av_channel_layout_copy: `to` is released first. Returns FFmpeg's error code, or 0.
int CopyLayout(AVChannelLayout& to, const AVChannelLayout& from);
// av_channel_layout_uninit.
void ReleaseLayout(AVChannelLayout& layout);
