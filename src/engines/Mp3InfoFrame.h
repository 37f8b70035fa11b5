// The info frame that leads an MP3 stream: a silent Layer III frame carrying the "Info" tag
// (frame and byte counts, seek table) and the LAME extension with encoder delay and padding,
// from which decoders learn the exact length. Used when a constant-rate frame is too small for
// LAME's own: the frame then gets its own, larger bit rate and stands before the audio.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// CRC-16 as the LAME extension uses it (polynomial 0x8005, reflected, starting from 0).
uint16_t Mp3TagCrc16(const uint8_t* data, size_t size, uint16_t crc = 0);

// What the LAME extension records of the encoding; counts are known only at the end.
struct Mp3InfoFields {
  std::string encoderVersion;  // e.g. "3.100"; "LAME" is put in front
  uint32_t audioFrames = 0;    // frames after the info frame
  uint32_t streamBytes = 0;    // all frames, the info frame included
  int encoderDelay = 0;        // sample frames, as libmp3lame reports them
  int encoderPadding = 0;
  int bitRateKbps = 0;         // the constant rate of the audio frames
  int lowpassHz = 0;
  int quality = 0;             // 0..100, the tag's quality indicator
  int athType = 0;
  uint16_t musicCrc = 0;       // Mp3TagCrc16 over the audio frames
};

class Mp3InfoFrame {
 public:
  Mp3InfoFrame() = default;  // none: Valid() is false

  // `channelMode` is the header's mode field: 0 stereo, 1 joint stereo, 2 dual, 3 mono.
  Mp3InfoFrame(int sampleRate, int channelMode);

  // Whether a frame at this rate is large enough for the tag, i.e. whether libmp3lame
  // writes its own info frame in place of the first audio frame.
  static bool FitsInFrameOf(int sampleRate, int channelMode, int bitRateKbps);

  bool Valid() const { return frameBytes_ > 0; }
  size_t Size() const { return frameBytes_; }
  std::vector<uint8_t> Build(const Mp3InfoFields& fields) const;

 private:
  int sampleRate_ = 0;
  int channelMode_ = 0;
  int bitRateIndex_ = 0;
  size_t frameBytes_ = 0;
};
