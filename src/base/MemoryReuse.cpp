#include "base/MemoryReuse.h"

#include <malloc.h>

void KeepFreedMemoryForReuse() {
  // Blocks below the mapping threshold come from the heap; freed memory at the heap's top is
  // only given back beyond the trim threshold. Peak use stays the same, it just is not returned.
  constexpr int kMapThreshold = 32 << 20;
  constexpr int kTrimThreshold = 64 << 20;
  mallopt(M_MMAP_THRESHOLD, kMapThreshold);
  mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
}
