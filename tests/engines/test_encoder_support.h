// Helpers of the encoder tests: PCM made in memory, fed through the backend interface in
// uneven blocks, and per-channel levels of the result as ffmpeg decodes it.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "engines/EncoderBackend.h"
#include "engines/EngineError.h"
#include "support/TestSupport.h"

namespace encodertest {

// A 440 Hz sine in the left channel only (right silent), or in the only channel of mono.
inline std::vector<int16_t> LeftSine(int sampleRate, int channels, double seconds) {
  const size_t frames = static_cast<size_t>(std::lround(seconds * sampleRate));
  std::vector<int16_t> pcm(frames * channels, 0);
  for (size_t i = 0; i < frames; ++i)
    pcm[i * channels] = static_cast<int16_t>(16000.0 * std::sin(2.0 * M_PI * 440.0 * i / sampleRate));
  return pcm;
}

// Loud white noise in every channel: the content that drives an encoder to its highest rate.
inline std::vector<int16_t> Noise(int sampleRate, int channels, double seconds) {
  const size_t samples = static_cast<size_t>(std::lround(seconds * sampleRate)) * channels;
  std::vector<int16_t> pcm(samples);
  uint32_t state = 12345;
  for (auto& s : pcm) {
    state = state * 1664525u + 1013904223u;
    s = static_cast<int16_t>(state >> 16);
  }
  return pcm;
}

template <typename Sample>
void FeedSamples(EncoderBackend& encoder, const std::vector<Sample>& pcm) {
  const int channels = encoder.InputFormat().channels;
  const size_t frames = pcm.size() / channels;
  static const size_t kBlocks[] = {1, 4410, 7, 20000, 1023, 64000};
  size_t done = 0;
  for (size_t k = 0; done < frames; ++k) {
    size_t n = std::min(kBlocks[k % 6], frames - done);
    encoder.Write(pcm.data() + done * channels, n);
    done += n;
  }
}

// Feeds the PCM in blocks of varying size, as a block loop with odd block lengths would; as
// float samples to an encoder that takes those.
inline void Feed(EncoderBackend& encoder, const std::vector<int16_t>& pcm) {
  if (encoder.InputFormat().sampleType != SampleType::kFloat) return FeedSamples(encoder, pcm);
  std::vector<float> asFloat(pcm.size());
  for (size_t i = 0; i < pcm.size(); ++i) asFloat[i] = pcm[i] / 32768.0f;
  FeedSamples(encoder, asFloat);
}

// Encodes the PCM into `path` in one go: Open, Feed, Finish.
inline void Encode(EncoderBackend& encoder, const std::string& path, const std::vector<int16_t>& pcm) {
  encoder.Open(path);
  Feed(encoder, pcm);
  encoder.Finish();
}

inline double Seconds(const std::vector<int16_t>& pcm, const PcmFormat& format) {
  return static_cast<double>(pcm.size()) / format.channels / format.sampleRate;
}

// RMS level in dB of each decoded channel (-inf for silence), from ffmpeg's astats.
inline std::vector<double> ChannelRmsDb(const std::string& path) {
  auto r = testsupport::Run("ffmpeg -nostdin -v info -i " + testsupport::ShellQuote(path) +
                            " -af astats=measure_overall=none:measure_perchannel=RMS_level -f null -");
  std::vector<double> levels;
  std::istringstream in(r.output);
  std::string line;
  const std::string key = "RMS level dB: ";
  while (std::getline(in, line)) {
    auto at = line.find(key);
    if (at == std::string::npos) continue;
    std::string value = line.substr(at + key.size());
    levels.push_back(value.find("inf") != std::string::npos ? -INFINITY : std::atof(value.c_str()));
  }
  return levels;
}

// Tone in the left channel arrives at its level; the right channel stays (nearly) silent.
inline void ExpectLeftTone(const std::string& path, int channels) {
  std::vector<double> levels = ChannelRmsDb(path);
  ASSERT_EQ(levels.size(), static_cast<size_t>(channels)) << path;
  EXPECT_NEAR(levels[0], -9.2, 1.5) << path;  // 16000/32768 peak sine: -9.2 dB RMS
  if (channels == 2) {
    EXPECT_LT(levels[1], -40.0) << path;
  }
}

// mp3val finds nothing wrong; a missing tag is fine, tags are written after encoding.
inline void ExpectCleanMp3(const std::string& path) {
  testsupport::CommandResult check =
      testsupport::Run("mp3val " + testsupport::ShellQuote(path) + " | grep -v 'No supported tags'");
  EXPECT_EQ(check.output.find("WARNING"), std::string::npos) << check.output;
  EXPECT_EQ(check.output.find("ERROR"), std::string::npos) << check.output;
  EXPECT_NE(check.output.find("MPEG frames"), std::string::npos) << check.output;
}

// ogginfo finds nothing wrong.
inline void ExpectCleanOgg(const std::string& path) {
  testsupport::CommandResult check = testsupport::Run("ogginfo " + testsupport::ShellQuote(path));
  EXPECT_EQ(check.exitCode, 0) << check.output;
  EXPECT_EQ(check.output.find("WARNING"), std::string::npos) << check.output;
  EXPECT_EQ(check.output.find("ERROR"), std::string::npos) << check.output;
}

// Root ignores folder permissions, so a read-only folder tells nothing then.
inline bool RunningAsRoot() { return geteuid() == 0; }

}  // namespace encodertest

namespace encodertest {

// Encoding onto a full disk (/dev/full) fails with an EngineError naming the file, from
// Write or at the latest from Finish; a second Finish is quiet.
inline void ExpectFullDiskReported(EncoderBackend& encoder) {
  PcmFormat format = encoder.InputFormat();
  std::vector<int16_t> pcm = LeftSine(format.sampleRate, format.channels, 3.0);
  std::string error;
  try {
    encoder.Open("/dev/full");
    Feed(encoder, pcm);
    encoder.Finish();
  } catch (const EngineError& e) {
    error = e.what();
  }
  EXPECT_EQ(error.rfind("Cannot write /dev/full: ", 0), 0u) << error;
  EXPECT_NO_THROW(encoder.Finish());
}

}  // namespace encodertest
