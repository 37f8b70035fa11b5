// Level normalisation of one 16-bit or float block: the loudest sample of any channel lands on
// 98 % of full scale unless that needs more than +20 dB, the rest keeps its proportion, nothing
// clips, silence stays silent.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engines/AudioTransform2.h"

namespace {

constexpr int kTarget = 32111;  // 98 % of 32767, rounded down

ByteBlock Block(const std::vector<int16_t>& samples) {
  ByteBlock block;
  for (int16_t s : samples) {
    block.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s)));
    block.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
  }
  return block;
}

std::vector<int16_t> Samples(const ByteBlock& block) {
  std::vector<int16_t> out;
  for (size_t i = 0; i + 1 < block.size(); i += 2)
    out.push_back(static_cast<int16_t>(block[i] | (block[i + 1] << 8)));
  return out;
}

std::vector<int16_t> Normalized(const std::vector<int16_t>& samples) {
  ByteBlock block = Block(samples);
  TAudioTransform2().NormalizeBlock(block, 98.0f, TAudioTransform2::kAllChannels);
  return Samples(block);
}

TEST(Normalize, QuietBlockIsRaisedKeepingProportions) {
  // Interleaved stereo: the left peak (5000) is the block's peak; the right follows it.
  auto out = Normalized({5000, 2500, -1250, -5000, 0, 5});
  EXPECT_EQ(out[0], kTarget);
  EXPECT_EQ(out[3], -kTarget);
  EXPECT_NEAR(out[1], kTarget / 2.0, 1);
  EXPECT_NEAR(out[2], -kTarget / 4.0, 1);
  EXPECT_EQ(out[4], 0);
  EXPECT_NEAR(out[5], kTarget / 1000.0, 1);
}

// Below a peak of a tenth of the target a block is raised by +20 dB and no more: dither and
// noise floors stay quiet.
TEST(Normalize, GainStopsAtTwentyDecibels) {
  const struct { int16_t peak; int16_t expected; } cases[] = {
      {1, 10}, {100, 1000}, {3000, 30000}, {3211, 32110}, {3300, kTarget}, {-32768, -kTarget}};
  for (const auto& c : cases) {
    auto out = Normalized({c.peak, static_cast<int16_t>(c.peak / 2), 0});
    EXPECT_EQ(out[0], c.expected) << "peak " << c.peak;
    EXPECT_NEAR(out[1], c.expected / 2.0, 6) << "peak " << c.peak;
  }
}

std::vector<float> NormalizedFloats(const std::vector<float>& samples) {
  ByteBlock block(samples.size() * sizeof(float));
  std::memcpy(block.data(), samples.data(), block.size());
  TAudioTransform2().NormalizeBlock(block, 98.0f, TAudioTransform2::kAllChannels, SampleType::kFloat);
  std::vector<float> out(samples.size());
  std::memcpy(out.data(), block.data(), block.size());
  return out;
}

// Float blocks: full scale is 1.0; peaks beyond it come down, the same cap holds, and what is
// not a number never reaches the output.
TEST(Normalize, FloatBlocks) {
  const float inf = INFINITY;
  const struct { const char* label; std::vector<float> in, out; } cases[] = {
      {"half scale", {0.5f, -0.25f}, {0.98f, -0.49f}},
      {"over full scale", {2.0f, -1.0f}, {0.98f, -0.49f}},
      {"24-bit dither", {1.0f / 8388608, -1.0f / 8388608}, {10.0f / 8388608, -10.0f / 8388608}},
      {"silence", {0.0f, -0.0f}, {0.0f, 0.0f}},
      {"not a number", {NAN, 0.5f}, {0.0f, 0.98f}},
      {"infinity", {-inf, 0.5f}, {-0.98f, 0.0f}},
  };
  for (const auto& c : cases) {
    auto out = NormalizedFloats(c.in);
    for (size_t i = 0; i < out.size(); ++i)
      EXPECT_NEAR(out[i], c.out[i], 1e-6 * std::max(1e-3f, std::fabs(c.out[i]))) << c.label << " #" << i;
  }
}

