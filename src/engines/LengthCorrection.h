// What the container's length says versus what the decoder delivers. The MP3 demuxer reports
// whole frames, including the encoder delay and padding that the decoder then drops (LAME
// info tag); the WMA decoder yields one frame less than the packets hold, as the first one
// primes the decoder. Both are known from headers, without decoding.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

struct AVCodecParameters;

// Size of the ID3v2 tag at the start of the file (header, body and footer), 0 when there is
// none.
long Id3v2Size(FILE* file);
long LeadingId3v2Size(const std::string& path);

// Sample frames to take off the container's length for this stream.
int64_t DecoderShortfall(const std::string& path, const AVCodecParameters& params);

// Encoder delay plus padding from the LAME/Lavc info tag of an MP3 file; 0 without one.
int64_t Mp3InfoTagPadding(const std::string& path);

// What the Xing/Info frame at the start of an MP3 stream says about the whole stream.
struct Mp3InfoCounts {
  bool found = false;
  bool hasFrames = false, hasBytes = false;
  uint32_t frames = 0;     // audio frames after the info frame
  uint32_t bytes = 0;      // the stream's size from the info frame's first byte on
  long streamStart = 0;    // where the info frame starts (after any ID3v2 tag)
  int64_t padding = 0;     // encoder delay plus padding, from a LAME/Lavc extension
};
Mp3InfoCounts ReadMp3InfoCounts(const std::string& path);
