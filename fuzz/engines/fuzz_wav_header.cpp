// Arbitrary bytes as a WAV file through our plain PCM header reading: whatever it accepts must
// describe audio that lies inside the file, in a shape the reader can hand on.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "engines/EncoderBackend.h"
#include "engines/PcmWavHeader.h"
#include "engines/SourceLimits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto read = [&](int64_t offset, uint8_t* out, size_t count) -> size_t {
    if (offset < 0 || static_cast<uint64_t>(offset) >= size) return 0;
    const size_t n = std::min(count, size - static_cast<size_t>(offset));
    std::memcpy(out, data + offset, n);
    return n;
  };
  const std::optional<PcmWavLayout> layout = ParsePcmWavHeader(read, static_cast<int64_t>(size));
  if (!layout) return 0;
  const int bytes = layout->BytesPerSample();
  if (layout->channels < 1 || layout->channels > kMaxChannels ||
      layout->blockAlign != layout->channels * bytes || (bytes != 1 && bytes != 2 && bytes != 3 &&
                                                         bytes != 4 && bytes != 8) ||
      layout->sampleRate < kMinSourceRate || layout->sampleRate > kMaxSourceRate ||
      layout->dataOffset < 12 || layout->Frames() <= 0 ||
      layout->dataOffset + layout->dataBytes > static_cast<int64_t>(size))
    std::abort();
  return 0;
}