TEST(Normalize, FullScaleIsLoweredAndNothingClips) {
  auto out = Normalized({-32768, 32767, 16384, -1});
  EXPECT_EQ(out[0], -kTarget);
  EXPECT_NEAR(out[1], kTarget, 1);
  EXPECT_NEAR(out[2], kTarget / 2.0, 1);
  for (int16_t s : out) EXPECT_LE(std::abs(int{s}), kTarget);
}

TEST(Normalize, SilenceAndEmptyBlocksStayAsTheyAre) {
  EXPECT_EQ(Normalized({0, 0, 0, 0}), (std::vector<int16_t>{0, 0, 0, 0}));
  ByteBlock empty;
  EXPECT_NO_THROW(TAudioTransform2().NormalizeBlock(empty, 98.0f, TAudioTransform2::kAllChannels));
  EXPECT_TRUE(empty.empty());
}

TEST(Normalize, SmallestNonZeroPeakAndTrailingOddByte) {
  ByteBlock block = Block({1, -1, 0});
  block.push_back(0x7F);  // half a sample: left alone
  TAudioTransform2().NormalizeBlock(block, 98.0f, TAudioTransform2::kAllChannels);
  EXPECT_EQ(Samples(block), (std::vector<int16_t>{10, -10, 0}));
  EXPECT_EQ(block.back(), 0x7F);
}

TEST(Normalize, OtherLevelsAndRefusals) {
  ByteBlock block = Block({10000, -50});
  TAudioTransform2().NormalizeBlock(block, 50.0f, TAudioTransform2::kAllChannels);
  EXPECT_EQ(Samples(block)[0], 16383);
  TAudioTransform2 transform;
  EXPECT_THROW(transform.NormalizeBlock(block, 0.0f, TAudioTransform2::kAllChannels), EngineError);
  EXPECT_THROW(transform.NormalizeBlock(block, 101.0f, TAudioTransform2::kAllChannels), EngineError);
  EXPECT_THROW(transform.NormalizeBlock(block, NAN, TAudioTransform2::kAllChannels), EngineError);
  EXPECT_THROW(transform.NormalizeBlock(block, 98.0f, 0), EngineError);
}

}  // namespace

namespace {

// Whatever size a block has (one frame at the end of a source, an odd count of frames, many
// seconds), its peak lands on the target (or as near as +20 dB takes it) and the rest keeps its
// proportion to the peak.
TEST(Normalize, EveryBlockSizeReachesTheTargetLevel) {
  for (size_t samples : {size_t{1}, size_t{2}, size_t{6}, size_t{4097}, size_t{3 * 88200}}) {
    std::vector<int16_t> in(samples);
    uint32_t state = static_cast<uint32_t>(samples);
    for (auto& s : in) {
      state = state * 1664525u + 1013904223u;
      s = static_cast<int16_t>(static_cast<int32_t>(state >> 16) / 8 - 2048);  // quiet: about ±4096
    }
    int peak = 0;
    for (int16_t s : in) peak = std::max(peak, std::abs(int{s}));
    if (peak == 0) continue;
    const double gain = std::min(static_cast<double>(kTarget) / peak, TAudioTransform2::kMaxGain);
    auto out = Normalized(in);
    ASSERT_EQ(out.size(), in.size());
    int outPeak = 0;
    for (size_t i = 0; i < out.size(); ++i) {
      outPeak = std::max(outPeak, std::abs(int{out[i]}));
      EXPECT_NEAR(out[i], in[i] * gain, 1.0) << samples << " samples, #" << i;
      if (::testing::Test::HasFailure()) return;
    }
    EXPECT_EQ(outPeak, std::lround(peak * gain)) << samples << " samples";
  }
}

}  // namespace
