// The gapless data of an AAC file in MP4 as iTunes writes it: the freeform item
// "----:com.apple.iTunes:iTunSMPB" giving the encoder's priming, the padding after the last
// sample and the number of samples the source had. Players that ignore the edit list (and
// FFmpeg, which does not trim the end of the last frame) use it to play exactly the source.
#pragma once

#include <cstdint>
#include <string>

struct Mp4GaplessInfo {
  int64_t priming = 0;  // samples the decoder gives before the first one of the source
  int64_t padding = 0;  // samples it gives after the last one
  int64_t length = 0;   // samples of the source
};

// " 00000000 PPPPPPPP PPPPPPPP LLLLLLLLLLLLLLLL 00000000 …": priming, padding and length in
// upper-case hexadecimal, then eight zero fields.
std::string Mp4GaplessText(const Mp4GaplessInfo& info);

// Adds the item to the finished file; false when TagLib cannot open or save it.
bool WriteMp4GaplessInfo(const std::string& path, const Mp4GaplessInfo& info);
