#include "DriverOptions.h"

#include <cstdlib>
#include <functional>
#include <map>

const char* const kDriverUsage =
    "usage: velmora-engine-driver [options] SOURCE OUTPUT\n"
    "Converts SOURCE (any audio file FFmpeg decodes) into OUTPUT; OUTPUT's extension (mp3, wav,\n"
    "wma, ogg, flac, opus or m4a, in any letter case) picks the format.\n"
    "  --rate HZ, --channels N   output rate and channels (default: the source's)\n"
    "  --mp3-bitrate KBPS        constant bit rate (128)\n"
    "  --mp3-quality Q           LAME quality 0 best .. 9 fastest (5)\n"
    "  --mp3-vbr                 variable bit rate\n"
    "  --mp3-vbr-quality Q       VBR quality 0..9 (4)\n"
    "  --mp3-vbr-bitrate KBPS    VBR bit-rate bound (128)\n"
    "  --ogg-bitrate KBPS        nominal bit rate (128)\n"
    "  --ogg-max KBPS, --ogg-min KBPS   bit-rate bounds (128 each)\n"
    "  --ogg-quality Q           quality mode, 0 best .. 1000 smallest\n"
    "  --wma-profile N           WMA profile 1..47 (10)\n"
    "  --flac-level N, --flac-bits N   FLAC level 0..8 (5), depth 8|16|24 (the source's)\n"
    "  --opus-bitrate KBPS, --opus-complexity N   Opus VBR rate (128), complexity 0..10 (10)\n"
    "  --m4a-bitrate KBPS        AAC average bit rate (192)\n"
    "  --wav-bits 8|16           WAV sample size (16; with no WAV option: the source's format)\n"
    "  --normalize               normalise every block to 98 % of full scale\n"
    "  --quiet                   no summary line\n";

namespace {

bool ToInt(const std::string& text, int& value) {
  char* end = nullptr;
  long parsed = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || parsed < -1000000 || parsed > 1000000) return false;
  value = static_cast<int>(parsed);
  return true;
}

}  // namespace

std::optional<DriverOptions> ParseDriverOptions(int argc, char** argv, std::string& error) {
  DriverOptions options;
  const std::map<std::string, int*> numeric = {
      {"--rate", &options.sampleRate},         {"--channels", &options.channels},
      {"--mp3-bitrate", &options.mp3BitRate},  {"--mp3-quality", &options.mp3Quality},
      {"--mp3-vbr-quality", &options.mp3VbrQuality},
      {"--mp3-vbr-bitrate", &options.mp3VbrBitRate},
      {"--ogg-bitrate", &options.oggBitRate},  {"--ogg-max", &options.oggMaxBitRate},
      {"--ogg-min", &options.oggMinBitRate},   {"--ogg-quality", &options.oggQuality},
      {"--wma-profile", &options.wmaProfile},  {"--wav-bits", &options.wavBits},
      {"--flac-level", &options.flacLevel},    {"--flac-bits", &options.flacBits},
      {"--opus-bitrate", &options.opusBitRate}, {"--opus-complexity", &options.opusComplexity},
      {"--m4a-bitrate", &options.m4aBitRate}};
  const std::map<std::string, bool*> flags = {{"--mp3-vbr", &options.mp3Vbr},
                                              {"--normalize", &options.normalize},
                                              {"--quiet", &options.quiet}};
  std::string files[2];
  int fileCount = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (auto flag = flags.find(arg); flag != flags.end()) {
      *flag->second = true;
    } else if (auto number = numeric.find(arg); number != numeric.end()) {
      if (i + 1 >= argc || !ToInt(argv[i + 1], *number->second)) {
        error = arg + " needs a whole number";
        return std::nullopt;
      }
      ++i;
    } else if (arg.rfind("--", 0) == 0) {
      error = "unknown option " + arg;
      return std::nullopt;
    } else if (fileCount < 2) {
      files[fileCount++] = arg;
    } else {
      error = "too many file names";
      return std::nullopt;
    }
  }
  if (fileCount != 2) {
    error = "SOURCE and OUTPUT are needed";
    return std::nullopt;
  }
  options.source = files[0];
  options.output = files[1];
  return options;
}
