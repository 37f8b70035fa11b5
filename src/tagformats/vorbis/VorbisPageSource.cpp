#include "tagformats/vorbis/VorbisPageSource.h"

VorbisPageSource::VorbisPageSource(VorbisByteReader read) : read_(std::move(read)) {
  ogg_sync_init(&sync_);
}

VorbisPageSource::~VorbisPageSource() { ogg_sync_clear(&sync_); }

VorbisPageSource::Result VorbisPageSource::Next(ogg_page& page) {
  for (;;) {
    int found = ogg_sync_pageout(&sync_, &page);
    if (found > 0) return Result::Page;
    if (found < 0) return Result::Hole;
    if (exhausted_) return Result::End;
    char* buffer = ogg_sync_buffer(&sync_, kChunk);
    size_t got = buffer ? read_(buffer, kChunk) : 0;
    if (got == 0 || got > static_cast<size_t>(kChunk)) {
      exhausted_ = true;
      continue;
    }
    ogg_sync_wrote(&sync_, static_cast<long>(got));
  }
}

bool VorbisPageSource::EndedMidPage() const { return sync_.fill > sync_.returned; }
