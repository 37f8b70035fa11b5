// Stored settings hold list indexes; these tables turn them into physical values. The settings
// dialog's lists show the same entries in the same order.
#pragma once

#include <cstddef>

constexpr int kSampleRates[] = {6000, 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
constexpr int kBitRates[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr int kBitsPerSample[] = {8, 16};
// FLAC's "bit": 0 keeps the source's own depth.
constexpr int kFlacDepths[] = {0, 16, 24};

constexpr size_t kSampleRateCount = sizeof(kSampleRates) / sizeof(kSampleRates[0]);
constexpr size_t kBitRateCount = sizeof(kBitRates) / sizeof(kBitRates[0]);
constexpr size_t kBitsPerSampleCount = sizeof(kBitsPerSample) / sizeof(kBitsPerSample[0]);
constexpr size_t kFlacDepthCount = sizeof(kFlacDepths) / sizeof(kFlacDepths[0]);

// Index 8 (44100 Hz) and index 11 (128 kbit/s) are the defaults throughout.
constexpr int kDefaultSampleRateIndex = 8;
constexpr int kDefaultBitRateIndex = 11;

// Table lookups that tell whether the stored index was inside its table.
inline bool LookupSampleRate(int index, int* hz) {
  if (index < 0 || static_cast<size_t>(index) >= kSampleRateCount) return false;
  *hz = kSampleRates[index];
  return true;
}
inline bool LookupBitRate(int index, int* kbps) {
  if (index < 0 || static_cast<size_t>(index) >= kBitRateCount) return false;
  *kbps = kBitRates[index];
  return true;
}
inline bool LookupBitsPerSample(int index, int* bits) {
  if (index < 0 || static_cast<size_t>(index) >= kBitsPerSampleCount) return false;
  *bits = kBitsPerSample[index];
  return true;
}
