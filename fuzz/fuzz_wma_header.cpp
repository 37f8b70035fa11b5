// Arbitrary bytes through the ASF header walk and on into the fixed-width WMA record.
#include <cstddef>
#include <cstdint>

#include "tagformats/AsfHeaderWalk.h"
#include "tagformats/WmaTag.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AsfBufferSource source(data, size);
  WMATagInfo record;
  ReadWMATagFromHeader(source, record);
  return 0;
}
