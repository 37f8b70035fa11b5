// The loudness meter alone, as a conversion runs it (no loudness range, blocks of 512 KB):
// measures raw interleaved PCM from a file ROUNDS times over and prints the result and the
// CPU time of the fastest round. Run it under `valgrind --tool=callgrind` for instruction
// counts, or its per-processor builds (velmora-meter-bench-avx2, -sse2) to compare the paths
// that processors without AVX-512 take.
//
//   velmora-meter-bench FILE RATE CHANNELS s16|float [ROUNDS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engines/LoudnessMeter.h"

namespace {

constexpr size_t kBatchBytes = 512 * 1024;

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

LoudnessResult MeasureOnce(const std::vector<char>& pcm, int rate, int channels, SampleType type) {
  LoudnessMeter meter(rate, channels, false);
  const size_t frameBytes = static_cast<size_t>(BytesPerSample(type) * channels);
  const size_t batchFrames = kBatchBytes / frameBytes;
  const size_t frames = pcm.size() / frameBytes;
  for (size_t at = 0; at < frames; at += batchFrames)
    meter.Add(pcm.data() + at * frameBytes, std::min(batchFrames, frames - at), type);
  return meter.Result();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s FILE RATE CHANNELS s16|float [ROUNDS]\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<char> pcm((std::istreambuf_iterator<char>(in)), {});
  const int rate = std::atoi(argv[2]), channels = std::atoi(argv[3]);
  const SampleType type = std::strcmp(argv[4], "float") == 0 ? SampleType::kFloat : SampleType::kS16;
  const int rounds = argc > 5 ? std::atoi(argv[5]) : 1;
  if (pcm.empty() || rounds < 1) {
    std::fprintf(stderr, "nothing to measure in %s\n", argv[1]);
    return 2;
  }
  double fastest = 1e30;
  LoudnessResult result;
  for (int r = 0; r < rounds; ++r) {
    const double start = CpuSeconds();
    result = MeasureOnce(pcm, rate, channels, type);
    fastest = std::min(fastest, CpuSeconds() - start);
  }
  std::printf("%.6f LUFS, true peak %.9g, sample peak %.9g; fastest of %d: %.2f ms CPU\n",
              result.integratedLufs, result.truePeak, result.samplePeak, rounds, fastest * 1e3);
  return 0;
}
