// The length of an Ogg file from its page headers: the last granule of the audio stream in
// every chain (`cat a.ogg b.ogg` makes two), read without decoding. FFmpeg's own estimate
// counts only the first chain.
#pragma once

#include <cstdint>
#include <string>

// FFmpeg's Ogg reader cannot go on when a chain brings another codec (Vorbis, then Opus):
// the audio ends where that chain begins, and the scan stops there too.
struct OggChains {
  int chains = 0;          // chains with an audio stream (Vorbis, Opus, Speex or FLAC)
  int64_t frames = 0;      // their audio, in sample frames at the rate asked for
  bool ended = false;      // the last chain's audio stream reached its end-of-stream page
  bool anyAudio = false;   // some audio page past the headers carries a granule
  std::string codec;        // of the first chain: "Vorbis", "Opus", "Speex" or "FLAC"
  std::string nextCodec;    // not empty: the codec of the chain where the codec changes
  int64_t codecChangeAt = -1;  // the byte offset where that chain begins
};

// Walks the pages of `path`; frames are counted at `rate` (each chain's own rate is scaled),
// up to a change of codec.
// A file that is not Ogg gives chains 0.
OggChains ScanOggChains(const std::string& path, int rate);
