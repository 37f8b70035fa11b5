// What the container's length says versus what the decoder delivers. The MP3 demuxer reports
// whole frames, including the encoder delay and padding that the decoder then drops (LAME
// info tag); the WMA decoder yields one frame less than the packets hold, as the first one
// primes the decoder. Both are known from headers, without decoding.
#pragma once

#include <cstdint>
#include <string>

struct AVCodecParameters;

// Sample frames to take off the container's length for this stream.
int64_t DecoderShortfall(const std::string& path, const AVCodecParameters& params);

// Encoder delay plus padding from the LAME/Lavc info tag of an MP3 file; 0 without one.
int64_t Mp3InfoTagPadding(const std::string& path);
