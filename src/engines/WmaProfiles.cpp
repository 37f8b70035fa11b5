#include "engines/WmaProfiles.h"

// The one table of WMA profiles: the name the user picks and what FFmpeg's WMA v2 encoder
// (constant bit rate only) is actually given.
//
// Lifted entries:
// - FFmpeg's wmav2 refuses anything below 24 kbit/s at every rate and channel count
//   ("bitrate too low ... need 24000 or higher"), so every CBR profile under 24 kbit/s
//   (numbers 18, 22, 24-38) is encoded at 24 kbit/s.
// - The VBR-quality and Lossless profiles have no counterpart in wmav2; each gets the
//   constant bit rate that comes closest to the size such a file would have: Quality 98
//   192 kbit/s, 90 160, 75 128, 50 96, 25 64, 10 48; Lossless the highest rate offered,
//   320 kbit/s.
const WmaProfile kWmaProfiles[kWmaProfileCount] = {
    {"WMA9 48KHz, 192Kbps, Stereo, CBR", 48000, 2, 192},
    {"WMA9 48KHz, 160Kbps, Stereo, CBR", 48000, 2, 160},
    {"WMA9 48KHz, 128Kbps, Stereo, CBR", 48000, 2, 128},
    {"WMA9 48KHz, 96Kbps, Stereo, CBR", 48000, 2, 96},
    {"WMA9 48KHz, 64Kbps, Stereo, CBR", 48000, 2, 64},
    {"WMA9 44KHz, 320Kbps, Stereo, CBR", 44100, 2, 320},
    {"WMA9 44KHz, 256Kbps, Stereo, CBR", 44100, 2, 256},
    {"WMA9 44KHz, 192Kbps, Stereo, CBR", 44100, 2, 192},
    {"WMA9 44KHz, 160Kbps, Stereo, CBR", 44100, 2, 160},
    {"WMA9 44KHz, 128Kbps, Stereo, CBR", 44100, 2, 128},
    {"WMA9 44KHz, 96Kbps, Stereo, CBR", 44100, 2, 96},
    {"WMA9 44KHz, 80Kbps, Stereo, CBR", 44100, 2, 80},
    {"WMA9 44KHz, 64Kbps, Stereo, CBR", 44100, 2, 64},
    {"WMA9 44KHz, 48Kbps, Stereo, CBR", 44100, 2, 48},
    {"WMA9 44KHz, 32Kbps, Stereo, CBR", 44100, 2, 32},
    {"WMA9 44KHz, 48Kbps, Mono, CBR", 44100, 1, 48},
    {"WMA9 44KHz, 32Kbps, Mono, CBR", 44100, 1, 32},
    {"WMA9 44KHz, 20Kbps, Mono, CBR", 44100, 1, 24},     // lifted from 20
    {"WMA9 32KHz, 48Kbps, Stereo, CBR", 32000, 2, 48},
    {"WMA9 32KHz, 40Kbps, Stereo, CBR", 32000, 2, 40},
    {"WMA9 32KHz, 32Kbps, Stereo, CBR", 32000, 2, 32},
    {"WMA9 32KHz, 20Kbps, Mono, CBR", 32000, 1, 24},     // lifted from 20
    {"WMA9 32KHz, 32Kbps, Stereo, CBR", 32000, 2, 32},
    {"WMA9 32KHz, 22Kbps, Stereo, CBR", 32000, 2, 24},   // lifted from 22
    {"WMA9 22KHz, 20Kbps, Stereo, CBR", 22050, 2, 24},   // lifted from 20
    {"WMA9 22KHz, 20Kbps, Mono, CBR", 22050, 1, 24},     // lifted from 20
    {"WMA9 22KHz, 16Kbps, Mono, CBR", 22050, 1, 24},     // lifted from 16
    {"WMA9 16KHz, 20Kbps, Stereo, CBR", 16000, 2, 24},   // lifted from 20
    {"WMA9 16KHz, 16Kbps, Stereo, CBR", 16000, 2, 24},   // lifted from 16
    {"WMA9 16KHz, 16Kbps, Mono, CBR", 16000, 1, 24},     // lifted from 16
    {"WMA9 16KHz, 12Kbps, Mono, CBR", 16000, 1, 24},     // lifted from 12
    {"WMA9 16KHz, 10Kbps, Mono, CBR", 16000, 1, 24},     // lifted from 10
    {"WMA9 11KHz, 10Kbps, Mono, CBR", 11025, 1, 24},     // lifted from 10
    {"WMA9 11KHz, 8Kbps, Mono, CBR", 11025, 1, 24},      // lifted from 8
    {"WMA9 8KHz,  12Kbps, Stereo, CBR", 8000, 2, 24},    // lifted from 12
    {"WMA9 8KHz,  8Kbps, Mono, CBR", 8000, 1, 24},       // lifted from 8
    {"WMA9 8KHz,  6Kbps, Mono, CBR", 8000, 1, 24},       // lifted from 6
    {"WMA9 8KHz,  5Kbps, Mono, CBR", 8000, 1, 24},       // lifted from 5
    {"WMA9 48KHz, Stereo, VBR Quality 98", 48000, 2, 192},
    {"WMA9 48KHz, Stereo, VBR Quality 90", 48000, 2, 160},
    {"WMA9 44KHz, Stereo, VBR Quality 98", 44100, 2, 192},
    {"WMA9 44KHz, Stereo, VBR Quality 90", 44100, 2, 160},
    {"WMA9 44KHz, Stereo, VBR Quality 75", 44100, 2, 128},
    {"WMA9 44KHz, Stereo, VBR Quality 50", 44100, 2, 96},
    {"WMA9 44KHz, Stereo, VBR Quality 25", 44100, 2, 64},
    {"WMA9 44KHz, Stereo, VBR Quality 10", 44100, 2, 48},
    {"WMA9 44KHz, Stereo, Lossless", 44100, 2, 320},
};

const WmaProfile* FindWmaProfile(int number) {
  if (number < 1 || number > static_cast<int>(kWmaProfileCount)) return nullptr;
  return &kWmaProfiles[number - 1];
}
