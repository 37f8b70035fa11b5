#include "tagformats/vorbis/VorbisPacketStream.h"

#include <algorithm>
#include <cstring>

namespace {

int SegmentCount(const ogg_page& page) { return page.header[26]; }
int LacingValue(const ogg_page& page, int segment) { return page.header[27 + segment]; }

[[noreturn]] void Fail(const char* text) { throw VorbisStreamError(text); }

}  // namespace

VorbisPacketStream::VorbisPacketStream(VorbisByteReader read, const OggStreamChoice& choose)
    : source_(std::move(read)) {
  if (source_.Next(page_) != VorbisPageSource::Result::Page) Fail("Input is not an Ogg bitstream");
  if (!ogg_page_bos(&page_)) Fail("Ogg bitstream does not start with a first page");
  // Every stream's first page comes before any other page, so the choice ends at the first
  // page that starts no stream.
  while (!choose(page_)) {
    const VorbisPageSource::Result next = source_.Next(page_);
    if (next == VorbisPageSource::Result::Hole) Fail("Corrupt or missing data in the Ogg stream");
    if (next == VorbisPageSource::Result::End || !ogg_page_bos(&page_)) return;
  }
  serial_ = ogg_page_serialno(&page_);
  found_ = true;
}

// The next page of our stream.
void VorbisPacketStream::NextPage() {
  if (!found_) Fail("No stream was chosen in the Ogg bitstream");
  do {
    switch (source_.Next(page_)) {
      case VorbisPageSource::Result::End:
        Fail("Headers are incomplete (file truncated)");
      case VorbisPageSource::Result::Hole:
        Fail("Corrupt or missing data in the Ogg stream");
      case VorbisPageSource::Result::Page:
        break;
    }
  } while (ogg_page_serialno(&page_) != serial_);
  segment_ = 0;
  segmentStart_ = 0;
  taken_ = 0;
}

size_t VorbisPacketStream::Take(uint8_t* out, size_t size) {
  size_t done = 0;
  while (done < size && !packetEnded_) {
    if (segment_ >= SegmentCount(page_)) NextPage();
    if (segment_ >= SegmentCount(page_)) continue;  // a page without segments
    const int lacing = LacingValue(page_, segment_);
    const size_t count = std::min<size_t>(size - done, static_cast<size_t>(lacing - taken_));
    if (segmentStart_ + lacing > page_.body_len) Fail("Corrupt page in the Ogg stream");
    if (out != nullptr && count > 0) std::memcpy(out + done, page_.body + segmentStart_ + taken_, count);
    done += count;
    taken_ += static_cast<long>(count);
    if (taken_ == lacing) {
      packetEnded_ = lacing < 255;
      segmentStart_ += lacing;
      taken_ = 0;
      ++segment_;
    }
  }
  return done;
}

size_t VorbisPacketStream::Read(uint8_t* out, size_t size) { return Take(out, size); }

size_t VorbisPacketStream::Skip(size_t size) { return Take(nullptr, size); }

void VorbisPacketStream::NextPacket() {
  while (Skip(SIZE_MAX) != 0) {
  }
  packetEnded_ = false;
}
