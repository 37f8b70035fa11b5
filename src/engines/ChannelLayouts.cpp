#include "engines/ChannelLayouts.h"

namespace {

bool Unspecified(const AVChannelLayout& layout) {
  return layout.order == AV_CHANNEL_ORDER_UNSPEC;
}

bool Plain(const AVChannelLayout& layout) {
  return layout.order == AV_CHANNEL_ORDER_NATIVE || Unspecified(layout);
}

}  // namespace

AVChannelLayout LayoutFromMask(uint64_t mask) {
  AVChannelLayout layout{};
  layout.order = AV_CHANNEL_ORDER_NATIVE;
  layout.nb_channels = __builtin_popcountll(mask);
  layout.u.mask = mask;
  return layout;
}

AVChannelLayout DefaultLayout(int channels) {
  if (channels == 1) return LayoutFromMask(AV_CH_LAYOUT_MONO);
  if (channels == 2) return LayoutFromMask(AV_CH_LAYOUT_STEREO);
  AVChannelLayout layout{};
  av_channel_layout_default(&layout, channels);
  return layout;
}

bool SameLayout(const AVChannelLayout& a, const AVChannelLayout& b) {
  if (!Plain(a) || !Plain(b)) return av_channel_layout_compare(&a, &b) == 0;
  if (a.nb_channels != b.nb_channels || Unspecified(a) != Unspecified(b)) return false;
  return Unspecified(a) || a.u.mask == b.u.mask;
}

int CopyLayout(AVChannelLayout& to, const AVChannelLayout& from) {
  if (!Plain(from) || !Plain(to)) return av_channel_layout_copy(&to, &from);
  to = from;
  return 0;
}

void ReleaseLayout(AVChannelLayout& layout) {
  if (!Plain(layout)) return av_channel_layout_uninit(&layout);
  layout = AVChannelLayout{};
}
